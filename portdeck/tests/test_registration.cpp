// Registration of the detected products with the update service: the INI of
// each product kind found is copied into the service's product key.

#include "formfixture.h"
#include "inifile.h"
#include "paths.h"

namespace {

const char *const kProducts = "Software\\Varnel\\Patchwell\\Products\\";

void writeIni(const QString &name, const QList<QPair<QString, QString>> &values)
{
    const QString file = "C:\\Varnel\\Patchwell\\" + name;
    QDir().mkpath(QFileInfo(tl::mapPath(file)).path());
    for (const auto &v : values)
        WritePrivateProfileString("PwRegInfo", v.first, v.second, file);
}

QList<QPair<QString, QString>> isdnTaIni()
{
    return {{"ProductName", "Brenmoor ISDN TA"}, {"CustomerID", "VARNEL"},       {"CustomerPassword", "none"},
            {"Version", "1.0"},                  {"ProductUpdateUrl", "http://updates.example/isdnta"},
            {"UpdateIniDirectory", "isdnta"}};
}

QString stored(const QString &product, const char *name)
{
    return reg::readString(RegRoot::LocalMachine, kProducts + product, name).value_or("<none>");
}

} // namespace

TEST(InstalledVersion, ProgramVersionsStayFirmwareDatesTurnAround)
{
    EXPECT_EQ(TcontainerFrame::installedVersionText("3.02.05"), "3.02.05");
    EXPECT_EQ(TcontainerFrame::installedVersionText("12/31/98"), "1998.12.31");
    EXPECT_EQ(TcontainerFrame::installedVersionText("01/23/99"), "1999.01.23");
    EXPECT_EQ(TcontainerFrame::installedVersionText("02/15/00"), "2000.02.15");
    // Half a date does no harm.
    EXPECT_EQ(TcontainerFrame::installedVersionText("02/1"), "20.02.1");
}

class Registration : public PortdeckForm {
protected:
    void SetUp() override
    {
        PortdeckForm::SetUp();
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Patchwell\\Products\\Patchwell",
                         "InstallDirectory", "C:\\Varnel\\Patchwell");
    }
};

TEST_F(Registration, TheIniIsCopiedWithTheVersionAndNoneBecomesEmpty)
{
    auto ini = isdnTaIni();
    // Two keys, either may sign the product's sites.
    ini.append(QPair<QString, QString>{"UpdatePublicKey", " RWQf6LRCGA9i53mlYecO4IzT51TGPpvWucNSCh1CBM0QTaLn73Y7GFO3  RWTUPy8TDHtCDWT1GeoTKt4BUV3C7fNN5L3XlSu8/xnln+sk4fmz48ND"});
    writeIni("ISDNTA.ini", ini);
    start();
    detected();
    EXPECT_TRUE(frame->IniToRegistryInfo("ISDNTA.ini", "11/30/99"));
    EXPECT_EQ(stored("Brenmoor ISDN TA", "InstalledVersion"), "1999.11.30");
    EXPECT_EQ(stored("Brenmoor ISDN TA", "ProductUpdateURL"), "http://updates.example/isdnta");
    EXPECT_EQ(stored("Brenmoor ISDN TA", "UpdateIniDirectory"), "isdnta");
    EXPECT_EQ(stored("Brenmoor ISDN TA", "InstallDirectory"), "C:\\Varnel\\Patchwell");
    EXPECT_EQ(stored("Brenmoor ISDN TA", "CustomerID"), "VARNEL");
    EXPECT_EQ(stored("Brenmoor ISDN TA", "CustomerPassword"), "");
    EXPECT_EQ(stored("Brenmoor ISDN TA", "UpdatePublicKey"),
              "RWQf6LRCGA9i53mlYecO4IzT51TGPpvWucNSCh1CBM0QTaLn73Y7GFO3 RWTUPy8TDHtCDWT1GeoTKt4BUV3C7fNN5L3XlSu8/xnln+sk4fmz48ND");
    // Two log calls, each with its time stamp.
    EXPECT_TRUE(logHas("IniToRegistryInfo(ISDNTA.ini,"));
    EXPECT_TRUE(logHas("11/30/99)\n"));
    EXPECT_TRUE(logHas("szIniPathName=[C:\\Varnel\\Patchwell\\ISDNTA.ini]\n"));
}

TEST_F(Registration, AnIncompleteOrMissingIniWritesNothing)
{
    auto ini = isdnTaIni();
    ini[5].second.clear();   // UpdateIniDirectory
    writeIni("ISDNTA.ini", ini);
    start();
    detected();
    EXPECT_FALSE(frame->IniToRegistryInfo("ISDNTA.ini", "11/30/99"));
    EXPECT_FALSE(frame->IniToRegistryInfo("IDSLmodem.ini", "09/01/99"));
    EXPECT_FALSE(reg::keyExists(RegRoot::LocalMachine, QString(kProducts) + "Brenmoor ISDN TA"));
}

TEST_F(Registration, DetectionRegistersWhatItFoundAndPortdeckItself)
{
    writeIni("ISDNTA.ini", isdnTaIni());
    writeIni("PdeckReg.ini", {{"ProductName", "Portdeck"},
                              {"CustomerID", "VARNEL"},
                              {"CustomerPassword", "secret"},
                              {"Version", "3.0"},
                              {"ProductUpdateUrl", "http://updates.example/portdeck"},
                              {"UpdateIniDirectory", "NONE"}});
    // A key pinned before (an INI without one does not take it away).
    reg::writeString(RegRoot::LocalMachine, QString(kProducts) + "Portdeck", "UpdatePublicKey", "RWQpinned");
    device(FakeProduct::IsdnTa, 1);
    start();
    detected();
    EXPECT_EQ(stored("Brenmoor ISDN TA", "InstalledVersion"), "1999.04.12");
    EXPECT_EQ(stored("Portdeck", "UpdatePublicKey"), "RWQpinned");
    EXPECT_TRUE(frame->modelRegistered[ModelISDNTA]);
    EXPECT_EQ(stored("Portdeck", "InstalledVersion"), frame->buildNumber);
    EXPECT_EQ(stored("Portdeck", "CustomerPassword"), "secret");
    EXPECT_EQ(stored("Portdeck", "UpdateIniDirectory"), "");
}
