// Registration of the detected products with the update service: each
// product kind's INI file in the service's directory is copied into the
// service's product key, with the installed version.

#include "containerframe.h"
#include "inifile.h"
#include "paths.h"
#include "registry.h"

namespace {

const char *const kProductsKey = "Software\\Varnel\\Patchwell\\Products\\";
const char *const kSection = "PwRegInfo";
// Values are read as into a buffer of 255 characters.
constexpr int kValueLength = 254;

} // namespace

QString TcontainerFrame::installedVersionText(const QString &version)
{
    // Program versions ("3.02.05") stay as they are; a firmware date MM/DD/YY
    // becomes YYYY.MM.DD, years from 90 on in the 1900s.
    if (version.contains(QLatin1Char('.')))
        return version;
    const QString shortForm = version.mid(6, 2) + QLatin1Char('.') + version.mid(0, 2) + QLatin1Char('.')
                              + version.mid(3, 2);
    const bool nineties = !shortForm.isEmpty() && shortForm.at(0) > QLatin1Char('8');
    return (nineties ? QStringLiteral("19") : QStringLiteral("20")) + shortForm;
}

bool TcontainerFrame::IniToRegistryInfo(const QString &iniName, const QString &version)
{
    log("IniToRegistryInfo(%s,", iniName);
    log("%s)\n", version);
    const QString installedVersion = installedVersionText(version);
    if (patchwellInstallDirectory.isEmpty())
        patchwellInstallDirectory =
            reg::readString(RegRoot::LocalMachine, QLatin1String(kPatchwellRegistrationKey),
                            QStringLiteral("InstallDirectory"))
                .value_or(QString());
    const QString iniPath = patchwellInstallDirectory + QLatin1Char('\\') + iniName;
    log("szIniPathName=[%s]\n", iniPath);
    // Installed, the registration files lie in the data folder beside Patchwell's.
    const QString iniFile = tl::installedFile(iniPath, tl::InstalledKind::Data);

    auto read = [&](const char *key) {
        return GetPrivateProfileString(QLatin1String(kSection), QLatin1String(key), QString(), iniFile)
            .left(kValueLength);
    };
    const QString productName = read("ProductName");
    const QString customerId = read("CustomerID");
    QString customerPassword = read("CustomerPassword");
    const QString iniVersion = read("Version");   // the caller's version is the one written
    const QString updateUrl = read("ProductUpdateUrl");
    QString updateIniDirectory = read("UpdateIniDirectory");
    for (const QString &value : {productName, customerId, customerPassword, iniVersion, updateUrl,
                                 updateIniDirectory}) {
        if (value.isEmpty())
            return false;
    }
    if (customerPassword.compare(QLatin1String("NONE"), Qt::CaseInsensitive) == 0)
        customerPassword.clear();
    if (updateIniDirectory.compare(QLatin1String("NONE"), Qt::CaseInsensitive) == 0)
        updateIniDirectory.clear();

    const QString key = QLatin1String(kProductsKey) + productName;
    if (reg::createKey(RegRoot::LocalMachine, key)) {
        const QList<QPair<const char *, QString>> values = {
            {"InstalledVersion", installedVersion}, {"ProductUpdateURL", updateUrl},
            {"UpdateIniDirectory", updateIniDirectory}, {"InstallDirectory", patchwellInstallDirectory},
            {"CustomerID", customerId}, {"CustomerPassword", customerPassword},
        };
        for (const auto &v : values)
            reg::writeString(RegRoot::LocalMachine, key, QLatin1String(v.first), v.second);
        // The keys the product's update sites are signed with (blank-separated).
        // Without them in the INI, a key pinned before is kept: an update of
        // the INI never drops a product's protection.
        const QString publicKey =
            GetPrivateProfileString(QLatin1String(kSection), QStringLiteral("UpdatePublicKey"), QString(), iniFile)
                .simplified();
        if (!publicKey.isEmpty())
            reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("UpdatePublicKey"), publicKey);
    }
    return true;
}
