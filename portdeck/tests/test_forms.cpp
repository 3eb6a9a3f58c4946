// The main window driven by clicks: detection in both modes, the product
// screens, the ISDN TA line states, Back, Exit and Help.

#include "formfixture.h"
#include "portdeckdictionary.h"
#include "startup.h"
#include "singleinstance.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QTabBar>

TEST_F(PortdeckForm, DirectDetectionFindsTheThreeProducts)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    FakeDevice &modem = device(FakeProduct::Modem56k, 3);
    FakeDevice &idsl = device(FakeProduct::Idsl, 4);
    start();
    EXPECT_FALSE(frame->detectBtn->isEnabled());
    detected();
    EXPECT_EQ(frame->ModemCount, 3);
    EXPECT_EQ(frame->statusInfoStatic->text(), "Number of products found: 3");
    EXPECT_EQ(button(0)->hint(), "Varnel Brenmoor ISDN TA  (COM1)");
    EXPECT_EQ(button(1)->hint(), "Varnel Tallyline 56K Business Modem  (COM3)");
    EXPECT_EQ(button(2)->hint(), "Varnel Lumora IDSL Modem  (COM4)");
    EXPECT_EQ(button(1)->glyphName(), "BMP_56KMDM");
    EXPECT_EQ(button(2)->glyphName(), "BMP_IDSL");
    EXPECT_TRUE(frame->detectBtn->isEnabled());
    EXPECT_TRUE(frame->ExitBtn->isEnabled());
    EXPECT_TRUE(frame->deviceRecords[0].bCountryChangeable);
    EXPECT_FALSE(frame->deviceRecords[1].bCountryChangeable);

    const QList<QByteArray> isdnCommands = isdn.commands();
    ASSERT_GE(isdnCommands.size(), 5);
    EXPECT_EQ(isdnCommands[0], "ATE0Q0V1\r");
    EXPECT_EQ(isdnCommands[1], "ATI7\r");
    EXPECT_TRUE(isdnCommands[2].startsWith("AT#D="));
    EXPECT_TRUE(isdnCommands[3].startsWith("AT#T="));
    EXPECT_EQ(isdnCommands[4], "AT~C?\r");
    EXPECT_EQ(modem.commands(), QList<QByteArray>({"ATE0Q0V1\r", "ATI7\r", "AT~C?\r"}));
    EXPECT_EQ(idsl.count("AT~C?\r"), 1);
    EXPECT_EQ(frame->firmwareDates[ModelISDNTA], "04/12/99");
    EXPECT_EQ(frame->firmwareDates[Model56KBusMdm], "03/10/99");
    EXPECT_TRUE(logHas("DetectModem_NonTAPI port=1\n"));
    EXPECT_TRUE(logHas("finish looping thru the ports\n"));
    EXPECT_TRUE(ui.shown.isEmpty());
}

TEST_F(PortdeckForm, NewIsdnTaOnAReadyLineShowsItsIdentityAndCongratulations)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    isdn.setSerial("QB0412001");
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }));
    EXPECT_EQ(frame->modemSelected, "ISDNTA");
    EXPECT_EQ(frame->ati7State, "ready");
    EXPECT_EQ(frame->control, "Appwizard_Congrats");
    EXPECT_EQ(frame->switchClass, "Domestic");
    EXPECT_EQ(frame->infoValues[7]->text(), "QB0412001");
    EXPECT_EQ(frame->infoValues[0]->text(), "00524001");
    EXPECT_EQ(frame->infoCaptions[5]->text(), "Code Date:");
    EXPECT_EQ(frame->brandLabel->text(), "ISDN Terminal Adapter");
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\ISDN TA",
                              "Serial Number1").value_or(""), "QB0412001");
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck", "Active Product")
                  .value_or(""), "ISDNTA");
    EXPECT_TRUE(frame->SpidBtn->isVisible());
    EXPECT_TRUE(frame->backbtn->isEnabled());
    // Portdeck asks once; the congratulations screen reads the adapter itself.
    EXPECT_EQ(log().count(QLatin1String("QuillonDataPacketStringPacket: Output = ATI12\n")), 1);
    EXPECT_GE(isdn.count("ati12\r"), 1);

    // Back from the tool screen keeps the link; Back again returns to the list.
    click(frame->backbtn);
    EXPECT_EQ(frame->control, "None");
    EXPECT_EQ(frame->OptionsPageControl->currentWidget(), frame->OptionsSheet);
    EXPECT_EQ(frame->helpContext, 120);
    click(frame->backbtn);
    EXPECT_EQ(frame->modemSelected, "None");
    EXPECT_EQ(frame->OptionsPageControl->currentWidget(), frame->ModemSheet);
    EXPECT_TRUE(frame->detectBtn->isEnabled());
    EXPECT_EQ(frame->helpContext, 10);
    EXPECT_TRUE(logHas("backbtnClick UpdateModemButtonDisplay(0)\n"));

    // The same adapter again is no longer new: the information sheet stays.
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.count("ISDNTA") == 2; }));
    EXPECT_EQ(frame->control, "None");
    EXPECT_EQ(frame->modemInstructions->text(), "Click a button from the left panel to access a particular tool.");
}

