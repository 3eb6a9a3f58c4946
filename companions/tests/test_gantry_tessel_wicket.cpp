// The terminal, the IDSL configuration and the decoder screen, each driven
// through its exports against tallysim or the linescope program.
#include "fresh_root.h"
#include "formhelpers.h"
#include "hostharness.h"
#include "ptypair.h"
#include "simdevice.h"
#include "uiservices.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <cstdint>

namespace {

constexpr int kCom = 11;

class LibraryTest : public FreshRootTest {
protected:
    void SetUp() override { setUiServices(&ui); }
    void TearDown() override
    {
        if (destroy)
            destroy();
        setUiServices(nullptr);
    }
    void startDevice(const QString &product, const QStringList &extra = {})
    {
        sim = std::make_unique<SimDevice>(product, kCom, extra);
        ASSERT_TRUE(sim->started());
        host = std::make_unique<HostHarness>(kCom);
        ASSERT_TRUE(host->openPort());
    }

    ScriptedUiServices ui;
    QTemporaryDir files;
    std::unique_ptr<SimDevice> sim;
    std::unique_ptr<HostHarness> host;
    VoidFn destroy = nullptr;
    QWidget *form = nullptr;
};

// --- Gantry -----------------------------------------------------------------

class GantryTest : public LibraryTest {
protected:
    void start(const QString &product, const char *kind, const QStringList &extra = {})
    {
        startDevice(product, extra);
        attach(kind);
    }
    // Initialises and shows the terminal on the host's port, as the host does.
    void attach(const char *kind)
    {
        ASSERT_TRUE(lib.loaded()) << qPrintable(lastModuleError());
        auto init = lib.fn<InitializeTerminalFn>("_InitializeTerminal");
        auto show = lib.fn<ShowTerminalFn>("_ShowTerminal");
        destroy = lib.fn<VoidFn>("_DestroyDll");
        host->protocolError = lib.fn<ProtocolEventFn>("_TerminalProtocol1ProtocolError");
        host->protocolFinish = lib.fn<ProtocolEventFn>("_TerminalProtocol1ProtocolFinish");
        ASSERT_TRUE(init && show && destroy && host->protocolError && host->protocolFinish);
        init(host->window.sheet, &host->port, nullptr, &host->protocol);
        lib.fn<SetTopLeftPointFn>("_SetTerminalTopLeftPoint")(0, 0);
        lib.fn<SetLanguageFn>("_SetTermLanguage")(0x409, 0x409);
        show(1, kind);
        form = formIn(host->window.sheet, "TGantryForm");
        ASSERT_NE(form, nullptr);
        view = child<QPlainTextEdit>(form, "TerminalView");
    }
    void type(const QString &keys)
    {
        QTest::keyClicks(view, keys);
        QTest::keyClick(view, Qt::Key_Return);
    }
    QString screen() const { return view->toPlainText(); }

