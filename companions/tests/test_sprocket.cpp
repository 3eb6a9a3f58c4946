// The firmware updater: the file check against the device, a full flash
// through tallysim with the device's own reset waited out by the host, a
// device that does not come back, and the "at~x!" restart whose reset the
// host hands to the updater (played by a scripted device on a pty pair).
#include "fresh_root.h"
#include "formhelpers.h"
#include "hostharness.h"
#include "ptypair.h"
#include "registry.h"
#include "simdevice.h"
#include "uiservices.h"

#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <QThread>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

constexpr int kCom = 9;

QByteArray imageBytes(const QByteArray &code, const QByteArray &date, int size)
{
    QByteArray bytes = "VARNEL-FW " + code + ' ' + date + "\r\n";
    QRandomGenerator random(42);
    while (bytes.size() < size)
        bytes.append(char(random.bounded(0x20, 0x7f)));
    return bytes;
}

class SprocketTest : public FreshRootTest {
protected:
    void SetUp() override { setUiServices(&ui); }
    void TearDown() override
    {
        if (destroy)
            destroy();
        setUiServices(nullptr);
    }

    QString writeImage(const QString &name, const QByteArray &bytes)
    {
        QFile f(files.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    // The host's side of "Flash From Disk": reset trigger, event routing, then the updater's screen.
    void startHost()
    {
        host = std::make_unique<HostHarness>(kCom);
        ASSERT_TRUE(host->openPort());
        ASSERT_TRUE(lib.loaded()) << qPrintable(lastModuleError());
        auto init = lib.fn<InitializeModemUpdaterFn>("_InitializeModemUpdater");
        auto topLeft = lib.fn<SetTopLeftPointFn>("_SetModemUpdaterTopLeftPoint");
        auto language = lib.fn<SetLanguageFn>("_SetFlashLanguage");
        show = lib.fn<ShowFlagFn>("_ShowModemUpdater");
        destroy = lib.fn<VoidFn>("_DestroyDll");
        inProgress = lib.fn<IntFn>("_UpdateIsInProgress");
        host->triggerAvail = lib.fn<TriggerAvailFn>("_ModemUpdaterComPort1TriggerAvail");
        host->triggerData = lib.fn<TriggerDataFn>("_ModemUpdaterComPort1TriggerData");
        host->lastComportCmd = lib.fn<LastComportCmdFn>("_LastComportCmd");
        host->protocolStatus = lib.fn<ProtocolEventFn>("_ModemUpdaterProtocol1ProtocolStatus");
        host->protocolError = lib.fn<ProtocolEventFn>("_ModemUpdaterProtocol1ProtocolError");
        host->protocolFinish = lib.fn<ProtocolEventFn>("_ModemUpdaterProtocol1ProtocolFinish");
        host->usbResetReceived = lib.fn<VoidFn>("_USBResetReceived");
        ASSERT_TRUE(init && topLeft && language && show && destroy && inProgress && host->triggerAvail &&
                    host->triggerData && host->lastComportCmd && host->protocolStatus && host->protocolError &&
                    host->protocolFinish && host->usbResetReceived);
        host->addUsbResetTrigger();
        init(host->window.sheet, &host->port, &host->protocol, "Varnel Modem");
        topLeft(0, 0);
        language(0x409, 0x409);
        show(1);
        form = formIn(host->window.sheet, "TSprocketForm");
        ASSERT_NE(form, nullptr);
    }

    void start(const QString &product)
    {
        sim = std::make_unique<SimDevice>(product, kCom);
        ASSERT_TRUE(sim->started());
        startHost();
        ASSERT_TRUE(eventually([&] { return !labelText(form, "FirmwareDateValue").isEmpty(); }));
    }

    void choose(const QString &path)
    {
        ui.fileAnswers << path;
        clickButton(form, "BrowseBtn");
    }

    // Records whether the update counted as running at every status report.
    void watchProgress()
    {
        QObject::connect(&host->protocol, &TApdProtocol::protocolStatus, &host->window,
                         [this] { runningDuringTransfer = runningDuringTransfer && inProgress() != 0; });
    }

    QString status() const { return labelText(form, "StatusLabel"); }

    ScriptedUiServices ui;
    QTemporaryDir files;
    Library lib{"Sprocket.dll"};
    std::unique_ptr<SimDevice> sim;
    std::unique_ptr<HostHarness> host;
    ShowFlagFn show = nullptr;
    VoidFn destroy = nullptr;
    IntFn inProgress = nullptr;
    QWidget *form = nullptr;
    bool runningDuringTransfer = true;
};

TEST_F(SprocketTest, ChecksTheFileAgainstTheDevice)
{
    start(QStringLiteral("56k"));
    EXPECT_EQ(labelText(form, "ProductValue"), QStringLiteral("Varnel Tallyline 56K Business Modem (5172)"));
    EXPECT_EQ(labelText(form, "FirmwareDateValue"), QStringLiteral("03/10/99"));
    auto *update = child<QPushButton>(form, "UpdateBtn");
    EXPECT_FALSE(update->isEnabled());

    choose(writeImage("isdn.bin", imageBytes("5240", "05/01/00", 2048)));
    EXPECT_FALSE(update->isEnabled());
    EXPECT_EQ(ui.messages(), QStringList{"This firmware file is for product 5240, but the selected device is product "
                                         "5172. Please choose the file for your device."});
    EXPECT_EQ(labelText(form, "ImageValue"), QStringLiteral("Firmware for product 5240, dated 05/01/00: not for this device."));

    choose(writeImage("notes.txt", "just some text\n"));
    EXPECT_FALSE(update->isEnabled());
    EXPECT_EQ(labelText(form, "ImageValue"), QStringLiteral("The file is not a firmware image for a Varnel device."));

    choose(writeImage("good.bin", imageBytes("5172", "05/01/00", 2048)));
    EXPECT_TRUE(update->isEnabled());
    EXPECT_EQ(labelText(form, "ImageValue"), QStringLiteral("Firmware for product 5172, dated 05/01/00 (2048 bytes)."));

    // Declining the confirmation sends nothing.
    ui.messageAnswers << IDNO;
    clickButton(form, "UpdateBtn");
    EXPECT_EQ(inProgress(), 0);
    EXPECT_EQ(sim->commands(), QStringList{"ati7\\r"});
    EXPECT_EQ(form->size(), QSize(515, 344));
}

TEST_F(SprocketTest, FlashesThroughTallysimAndConfirmsTheNewDate)
{
    start(QStringLiteral("56k"));
    const QByteArray bytes = imageBytes("5172", "05/01/00", 16 * 1024 + 77);
    choose(writeImage("fw.bin", bytes));
    watchProgress();
    ui.messageAnswers << IDYES;
    clickButton(form, "UpdateBtn");
    EXPECT_EQ(inProgress(), 1);

    ASSERT_TRUE(eventually([&] { return inProgress() == 0; }, 20000)) << qPrintable(status());
    EXPECT_EQ(status(), QStringLiteral("The firmware was updated. The device now reports firmware date 05/01/00."));
    EXPECT_EQ(labelText(form, "FirmwareDateValue"), QStringLiteral("05/01/00"));
    EXPECT_TRUE(runningDuringTransfer);
    EXPECT_EQ(child<QProgressBar>(form, "ProgressBar")->value(), 100);
    EXPECT_EQ(host->protocolFinishes, QList<int>{0});

    // The device took the whole image, reset by itself, and the host waited it out.
    EXPECT_TRUE(sim->transcript().contains(QStringLiteral("firmware image of %1 bytes accepted, date 05/01/00")
                                               .arg(bytes.size())))
        << qPrintable(sim->transcript());
    EXPECT_EQ(host->usbResets, 1);
    EXPECT_EQ(host->lastCommandsSeen, QStringList{"AT~D"});
    const QStringList cmds = sim->commands();
    ASSERT_GE(cmds.size(), 3);
    EXPECT_EQ(cmds.first(), QStringLiteral("ati7\\r"));
    EXPECT_EQ(cmds[1], QStringLiteral("AT~D\\r"));
    EXPECT_EQ(cmds.last(), QStringLiteral("ati7\\r"));
    EXPECT_FALSE(cmds.contains(QStringLiteral("at~x!\\r")));
    EXPECT_EQ(ui.messages().last(), status());
}

TEST_F(SprocketTest, ADeviceThatDoesNotComeBackEndsTheUpdateWithAMessage)
{
    start(QStringLiteral("56k"));
    choose(writeImage("fw.bin", imageBytes("5172", "05/01/00", 4096)));
    host->beforePowerCycle = [this] { sim->kill(); };
    ui.messageAnswers << IDYES;
    clickButton(form, "UpdateBtn");
    ASSERT_TRUE(eventually([&] { return inProgress() == 0; }, 20000));
    EXPECT_EQ(host->reopenFailures, 1);
    EXPECT_EQ(status(), QStringLiteral("The device did not come back after the update. Check its connection; the new "
                                       "firmware date shows once the device answers again."));
    EXPECT_TRUE(child<QPushButton>(form, "BrowseBtn")->isEnabled());
}

TEST_F(SprocketTest, AFailedTransferEndsTheUpdate)
{
    start(QStringLiteral("56k"));
    choose(writeImage("fw.bin", imageBytes("5172", "05/01/00", 64 * 1024)));
    ui.messageAnswers << IDYES;
    clickButton(form, "UpdateBtn");
    ASSERT_TRUE(eventually([&] { return child<QPushButton>(form, "CancelBtn")->isVisible(); }));
    clickButton(form, "CancelBtn");
    ASSERT_TRUE(eventually([&] { return inProgress() == 0; }, 10000));
    EXPECT_EQ(status(), QStringLiteral("The firmware download failed: The download was cancelled."));
    EXPECT_EQ(host->usbResets, 0);
}

// A device that stays up after the image: restarted with "at~x!", whose reset
// the host passes on; the updater waits for the port and reopens it itself.
// The device is a script on its own thread, so that it answers while the
// updater waits in a nested event loop.
TEST_F(SprocketTest, RestartsADeviceThatStaysUpAndReopensItsPortItself)
{
    auto device = std::make_unique<PtyPair>();
    ASSERT_TRUE(device->valid());
    device->registerAs(kCom);
    const QByteArray identity = "\r\nVarnel Lumora IDSL Modem Hardware Profile\r\nProduct type      US/Canada External\r\n"
                                "Product ID        00523700\r\nCode date         %DATE%\r\nSerial Number     LM1\r\n"
                                "\r\nOK\r\n";
    QByteArray image;
    std::atomic<bool> scriptDone{false};
    QString failure;
    std::thread script([&] {
        auto fail = [&](const char *what) { failure = QString::fromLatin1(what); scriptDone = true; };
        if (!device->receiveUntil("ati7\r", 10000).contains("ati7\r"))
            return fail("no first ati7");
        device->send(QByteArray(identity).replace("%DATE%", "09/01/99"));
        if (!device->receiveUntil("AT~D\r", 10000).contains("AT~D\r"))
            return fail("no AT~D");
        device->send("\r\nOK\r\n");
        // Xmodem receive: NAK to start, ACK per block, ACK the end.
        // NAK until the sender starts, as a receiver does; ACK each block, drop repeats.
        QByteArray buf;
        auto need = [&](int n) {
            while (buf.size() < n) {
                const QByteArray more = device->receiveCount(n - int(buf.size()), 5000);
                if (more.isEmpty())
                    return false;
                buf += more;
            }
            return true;
        };
        for (int tries = 0; tries < 50 && buf.isEmpty(); ++tries) {
            device->send("\x15");
            buf += device->receiveCount(1, 100);
        }
        int expected = 1;
        for (;;) {
            if (!need(1))
                return fail("transfer stalled");
            if (buf[0] == '\x04') {
                device->send("\x06");
                break;
            }
            if (buf[0] != '\x01' || !need(132))
                return fail("bad block");
            const int number = quint8(buf[1]);
            if (number == (expected & 0xff)) {
                image += buf.mid(3, 128);
                ++expected;
            }
            buf.remove(0, 132);
            device->send("\x06");
        }
        // It stays silent, so the updater restarts it.
        if (!device->receiveUntil("at~x!\r", 10000).contains("at~x!\r"))
            return fail("no at~x!");
        device->send("\r\nOK\r\n\r\nClose this App\r\n");
        QThread::msleep(50);
        const QString oldPath = device->slavePath();
        device->closeMaster();
        reg::deleteValue(RegRoot::LocalMachine, QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM"), oldPath);
        QThread::msleep(50);
        PtyPair back;
        back.registerAs(kCom);
        if (!back.receiveUntil("ati7\r", 10000).contains("ati7\r"))
            return fail("no ati7 after the restart");
        back.send(QByteArray(identity).replace("%DATE%", "10/02/00"));
        QThread::msleep(100);
        scriptDone = true;
    });

    startHost();
    ASSERT_TRUE(eventually([&] { return labelText(form, "FirmwareDateValue") == QStringLiteral("09/01/99"); }))
        << qPrintable(status());
    choose(writeImage("idsl.fw", imageBytes("5237", "10/02/00", 300)));
    ui.messageAnswers << IDYES;
    clickButton(form, "UpdateBtn");
    EXPECT_EQ(inProgress(), 1);
    const bool finished = eventually([&] { return inProgress() == 0; }, 20000);
    eventually([&] { return scriptDone.load(); }, 5000);
    script.join();
    ASSERT_TRUE(finished) << qPrintable(status());
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure) << " / " << qPrintable(status()) << " / " << image.size();

    EXPECT_TRUE(image.startsWith("VARNEL-FW 5237 10/02/00"));
    EXPECT_EQ(status(), QStringLiteral("The firmware was updated. The device now reports firmware date 10/02/00."));
    // The host saw the reset after "at~x!" and left it to the updater.
    EXPECT_EQ(host->lastCommandsSeen, QStringList{"at~x!"});
    EXPECT_EQ(host->usbResets, 0);
}

TEST_F(SprocketTest, LastCommandFitsTheHostsBuffer)
{
    start(QStringLiteral("56k"));
    auto lastCmd = lib.fn<LastComportCmdFn>("_LastComportCmd");
    char buffer[productlibs::kLastCommandBufferSize + 8];
    std::memset(buffer, 'x', sizeof buffer);
    lastCmd(buffer);
    EXPECT_STREQ(buffer, "ati7");
    EXPECT_EQ(buffer[productlibs::kLastCommandBufferSize], 'x');
    lastCmd(nullptr);   // tolerated

    // Without a form the buffer holds an empty text.
    destroy();
    destroy = nullptr;
    std::memset(buffer, 'x', sizeof buffer);
    lastCmd(buffer);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(inProgress(), 0);
}

} // namespace