TEST_F(PortdeckForm, LookingForIsdnLineTwiceIsACablingFault)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    isdn.setLineStates({"Looking for ISDN Line"});
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }));
    EXPECT_EQ(isdn.count("ati12\r"), 2);
    EXPECT_EQ(frame->modemInstructions->text(),
              "Your ISDN TA is not connected to the ISDN Line properly. Please check the connection.");
    EXPECT_EQ(frame->PageControl1->currentWidget(), frame->DefaultSheet);
    EXPECT_TRUE(logHas("Detect_TimerTimer: Output = ATI12\n"));
    EXPECT_TRUE(logHas("Looking for ISDN Line...position=1\n"));
}

TEST_F(PortdeckForm, IncorrectSpidOpensTheLineWizard)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    isdn.setLineStates({"Incorrect SPID"});
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }));
    EXPECT_EQ(frame->ati7State, "incorrectSPID");
    EXPECT_EQ(frame->control, "SpidWizard");
    EXPECT_TRUE(logHas("Looking for ISDN Line...position=0\n"));
}

TEST_F(PortdeckForm, UnresolvedLineIsQueried24MoreTimes)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    isdn.setLineStates({"Initializing Data Link"});
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }, 30000));
    EXPECT_EQ(isdn.count("ati12\r"), 25);
    EXPECT_EQ(frame->n_Spid_Attempts, 24);
    EXPECT_EQ(frame->modemInstructions->text(), "Not Configured Properly");
    EXPECT_TRUE(frame->appwizBtn->isVisible());
    EXPECT_TRUE(frame->TerminateBtn->isEnabled());
}

TEST_F(PortdeckForm, NewAdapterOnEuroIsdnOpensTheFirstInstallWizard)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    isdn.setSwitchName("EuroISDN");
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }));
    EXPECT_EQ(frame->switchClass, "European");
    EXPECT_TRUE(frame->bEuropeanSwitch);
    EXPECT_EQ(frame->control, "SpidWizard");
    // The library showed its first-install wizard, which is offered once only.
    EXPECT_FALSE(frame->bFirstEuropeanInstall);
    EXPECT_TRUE(frame->bQuillonShown);
}

TEST_F(PortdeckForm, BusinessModemScreenBackAndExit)
{
    FakeDevice &modem = device(FakeProduct::Modem56k, 1);
    modem.setSerial("TL0310003");
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
    EXPECT_TRUE(frame->m_bCorvaneFirstTimeInstall);
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem",
                              "Serial Number1").value_or(""), "TL0310003");
    EXPECT_EQ(frame->infoCaptions[3]->text(), "Supervisor Date:");
    EXPECT_EQ(frame->infoValues[3]->text(), "03/10/99");
    EXPECT_FALSE(frame->SpidBtn->isVisible());
    EXPECT_FALSE(frame->protomonitorbtn->isVisible());
    EXPECT_TRUE(frame->tllogoImage->isVisible());
    EXPECT_EQ(frame->helpFile, "analog.hlp");

    EXPECT_EQ(frame->control, "Appwizard");   // a first install opens the configuration tool
    click(frame->backbtn);   // tool screen -> product screen
    EXPECT_EQ(frame->control, "None");
    click(frame->backbtn);   // product screen -> device list, goodbye first
    EXPECT_EQ(modem.count("AT%S=\r"), 2);
    EXPECT_EQ(frame->OptionsPageControl->currentWidget(), frame->ModemSheet);
    EXPECT_FALSE(frame->ApdComPort1->isOpen());

    milestones.clear();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
    EXPECT_FALSE(frame->m_bCorvaneFirstTimeInstall);
    EXPECT_TRUE(frame->DialUp_Instructions->isVisible());
    click(frame->TerminateBtn);
    EXPECT_EQ(modem.count("AT%S=\r"), 3);
    EXPECT_TRUE(terminated);
    EXPECT_TRUE(logHas("Terminated in TerminateBtnClick()\n"));
}