    Library lib{"Gantry.dll"};
    QPlainTextEdit *view = nullptr;
};

TEST_F(GantryTest, TypedKeysReachTheDeviceAndItsAnswerIsShownAsPrinted)
{
    start(QStringLiteral("isdnta"), "quillon");
    EXPECT_EQ(labelText(form, "DeviceLabel"), QStringLiteral("Terminal: ISDN TA"));
    type(QStringLiteral("ati7"));
    ASSERT_TRUE(eventually([&] { return screen().contains(QStringLiteral("\nOK")); })) << qPrintable(screen());
    EXPECT_EQ(sim->commands(), QStringList{"ati7\\r"});
    // The device's echo, then its answer line by line; no carriage returns left over.
    EXPECT_TRUE(screen().startsWith(QStringLiteral("ati7\n"))) << qPrintable(screen());
    EXPECT_TRUE(screen().contains(QStringLiteral("\nProduct ID        00524001\n")));
    EXPECT_FALSE(screen().contains(QLatin1Char('\r')));

    clickButton(form, "ClearBtn");
    EXPECT_EQ(screen(), QString());
}

TEST_F(GantryTest, LocalEchoShowsWhatIsTypedWhenTheDeviceDoesNotEcho)
{
    start(QStringLiteral("56k"), "corvane", {QStringLiteral("--no-echo")});
    EXPECT_EQ(labelText(form, "DeviceLabel"), QStringLiteral("Terminal: 56K Business Modem"));
    type(QStringLiteral("at"));
    ASSERT_TRUE(eventually([&] { return screen().contains(QStringLiteral("OK")); }));
    EXPECT_FALSE(screen().contains(QStringLiteral("at")));

    child<QCheckBox>(form, "LocalEchoCheck")->setChecked(true);
    clickButton(form, "ClearBtn");
    type(QStringLiteral("ats7?"));
    ASSERT_TRUE(eventually([&] { return screen().contains(QStringLiteral("050")); }));
    EXPECT_TRUE(screen().startsWith(QStringLiteral("ats7?\n"))) << qPrintable(screen());
}

TEST_F(GantryTest, SendsAFileByXmodemAndReportsTheFinish)
{
    start(QStringLiteral("56k"), "corvane");
    // The modem's download command starts its Xmodem receiver.
    type(QStringLiteral("AT~D"));
    ASSERT_TRUE(eventually([&] { return screen().contains(QStringLiteral("OK")); }));
    QFile f(files.filePath(QStringLiteral("fw.bin")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("VARNEL-FW 5172 07/04/00\r\n") + QByteArray(3000, 'z'));
    f.close();
    ui.fileAnswers << f.fileName();
    clickButton(form, "SendFileBtn");
    EXPECT_FALSE(child<QPushButton>(form, "SendFileBtn")->isEnabled());
    ASSERT_TRUE(eventually([&] { return !host->protocolFinishes.isEmpty(); }, 10000));
    EXPECT_EQ(host->protocolFinishes, QList<int>{0});
    EXPECT_EQ(labelText(form, "StatusLabel"), QStringLiteral("The transfer of fw.bin is complete."));
    EXPECT_TRUE(child<QPushButton>(form, "SendFileBtn")->isEnabled());
    EXPECT_TRUE(eventually([&] { return sim->transcript().contains(QStringLiteral("3025 bytes accepted")); }));
}

// One Xmodem block with its checksum, padded with ^Z.
QByteArray xmodemBlock(int number, QByteArray data)
{
    data = data.leftJustified(128, '\x1a', true);
    unsigned char sum = 0;
    for (const char c : data)
        sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(c));
    return QByteArray(1, '\x01') + char(number) + char(255 - number) + data + char(sum);
}

TEST_F(GantryTest, ReceivesAFileByXmodemFromTheDevice)
{
    // The device's side is played here: it sends when the terminal asks.
    PtyPair device;
    ASSERT_TRUE(device.valid());
    device.registerAs(kCom);
    host = std::make_unique<HostHarness>(kCom);
    ASSERT_TRUE(host->openPort());
    attach("corvane");

    QByteArray data;
    for (int i = 0; i < 300; ++i)
        data.append(char(i * 7));
    const QString target = files.filePath(QStringLiteral("capture.bin"));
    ui.fileAnswers << target;
    clickButton(form, "ReceiveFileBtn");
    EXPECT_EQ(labelText(form, "StatusLabel"), QStringLiteral("Receiving capture.bin by Xmodem..."));
    ASSERT_TRUE(device.receiveUntil("\x15", 10000).contains('\x15'));   // the receiver's start NAK
    for (int block = 1; block <= 3; ++block) {
        device.send(xmodemBlock(block, data.mid((block - 1) * 128, 128)));
        ASSERT_TRUE(device.receiveUntil("\x06", 5000).contains('\x06')) << "block " << block;
    }
    device.send("\x04");
    ASSERT_TRUE(device.receiveUntil("\x06", 5000).contains('\x06'));

    ASSERT_TRUE(eventually([&] { return !host->protocolFinishes.isEmpty(); }, 10000));
    EXPECT_EQ(host->protocolFinishes, QList<int>{0});
    EXPECT_EQ(labelText(form, "StatusLabel"), QStringLiteral("The transfer of capture.bin is complete."));
    QFile got(target);
    ASSERT_TRUE(got.open(QIODevice::ReadOnly));
    EXPECT_TRUE(got.readAll().startsWith(data));
    EXPECT_TRUE(child<QPushButton>(form, "ReceiveFileBtn")->isEnabled());
}

TEST_F(GantryTest, AClosedPortIsReportedWhenTyping)
{
    start(QStringLiteral("56k"), "corvane");
    host->port.close();
    type(QStringLiteral("at"));
    EXPECT_EQ(labelText(form, "StatusLabel"), QStringLiteral("The port is not open."));
}

// --- Tessel -----------------------------------------------------------------

// A screen reader reads the screen: a text named by the line above it, with
// the device's answer in it; the keys typed into it still go to the device.
TEST_F(GantryTest, TheScreenIsATextAListenerCanRead)
{
    start(QStringLiteral("isdnta"), "quillon");
    QAccessibleInterface *screenIface = QAccessible::queryAccessibleInterface(view);
    ASSERT_NE(screenIface, nullptr);
    EXPECT_EQ(screenIface->text(QAccessible::Name), QStringLiteral("Terminal: ISDN TA"));
    EXPECT_TRUE(screenIface->state().focusable);
    ASSERT_NE(screenIface->textInterface(), nullptr);
    type(QStringLiteral("ati7"));
    ASSERT_TRUE(eventually([&] { return screen().contains(QStringLiteral("\nOK")); }));
    QAccessibleTextInterface *text = screenIface->textInterface();
    EXPECT_TRUE(text->text(0, text->characterCount()).contains(QStringLiteral("Product ID        00524001")));
    EXPECT_EQ(sim->commands(), QStringList{"ati7\\r"});
}

class TesselTest : public LibraryTest {
protected:
    void start()
    {
        startDevice(QStringLiteral("idsl"));
        ASSERT_TRUE(lib.loaded()) << qPrintable(lastModuleError());
        auto init = lib.fn<InitializeIDSLFormFn>("_InitializeIDSLForm");
        show = lib.fn<ShowFlagFn>("_ShowIDSLForm");
        destroy = lib.fn<VoidFn>("_DestroyIDSLFormDll");
        ASSERT_TRUE(init && show && destroy);
        init(host->window.sheet, &host->port, &host->window, productlibs::kFormFinishedMessage);
        lib.fn<SetTopLeftPointFn>("_SetIDSLFormTopLeftPoint")(0, 0);
        lib.fn<SetLanguageFn>("_SetIDSLFormLanguage")(0x409, 0x409);
        show(1);
        form = formIn(host->window.sheet, "TTesselForm");
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(eventually([&] { return !labelText(form, "PppModeValue").isEmpty(); }));
    }
    Library lib{"Tessel.dll"};
    ShowFlagFn show = nullptr;
};

TEST_F(TesselTest, ShowsIdentityAndLineSettingsAndLeavesByDone)
{
    start();
    EXPECT_EQ(labelText(form, "ProductValue"), QStringLiteral("Varnel Lumora IDSL Modem"));
    EXPECT_EQ(labelText(form, "ProductIdValue"), QStringLiteral("00523700"));
    EXPECT_EQ(labelText(form, "FirmwareDateValue"), QStringLiteral("09/01/99"));
    EXPECT_EQ(labelText(form, "SerialNumberValue"), QStringLiteral("LM0901005"));
    EXPECT_EQ(labelText(form, "LineStatusValue"), QStringLiteral("Ready"));
    EXPECT_EQ(labelText(form, "PppModeValue"), QStringLiteral("4"));
    EXPECT_EQ(child<QComboBox>(form, "LineTypeCombo")->currentData().toInt(), 7);
    EXPECT_FALSE(child<QPushButton>(form, "ApplyBtn")->isEnabled());
    EXPECT_EQ(sim->commands(), (QStringList{"ati7\\r", "ati12\\r", "ati16\\r"}));

    clickButton(form, "DoneBtn");
    ASSERT_TRUE(eventually([&] { return host->window.count(productlibs::kFormFinishedMessage) == 1; }));
    EXPECT_EQ(host->window.messages.last().lParam, 0);
}

// Keyboard alone: Tab walks the form in reading order, Enter presses the
// focused button; the values are named by their captions.
TEST_F(TesselTest, WalkedByTabAndLeftByEnter)
{
    start();
    auto name = [&](const char *widget) {
        return QAccessible::queryAccessibleInterface(child<QWidget>(form, widget))->text(QAccessible::Name);
    };
    EXPECT_EQ(name("SerialNumberValue"), QStringLiteral("Serial number: LM0901005"));
    EXPECT_EQ(name("LineStatusValue"), QStringLiteral("Line status: Ready"));
    // A combo box is named by its choice and labelled by its caption.
    const auto labels = QAccessible::queryAccessibleInterface(child<QWidget>(form, "LineTypeCombo"))
                            ->relations(QAccessible::Label);
    QStringList labelNames;
    for (const auto &label : labels)
        labelNames << label.first->text(QAccessible::Name);
    EXPECT_TRUE(labelNames.contains(QStringLiteral("Line type:"))) << labelNames.join('|').toStdString();

    host->window.show();
    QApplication::setActiveWindow(&host->window);
    auto *combo = child<QComboBox>(form, "LineTypeCombo");
    combo->setFocus();
    QStringList walked;
    for (int i = 0; i < 6 && QApplication::focusWidget(); ++i) {
        walked << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(walked.mid(0, 3), (QStringList{"LineTypeCombo", "RefreshBtn", "DoneBtn"})) << walked.join(' ').toStdString();

    // The rate changed by the arrow keys, written by Enter on Apply.
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    auto *apply = child<QPushButton>(form, "ApplyBtn");
    ASSERT_TRUE(apply->isEnabled());
    QTest::keyClick(apply, Qt::Key_Return);
    ASSERT_TRUE(eventually([&] { return labelText(form, "StatusLabel") == QStringLiteral("The settings were saved."); }));
    EXPECT_EQ(sim->commands().mid(3, 1), QStringList{"AT*W=8\\r"});

    QTest::keyClick(child<QPushButton>(form, "DoneBtn"), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(eventually([&] { return host->window.count(productlibs::kFormFinishedMessage) == 1; }));
}

TEST_F(TesselTest, WritesTheLineRateAndReadsItBack)
{
    start();
    auto *combo = child<QComboBox>(form, "LineTypeCombo");
    combo->setCurrentIndex(combo->findData(8));
    clickButton(form, "ApplyBtn");
    ASSERT_TRUE(eventually([&] { return labelText(form, "StatusLabel") == QStringLiteral("The settings were saved."); }));
    EXPECT_EQ(sim->commands().mid(3, 2), (QStringList{"AT*W=8\\r", "AT&W\\r"}));
    EXPECT_EQ(combo->currentData().toInt(), 8);
    EXPECT_TRUE(sim->transcript().contains(QStringLiteral("*W =8  Leased Line 144K")));
}

TEST_F(TesselTest, ARefusedQueryIsReportedAndWhatWasReadStays)
{
    startDevice(QStringLiteral("idsl"), {QStringLiteral("--fault"), QStringLiteral("error=ati12")});
    ASSERT_TRUE(lib.loaded()) << qPrintable(lastModuleError());
    lib.fn<InitializeIDSLFormFn>("_InitializeIDSLForm")(host->window.sheet, &host->port, &host->window,
                                                        productlibs::kFormFinishedMessage);
    destroy = lib.fn<VoidFn>("_DestroyIDSLFormDll");
    lib.fn<ShowFlagFn>("_ShowIDSLForm")(1);
    form = formIn(host->window.sheet, "TTesselForm");
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(eventually([&] { return labelText(form, "StatusLabel") == QStringLiteral("The modem refused the command."); }));
    EXPECT_EQ(labelText(form, "SerialNumberValue"), QStringLiteral("LM0901005"));
    EXPECT_FALSE(child<QPushButton>(form, "ApplyBtn")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(form, "DoneBtn")->isEnabled());
    EXPECT_EQ(sim->commands(), (QStringList{"ati7\\r", "ati12\\r"}));
}

// --- Wicket -----------------------------------------------------------------

QByteArray captureBytes()
{
    // Records: drivers loaded (National ISDN), layer 1 up; each an 8-byte header and payload, flag-framed.
    auto record = [](char type, const QByteArray &payload) {
        QByteArray r;
        r.append(type).append('\0');
        r.append(char(payload.size() & 0xff)).append(char(payload.size() >> 8));
        r.append(QByteArray("\x05\x00\x00\x00", 4));
        return r + payload;
    };
    const QByteArray records = record('4', QByteArray(1, '\0')) + record('3', QByteArray());
    QByteArray out(1, '\x7e');
    for (const char c : records) {
        if (c == '\x7e' || c == '\x7d')
            out.append('\x7d').append(char(c ^ 0x20));
        else
            out.append(c);
    }
    return out + '\x7e';
}

class WicketTest : public LibraryTest {
protected:
    void start(const char *modem)
    {
        ASSERT_TRUE(lib.loaded()) << qPrintable(lastModuleError());
        auto init = lib.fn<InitializeDecoderFn>("_InitializeDecoder");
        auto show = lib.fn<ShowDecoderFormFn>("_ShowDecoderForm");
        destroy = lib.fn<VoidFn>("_DestroyDecoderDll");
        ASSERT_TRUE(init && show && destroy);
        init(window.sheet, nullptr);
        lib.fn<SetTopLeftPointFn>("_SetDecoderTopLeftPoint")(0, 0);
        lib.fn<SetLanguageFn>("_SetPPPLanguage")(0x409, 0x409);
        show(1, modem);
        form = formIn(window.sheet, "TWicketForm");
        ASSERT_NE(form, nullptr);
    }
    QString writeFile(const char *name, const QByteArray &bytes)
    {
        QFile f(files.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    Library lib{"Wicket.dll"};
    HostWindow window;
};

TEST_F(WicketTest, DecodesACaptureAndSavesTheReportAsWritten)
{
    start("ISDNTA");
    ui.fileAnswers << writeFile("capture.dat", captureBytes());
    clickButton(form, "OpenCaptureBtn");
    const QString shown = child<QPlainTextEdit>(form, "ReportView")->toPlainText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Varnel ISDN Event LINESCOPE Utility"))) << qPrintable(shown);
    EXPECT_TRUE(shown.contains(QStringLiteral("\nDrivers loaded.\n")));
    EXPECT_TRUE(shown.contains(QStringLiteral("Switch type = National ISDN")));
    EXPECT_FALSE(shown.contains(QLatin1Char('\r')));
    EXPECT_EQ(labelText(form, "StatusLabel"), QStringLiteral("Decoded capture.dat."));

    const QString target = files.filePath(QStringLiteral("report.txt"));
    ui.fileAnswers << target;
    clickButton(form, "SaveReportBtn");
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_TRUE(bytes.contains("Drivers loaded.\r"));
    EXPECT_EQ(QString::fromLatin1(bytes).replace(QLatin1Char('\r'), QLatin1Char('\n')), shown);
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(WicketTest, ACaptureTheDecoderCannotReadIsReported)
{
    start("56KModem");
    EXPECT_EQ(labelText(form, "StatusLabel"),
              QStringLiteral("Event captures are taken by the ISDN TA; you can still open one saved earlier."));
    EXPECT_FALSE(child<QPushButton>(form, "SaveReportBtn")->isEnabled());
    ui.fileAnswers << files.filePath(QStringLiteral("missing.dat"));
    clickButton(form, "OpenCaptureBtn");
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().first().startsWith(QStringLiteral("The capture could not be decoded: Error: Could not "
                                                                "open input file")))
        << qPrintable(ui.messages().first());
    EXPECT_FALSE(child<QPushButton>(form, "SaveReportBtn")->isEnabled());
}

} // namespace
