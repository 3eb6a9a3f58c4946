// Portdeck against the device emulator in its own process: detection in both
// modes and the ISDN TA screen, with what the devices received checked from
// their transcripts.

#include "formfixture.h"
#include "paths.h"

#include <QProcess>

namespace {

class WithTallysim : public PortdeckForm {
protected:
    void TearDown() override
    {
        PortdeckForm::TearDown();
        for (auto &p : sims) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }
    // Starts one emulated product as COMn; false when tallysim is not built.
    bool sim(const char *product, int com, const QStringList &extra = {})
    {
        const QString program = tl::programDirectory() + QStringLiteral("/tallysim");
        if (!QFile::exists(program))
            return false;
        auto p = std::make_unique<QProcess>();
        p->start(program, QStringList{"--product", product, "--com", QString::number(com), "--link",
                                      root.file(QStringLiteral("ttyCOM%1").arg(com)), "--log",
                                      root.file(QStringLiteral("COM%1.log").arg(com))}
                              + extra);
        const bool ready = p->waitForReadyRead(10000);
        sims.push_back(std::move(p));
        return ready;
    }
    QString transcript(int com)
    {
        QFile f(root.file(QStringLiteral("COM%1.log").arg(com)));
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }
    std::vector<std::unique_ptr<QProcess>> sims;
};

} // namespace

TEST_F(WithTallysim, DirectDetectionAndIsdnTaScreen)
{
    if (!sim("isdnta", 1) || !sim("56k", 3) || !sim("idsl", 4))
        GTEST_SKIP() << "tallysim is not built";
    start();
    detected();
    ASSERT_EQ(frame->ModemCount, 3);
    EXPECT_EQ(frame->deviceRecords[0].name, "Varnel Brenmoor ISDN TA");
    EXPECT_EQ(frame->deviceRecords[1].nComnPort, 3);
    EXPECT_EQ(frame->deviceRecords[2].nModemType, 2);
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }));
    EXPECT_FALSE(frame->infoValues[7]->text().isEmpty());
    EXPECT_EQ(frame->serialNumber, frame->infoValues[7]->text());
    EXPECT_NE(frame->ati7State, "");
    const QString isdn = transcript(1);
    for (const char *command : {"ATE0Q0V1", "ATI7", "AT#D=", "AT#T=", "AT~C?", "ati7", "ati12"})
        EXPECT_TRUE(isdn.contains(QLatin1String(command))) << command;
    EXPECT_FALSE(transcript(3).contains(QLatin1String("AT#D=")));
    click(frame->TerminateBtn);
    EXPECT_TRUE(terminated);
}

TEST_F(WithTallysim, TapiDetectionSetsTheClockInUsOrder)
{
    if (!sim("isdnta", 2, {"--tapi-name", "Varnel Brenmoor ISDN TA"}))
        GTEST_SKIP() << "tallysim is not built";
    start({"/l", "/t"});
    frame->clockNow = [] { return QDateTime(QDate(1999, 4, 7), QTime(9, 5, 3)); };
    detected();
    ASSERT_EQ(frame->m_nNumDetectedProducts, 1);
    EXPECT_EQ(frame->lastProductCode, "5240");
    const QString log = transcript(2);
    EXPECT_TRUE(log.contains(QLatin1String("AT#D=4:7:99"))) << qPrintable(log.left(2000));
    EXPECT_TRUE(log.contains(QLatin1String("AT#T=9:5:3")));
}

TEST_F(WithTallysim, UsbResetFollowsTheDeviceToItsNewPortByItsByIdLink)
{
    // A USB modem that comes back from its reset under another device node
    // and COM number, found again through its by-id link.
    const QString byId = root.file(QStringLiteral("by-id"));
    QDir().mkpath(byId);
    struct ByIdDirectory {
        QByteArray previous = qgetenv("TALLYLINE_SERIAL_BY_ID_DIR");
        explicit ByIdDirectory(const QString &dir) { qputenv("TALLYLINE_SERIAL_BY_ID_DIR", QFile::encodeName(dir)); }
        ~ByIdDirectory()
        {
            if (previous.isEmpty())
                qunsetenv("TALLYLINE_SERIAL_BY_ID_DIR");
            else
                qputenv("TALLYLINE_SERIAL_BY_ID_DIR", previous);
        }
    } byIdDirectory(byId);
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem",
                     "Serial Number1", "SN77");   // not a first install
    const bool started = sim("56k", 2,
                             {"--serial", "SN77", "--by-id", byId + "/usb-Varnel_56K_Business_Modem_SN77-if00",
                              "--return-link", root.file("ttyCOM5"), "--return-com", "5", "--fault",
                              "reset-after=ati3"});
    if (!started)
        GTEST_SKIP() << "tallysim is not built";
    start();
    detected();
    ASSERT_EQ(frame->ModemCount, 1);
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
    frame->currentActivity = "Appwizard";   // the configuration tool is running
    frame->ApdComPort1->putString(QByteArrayLiteral("ati3\r"));
    // Meanwhile another device takes the number the modem had.
    FakeDevice &other = device(FakeProduct::IsdnTa, 2);
    ASSERT_TRUE(waitFor([this] { return logHas("CloseComPort_NonTAPI() return\n"); }));
    EXPECT_TRUE(other.commands().isEmpty());
    EXPECT_TRUE(logHas("start of power cycle\n"));
    EXPECT_TRUE(logHas("device came back as COM5\n"));
    EXPECT_TRUE(logHas("re-open comport after power-cycle\n"));
    EXPECT_FALSE(logHas("failed to re-open after power-cycle\n"));
    EXPECT_TRUE(frame->ApdComPort1->isOpen());
    EXPECT_EQ(frame->ApdComPort1->comNumber(), 5);
    EXPECT_EQ(frame->currentDevice.nComnPort, 5);
    EXPECT_EQ(frame->deviceRecords[0].nComnPort, 5);
    EXPECT_TRUE(button(0)->hint().endsWith("(COM5)")) << qPrintable(button(0)->hint());

    // The link works on the new port: the way back says goodbye to the modem there.
    click(frame->backbtn);
    ASSERT_TRUE(waitFor([this] { return transcript(2).contains(QLatin1String("USB reset: back on")); }));
    const QString log = transcript(2);
    EXPECT_TRUE(log.indexOf(QLatin1String("> AT%S=")) > log.indexOf(QLatin1String("USB reset: back on")))
        << qPrintable(log.right(1500));
}