TEST_F(PortdeckForm, IdslScreenHasNoCallLog)
{
    device(FakeProduct::Idsl, 2);
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("IDSL"); }));
    EXPECT_EQ(frame->brandLabel->text(), "IDSL Modem");
    EXPECT_EQ(frame->brandLabel->x(), 240);
    EXPECT_FALSE(frame->Info_TabSet->isTabVisible(1));
    EXPECT_TRUE(frame->protomonitorbtn->isVisible());
    EXPECT_FALSE(frame->SpidBtn->isVisible());
    EXPECT_EQ(frame->infoValues[0]->text(), "00523700");
}

TEST_F(PortdeckForm, DeviceSilentAfterItsIdentityIsGivenUp)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    start();
    detected();
    isdn.goSilentAfter(1);   // answers "ati7", never "ati12"
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return frame->modemSelected == "None"; }));
    EXPECT_EQ(frame->statusInfoStatic->text(), "Cannot Communicate With Quillon");
    EXPECT_TRUE(frame->bCommFailed);
    EXPECT_EQ(frame->OptionsPageControl->currentWidget(), frame->ModemSheet);
    EXPECT_TRUE(frame->detectBtn->isEnabled());
    EXPECT_FALSE(frame->ApdComPort1->isOpen());
    EXPECT_TRUE(logHas("Timer1 CancelCall()\n"));
}

TEST_F(PortdeckForm, SilentDeviceIsAskedAgainAndCanBeLeft)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    start();
    detected();
    isdn.setSilent(true);
    const int before = isdn.count("ati7\r");
    click(button(0));
    ASSERT_TRUE(waitFor([&] { return isdn.count("ati7\r") >= before + 3; }));
    EXPECT_TRUE(logHas("Timer1 Output = ati7\n"));
    ASSERT_TRUE(waitFor([this] { return frame->backbtn->isEnabled(); }));
    click(frame->backbtn);
    EXPECT_EQ(frame->OptionsPageControl->currentWidget(), frame->ModemSheet);
    EXPECT_TRUE(ui.shown.isEmpty());
}

TEST_F(PortdeckForm, TapiDetectionAndProductScreen)
{
    device(FakeProduct::IsdnTa, 1);
    device(FakeProduct::Modem56k, 3);
    tapiName("0000", "Varnel Brenmoor ISDN TA", 1);
    tapiName("0001", "Varnel Tallyline 56K Business Modem", 3);
    tapiName("0002", "Other Modem", 3);
    start({"/l", "/t"});
    detected();
    EXPECT_EQ(frame->m_nNumDetectedProducts, 2);
    EXPECT_EQ(frame->tapiCandidates.size(), 2);
    EXPECT_EQ(button(0)->hint(), "Varnel Brenmoor ISDN TA");
    EXPECT_EQ(button(1)->hint(), "Varnel Tallyline 56K Business Modem");
    EXPECT_EQ(button(1)->glyphName(), "BMP_56KMDM");
    EXPECT_TRUE(logHas("GetComPort(Varnel Brenmoor ISDN TA)\n"));
    EXPECT_TRUE(logHas("bValidModem=1\n"));
    EXPECT_FALSE(frame->TapiConnection);

    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }));
    EXPECT_EQ(frame->selectedDeviceName, "Varnel Brenmoor ISDN TA");
    EXPECT_TRUE(frame->TapiConnection);
    EXPECT_EQ(frame->ati7State, "ready");
    click(frame->backbtn);   // congratulations page -> product screen
    click(frame->backbtn);   // product screen -> list, line closed
    EXPECT_FALSE(frame->TapiConnection);
    EXPECT_EQ(frame->OptionsPageControl->currentWidget(), frame->ModemSheet);
}

TEST_F(PortdeckForm, HelpWithoutProductAndMissingPage)
{
    start();
    detected();
    frame->helpBtnClick();
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_EQ(ui.shown[0].kind, "help");
    EXPECT_EQ(ui.shown[0].text, "nodevice.hlp");
    EXPECT_EQ(ui.shown[0].number, 10);
    ui.helpExists = false;
    frame->helpBtnClick();
    EXPECT_EQ(ui.messages(), QStringList({"NOT AVAILABLE YET"}));
    EXPECT_EQ(frame->statusInfoStatic->text(), "No Modem Detected");
}

