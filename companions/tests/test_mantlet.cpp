// The 56K configuration library against tallysim: what it reads and shows,
// the settings it writes, leaving by "Done", the welcome page, and the
// country change with the modem's USB restart.
#include "fresh_root.h"
#include "formhelpers.h"
#include "hostharness.h"
#include "simdevice.h"
#include "uiservices.h"

#include <QAccessible>
#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QStackedWidget>

namespace {

constexpr int kCom = 7;

class MantletTest : public FreshRootTest {
protected:
    void SetUp() override { setUiServices(&ui); }
    void TearDown() override
    {
        if (destroy)
            destroy();
        setUiServices(nullptr);
    }

    // Starts the device and the host, initialises and shows the form the way the host does.
    void start(const QString &product, bool countryChangeable, bool firstInstall, bool usb,
               const QStringList &extra = {})
    {
        sim = std::make_unique<SimDevice>(product, kCom, extra);
        ASSERT_TRUE(sim->started());
        host = std::make_unique<HostHarness>(kCom);
        ASSERT_TRUE(host->openPort());
        ASSERT_TRUE(lib.loaded()) << qPrintable(lastModuleError());
        auto init = lib.fn<InitializeConfigFormFn>("_InitializeConfigForm");
        auto topLeft = lib.fn<SetTopLeftPointFn>("_SetFormTopLeftPoint");
        auto language = lib.fn<SetLanguageFn>("_SetConfigLanguage");
        show = lib.fn<ShowConfigFormFn>("_ShowConfigForm");
        auto usbFlag = lib.fn<SetUSBFlagFn>("_SetUSBFlag");
        destroy = lib.fn<VoidFn>("_DestroyDll");
        helpId = lib.fn<IntFn>("_GetConfigHelpID");
        setComPtrs = lib.fn<SetComPtrsConfigFormFn>("_SetComPtrsConfigForm");
        setWait = lib.fn<SetWaitForComPortRefreshFn>("_SetWaitForComPortRefresh");
        host->triggerAvail = lib.fn<TriggerAvailFn>("_CorvaneComPort1TriggerAvail");
        host->usbResetReceived = lib.fn<VoidFn>("_USBResetReceived");
        ASSERT_TRUE(init && topLeft && language && show && usbFlag && destroy && helpId && setComPtrs && setWait);

        // The host's answer to the refresh request: wait out the restart, hand the port back.
        host->window.onMessage = [this](const PostedMessage &m) {
            if (m.message != productlibs::kRefreshComPortMessage)
                return;
            reopened = host->waitThroughPowerCycle();
            setComPtrs(&host->port, "TL 56K USB");
            setWait(0);
        };
        init(host->window.sheet, &host->port, "TL 56K USB", &host->window, productlibs::kFormFinishedMessage,
             productlibs::kRefreshComPortMessage);
        topLeft(0, 0);
        language(0x409, 0x409);
        show(1, countryChangeable ? 1 : 0, firstInstall ? 1 : 0, "US/Canada External");
        usbFlag(usb ? 1 : 0);
        form = formIn(host->window.sheet, "TMantletForm");
        ASSERT_NE(form, nullptr);
    }

    bool settled()
    {
        return eventually([&] { return labelText(form, "SerialNumberValue").size() > 0 &&
                                       child<QPushButton>(form, "DoneBtn")->isEnabled(); });
    }