TEST_F(PortdeckForm, SecondInstanceIsTurnedAway)
{
    EXPECT_FALSE(anotherPortdeckRunning(nullptr));
    NamedMutex first(QStringLiteral("Portdeck.exe"));
    ASSERT_TRUE(first.create());
    EXPECT_TRUE(anotherPortdeckRunning(nullptr));
    EXPECT_EQ(ui.messages(), QStringList({"Portdeck is already running"}));
    first.release();
    EXPECT_FALSE(anotherPortdeckRunning(nullptr));
}

TEST_F(PortdeckForm, TapiCandidateThatGoesSilentOnItsLineIsSkipped)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    device(FakeProduct::Modem56k, 3);
    tapiName("0000", "Varnel Brenmoor ISDN TA", 1);
    tapiName("0001", "Varnel Tallyline 56K Business Modem", 3);
    isdn.goSilentAfter(1);   // answers the probe, not the identity request on the line
    start({"/l", "/t"});
    detected();
    EXPECT_EQ(frame->m_nNumDetectedProducts, 1);
    EXPECT_EQ(button(0)->hint(), "Varnel Tallyline 56K Business Modem");
    EXPECT_TRUE(logHas("Timer1Timer detectBtn->Enabled = FALSE\n"));
    EXPECT_TRUE(frame->detectBtn->isEnabled());
    EXPECT_TRUE(frame->ExitBtn->isEnabled());
    EXPECT_FALSE(frame->TapiConnection);
}

TEST_F(PortdeckForm, ExtraModemCodeFromProdIdIsRecognised)
{
    QFile file(root.file("prodId.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("56KBusinessModem=00517200\r\n");   // the same code as the first model
    file.close();
    device(FakeProduct::Modem56k, 1);
    start();
    EXPECT_EQ(frame->productCodes.extraModem, "5172");
    detected();
    EXPECT_EQ(frame->ModemCount, 1);   // one record, not two, for one modem
}

TEST_F(PortdeckForm, ClosingTheWindowSaysGoodbyeToTheModem)
{
    FakeDevice &modem = device(FakeProduct::Modem56k, 1);
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
    frame->close();
    EXPECT_TRUE(terminated);
    EXPECT_EQ(modem.count("AT%S=\r"), 1);
    EXPECT_TRUE(logHas("FormClose()\n"));
    EXPECT_TRUE(logHas("Terminated in FormClose()\n"));
}

TEST_F(PortdeckForm, TapiLineThatFailsToOpenIsReported)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    tapiName("0000", "Varnel Brenmoor ISDN TA", 1);
    start({"/l", "/t"});
    detected();
    isdn.vanish();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return !ui.messages().isEmpty(); }));
    EXPECT_EQ(ui.messages(), QStringList({"Cannot Communicate With Quillon"}));
    EXPECT_TRUE(logHas("ApdTapiDevice1TapiFail()\n"));
    // The way back to the device list stays open.
    ASSERT_TRUE(waitFor([this] { return frame->backbtn->isEnabled(); }, 8000));
    click(frame->backbtn);
    EXPECT_EQ(frame->OptionsPageControl->currentWidget(), frame->ModemSheet);
    EXPECT_TRUE(frame->detectBtn->isEnabled());
}

TEST_F(PortdeckForm, ConnectionAnimationPhases)
{
    start();
    frame->animationPhase = 0;
    frame->Timer_AnimationTimer();   // draws nothing, moves to phase 1
    EXPECT_EQ(frame->animationPhase, 1);
    frame->Timer_AnimationTimer();
    EXPECT_TRUE(frame->Shapes[0]->isVisibleTo(frame->DetectionSheet));
    EXPECT_FALSE(frame->Shapes[1]->isVisibleTo(frame->DetectionSheet));
    EXPECT_EQ(frame->Shapes[3]->palette().color(QPalette::Window), QColor(128, 255, 128));
    frame->Timer_AnimationTimer();
    EXPECT_TRUE(frame->Shapes[1]->isVisibleTo(frame->DetectionSheet));
    EXPECT_EQ(frame->Shapes[4]->palette().color(QPalette::Window), QColor(128, 128, 128));
    frame->Timer_AnimationTimer();
    frame->Timer_AnimationTimer();
    EXPECT_EQ(frame->animationPhase, 2);   // 3 wraps to 1, then on to 2
    detected();
}