    ScriptedUiServices ui;
    Library lib{"Mantlet.dll"};
    std::unique_ptr<SimDevice> sim;
    std::unique_ptr<HostHarness> host;
    ShowConfigFormFn show = nullptr;
    VoidFn destroy = nullptr;
    IntFn helpId = nullptr;
    SetComPtrsConfigFormFn setComPtrs = nullptr;
    SetWaitForComPortRefreshFn setWait = nullptr;
    QWidget *form = nullptr;
    bool reopened = false;
};

TEST_F(MantletTest, ShowsTheIdentityAndSettingsTheModemReports)
{
    start(QStringLiteral("56k"), false, false, false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(labelText(form, "ProductValue"), QStringLiteral("Varnel Tallyline 56K Business Modem"));
    EXPECT_EQ(labelText(form, "ProductIdValue"), QStringLiteral("00517200"));
    EXPECT_EQ(labelText(form, "FirmwareDateValue"), QStringLiteral("03/10/99"));
    EXPECT_EQ(labelText(form, "FirmwareRevValue"), QStringLiteral("2.10"));
    EXPECT_EQ(labelText(form, "SerialNumberValue"), QStringLiteral("TL0310003"));
    EXPECT_EQ(labelText(form, "CountryValue"), QStringLiteral("US/Canada"));
    EXPECT_EQ(child<QSpinBox>(form, "RegisterS7Edit")->value(), 50);
    EXPECT_EQ(child<QSpinBox>(form, "RegisterS11Edit")->value(), 95);
    EXPECT_FALSE(child<QPushButton>(form, "CountryBtn")->isEnabled());
    EXPECT_EQ(helpId(), 120);
    EXPECT_EQ(sim->commands(), (QStringList{"ati7\\r", "ati4\\r"}));
    EXPECT_EQ(form->parentWidget(), host->window.sheet);
    EXPECT_EQ(form->size(), QSize(515, 344));
}

// A listener hears each value and each edit field by its caption, and a
// setting is changed and written with the keyboard alone.
TEST_F(MantletTest, FieldsAreNamedByTheirCaptionsAndWorkedByKeys)
{
    start(QStringLiteral("56k"), false, false, false);
    ASSERT_TRUE(settled());
    auto name = [&](const char *widget) {
        return QAccessible::queryAccessibleInterface(child<QWidget>(form, widget))->text(QAccessible::Name);
    };
    EXPECT_EQ(name("SerialNumberValue"), QStringLiteral("Serial number: TL0310003"));
    EXPECT_EQ(name("CountryValue"), QStringLiteral("Country: US/Canada"));
    EXPECT_EQ(name("RegisterS7Edit"), QStringLiteral("Wait for carrier (seconds):"));
    EXPECT_EQ(name("CountryList"), QStringLiteral("Country"));

    auto *rings = child<QSpinBox>(form, "RegisterS0Edit");
    rings->setFocus();
    QTest::keyClick(rings, Qt::Key_Up);
    QTest::keyClick(child<QPushButton>(form, "ApplyBtn"), Qt::Key_Return);
    ASSERT_TRUE(eventually([&] { return sim->commands().contains("at&w\\r"); }));
    EXPECT_EQ(sim->commands().mid(2, 1), QStringList{QStringLiteral("ATS0=%1\\r").arg(rings->value())});
}

TEST_F(MantletTest, ApplyWritesOnlyTheChangedSettingsAndStoresThem)
{
    start(QStringLiteral("56k"), false, false, false);
    ASSERT_TRUE(settled());
    child<QSpinBox>(form, "RegisterS0Edit")->setValue(3);
    auto *flow = child<QComboBox>(form, "FlowControlCombo");
    flow->setCurrentIndex(flow->findData(4));
    clickButton(form, "ApplyBtn");
    ASSERT_TRUE(eventually([&] { return sim->commands().contains("at&w\\r"); }));
    EXPECT_EQ(sim->commands().mid(2), (QStringList{"ATS0=3&K4\\r", "at&w\\r"}));
    EXPECT_EQ(labelText(form, "StatusLabel"), QStringLiteral("The settings were saved."));

    // Shown again, the form reads back what the modem now holds.
    show(0, 0, 0, "");
    show(1, 0, 0, "US/Canada External");
    ASSERT_TRUE(eventually([&] { return sim->commands().size() == 6; }));
    ASSERT_TRUE(settled());
    EXPECT_EQ(child<QSpinBox>(form, "RegisterS0Edit")->value(), 3);
    EXPECT_EQ(flow->currentData().toInt(), 4);
}

TEST_F(MantletTest, DoneAsksAboutUnsavedChangesAndPostsFormFinished)
{
    start(QStringLiteral("56k"), false, false, false);
    ASSERT_TRUE(settled());
    child<QSpinBox>(form, "RegisterS8Edit")->setValue(4);
    ui.messageAnswers << IDCANCEL;
    clickButton(form, "DoneBtn");
    QTest::qWait(50);
    EXPECT_EQ(host->window.count(productlibs::kFormFinishedMessage), 0);

    ui.messageAnswers << IDNO;
    clickButton(form, "DoneBtn");
    ASSERT_TRUE(eventually([&] { return host->window.count(productlibs::kFormFinishedMessage) == 1; }));
    EXPECT_EQ(host->window.messages.last().lParam, 0);
    EXPECT_EQ(ui.messages(), (QStringList{"Save the changed settings before leaving?",
                                          "Save the changed settings before leaving?"}));
    // Nothing was written, and the edit shows the modem's value again.
    EXPECT_FALSE(sim->commands().contains("at&w\\r"));
    EXPECT_EQ(child<QSpinBox>(form, "RegisterS8Edit")->value(), 2);
}

TEST_F(MantletTest, FirstInstallOpensOnTheWelcomePage)
{
    start(QStringLiteral("56k-i"), true, true, false);
    auto *pages = child<QStackedWidget>(form, "PageControl");
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("WelcomePage"));
    EXPECT_TRUE(child<QWidget>(form, "WelcomeCountryLabel")->isVisibleTo(form));
    EXPECT_EQ(helpId(), 110);
    ASSERT_TRUE(settled());
    clickButton(form, "ContinueBtn");
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("SettingsPage"));
    EXPECT_EQ(helpId(), 120);
    show(0, 0, 0, "");
    EXPECT_EQ(helpId(), 0);
}

TEST_F(MantletTest, CountryChangeRestartsTheUsbModemThroughTheHost)
{
    start(QStringLiteral("56k-i"), true, false, true);
    ASSERT_TRUE(settled());
    clickButton(form, "CountryBtn");
    auto *list = child<QListWidget>(form, "CountryList");
    ASSERT_TRUE(eventually([&] { return list->count() == 12; }));
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("US/Canada"));
    EXPECT_EQ(helpId(), 130);
    list->setCurrentRow(1);   // Germany
    ui.messageAnswers << IDYES;
    clickButton(form, "ChangeCountryBtn");

    ASSERT_TRUE(eventually([&] { return labelText(form, "StatusLabel") == QStringLiteral("The country is now Germany."); },
                           15000))
        << qPrintable(labelText(form, "StatusLabel")) << qPrintable(sim->transcript());
    EXPECT_EQ(labelText(form, "CountryValue"), QStringLiteral("Germany"));
    EXPECT_TRUE(reopened);
    EXPECT_EQ(host->window.count(productlibs::kRefreshComPortMessage), 1);
    const QStringList cmds = sim->commands();
    ASSERT_GE(cmds.size(), 8) << qPrintable(cmds.join(QLatin1Char(' ')));
    EXPECT_EQ(cmds.mid(2, 4), (QStringList{"AT~C?\\r", "atc10=01\\r", "at&w\\r", "at~x!\\r"}));
    EXPECT_EQ(cmds.mid(6, 2), (QStringList{"ati7\\r", "ati4\\r"}));
    EXPECT_EQ(ui.messages(), QStringList{"Set the modem to Germany? The modem restarts, which takes a few seconds."});
}