TEST_F(PortdeckForm, IsdnTaWhosePortCannotBeOpenedLeavesTheWayBack)
{
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    start();
    detected();
    isdn.vanish();
    click(button(0));
    EXPECT_EQ(ui.messages(), QStringList({"Cannot Communicate With Quillon"}));
    ASSERT_TRUE(waitFor([this] { return frame->backbtn->isEnabled(); }, 3000));
    EXPECT_TRUE(frame->backbtn->paintedAvailable());
    click(frame->backbtn);
    EXPECT_EQ(frame->OptionsPageControl->currentWidget(), frame->ModemSheet);
    EXPECT_EQ(frame->modemSelected, "None");
    EXPECT_TRUE(frame->detectBtn->isEnabled());
    EXPECT_TRUE(frame->ExitBtn->isEnabled());
}

TEST_F(PortdeckForm, ExitWhileTheTapiLineClosesStillUnloadsAndSaysSo)
{
    device(FakeProduct::IsdnTa, 1);
    tapiName("0000", "Varnel Brenmoor ISDN TA", 1);
    start({"/l", "/t"});
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }));
    ASSERT_TRUE(frame->TapiConnection);
    click(frame->TerminateBtn);
    EXPECT_TRUE(terminated);
    EXPECT_TRUE(logHas("ApdTapiDevice1TapiPortClose bExitButtonClicked\n"));
    EXPECT_TRUE(logHas("Terminated in TerminateBtnClick()\n"));
    EXPECT_FALSE(frame->TapiConnection);
    EXPECT_EQ(frame->libs.quillon.module, nullptr);
    EXPECT_EQ(frame->libs.config.module, nullptr);
}

TEST_F(PortdeckForm, WindowCentredAndLinkLabelsWhitenOnRelease)
{
    start();
    const QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QPoint offset = frame->geometry().center() - screen->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 10);   // the window frame's own margins aside
    detected();

    // The support link, with no program on record and the file choice cancelled.
    click(frame->supportBtn);
    EXPECT_EQ(frame->supportBtn->label()->palette().color(QPalette::WindowText), QColor(Qt::white));
}

namespace {

// What a widget paints itself, without any background, as the window shows it.
QImage ownPainting(QWidget *w)
{
    QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Pixels of the window in which both widgets paint something.
int sharedPixels(QWidget *a, QWidget *b)
{
    const QRect both = a->geometry() & b->geometry();
    const QImage imageA = ownPainting(a), imageB = ownPainting(b);
    int shared = 0;
    for (int y = both.top(); y <= both.bottom(); ++y)
        for (int x = both.left(); x <= both.right(); ++x)
            shared += qAlpha(imageA.pixel(x - a->x(), y - a->y())) > 0 && qAlpha(imageB.pixel(x - b->x(), y - b->y())) > 0;
    return shared;
}

} // namespace

// The product's title is written below its banner, in English and in German.
TEST_F(PortdeckForm, TheProductTitleStaysClearOfTheBanner)
{
    device(FakeProduct::IsdnTa, 1).setSerial("QB0001");
    device(FakeProduct::Modem56k, 3).setSerial("TL0001");
    device(FakeProduct::Idsl, 4);
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\ISDN TA", "Serial Number1", "QB0001");
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem", "Serial Number1",
                     "TL0001");
    for (const char *language : {"409", "407"}) {
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", language);
        PortdeckDictionary dictionary;
        frame = std::make_unique<TcontainerFrame>(QStringList{"/l"}, &dictionary);
        frame->terminateApplication = [window = frame.get()] { window->appTerminated = true; };
        frame->milestone = [this](const QString &what) { milestones << what; };
        frame->show();
        detected();
        for (int i = 0; i < 3; ++i) {
            click(button(i));
            ASSERT_TRUE(waitFor([&] { return frame->backbtn->isEnabled() && frame->tlbannerImage->isVisible(); }));
            EXPECT_EQ(sharedPixels(frame->tlbannerImage, frame->brandLabel), 0)
                << language << ": " << qPrintable(frame->brandLabel->text());
            click(frame->backbtn);
            ASSERT_TRUE(waitFor([&] { return frame->detectBtn->isEnabled(); }));
        }
        frame.reset();
    }
}