TEST_F(MantletTest, AModemThatDoesNotComeBackIsReportedAndTheFormIsFreed)
{
    start(QStringLiteral("56k-i"), true, false, true);
    ASSERT_TRUE(settled());
    host->window.onMessage = [this](const PostedMessage &m) {
        if (m.message == productlibs::kRefreshComPortMessage) {
            sim->kill();
            reopened = host->waitThroughPowerCycle();
            setComPtrs(&host->port, "TL 56K USB");
            setWait(0);
        }
    };
    clickButton(form, "CountryBtn");
    auto *list = child<QListWidget>(form, "CountryList");
    ASSERT_TRUE(eventually([&] { return list->count() == 12; }));
    list->setCurrentRow(2);
    ui.messageAnswers << IDYES;
    clickButton(form, "ChangeCountryBtn");
    ASSERT_TRUE(eventually([&] { return ui.messages().size() == 2; }, 15000));
    EXPECT_FALSE(reopened);
    EXPECT_EQ(ui.messages().last(), QStringLiteral("The modem did not come back after the restart. Check its cable, "
                                                   "then open the Configuration Manager again."));
    EXPECT_TRUE(child<QPushButton>(form, "DoneBtn")->isEnabled());
}

TEST_F(MantletTest, ASerialModemKeepsItsPortWhenTheCountryChanges)
{
    start(QStringLiteral("56k-i"), true, false, false);
    ASSERT_TRUE(settled());
    clickButton(form, "CountryBtn");
    auto *list = child<QListWidget>(form, "CountryList");
    ASSERT_TRUE(eventually([&] { return list->count() == 12; }));
    list->setCurrentRow(2);   // France
    ui.messageAnswers << IDYES;
    clickButton(form, "ChangeCountryBtn");
    ASSERT_TRUE(eventually([&] { return labelText(form, "StatusLabel") == QStringLiteral("The country is now France."); }))
        << qPrintable(labelText(form, "StatusLabel")) << qPrintable(sim->transcript());
    EXPECT_EQ(labelText(form, "CountryValue"), QStringLiteral("France"));
    EXPECT_EQ(host->window.count(productlibs::kRefreshComPortMessage), 0);
    EXPECT_FALSE(sim->commands().contains("at~x!\\r"));
}

TEST_F(MantletTest, LineNoiseAfterTheAnswersDoesNotSpoilThem)
{
    start(QStringLiteral("56k"), false, false, false, {QStringLiteral("--fault"), QStringLiteral("garbage=12")});
    ASSERT_TRUE(settled());
    EXPECT_EQ(labelText(form, "SerialNumberValue"), QStringLiteral("TL0310003"));
    EXPECT_EQ(child<QSpinBox>(form, "RegisterS7Edit")->value(), 50);
    EXPECT_EQ(labelText(form, "StatusLabel"), QString());
}

TEST_F(MantletTest, AModemThatFallsSilentIsReportedAndCanStillBeLeft)
{
    start(QStringLiteral("56k"), false, false, false, {QStringLiteral("--fault"), QStringLiteral("silent-after=1")});
    ASSERT_TRUE(eventually([&] { return labelText(form, "StatusLabel") == QStringLiteral("The modem does not answer."); }));
    EXPECT_EQ(labelText(form, "SerialNumberValue"), QStringLiteral("TL0310003"));
    EXPECT_FALSE(child<QPushButton>(form, "ApplyBtn")->isEnabled());
    clickButton(form, "DoneBtn");
    ASSERT_TRUE(eventually([&] { return host->window.count(productlibs::kFormFinishedMessage) == 1; }));
    EXPECT_EQ(host->window.messages.last().lParam, 0);
}

TEST_F(MantletTest, AClosedPortIsReportedNotWaitedFor)
{
    start(QStringLiteral("56k"), false, false, false);
    host->port.close();
    show(0, 0, 0, "");
    show(1, 0, 0, "");
    ASSERT_TRUE(eventually([&] { return labelText(form, "StatusLabel") == QStringLiteral("The modem's port is not open."); }));
    EXPECT_FALSE(child<QPushButton>(form, "ApplyBtn")->isEnabled());
}

} // namespace
