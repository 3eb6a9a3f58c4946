// The buttons of the main window and how they gate each other: tool mode,
// Detect, Back, Exit, Close, Help, the tool buttons and the connection animation.

#include "clock.h"
#include "containerframe.h"
#include "datapacket.h"
#include "dialogs.h"
#include "serialport.h"
#include "tapidevice.h"
#include "uiservices.h"
#include "widgets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <utility>

namespace {

const char *const kClickAButton = "Click a button from the left panel to access a particular tool.";

void paintShape(QFrame *shape, const QColor &colour)
{
    QPalette pal = shape->palette();
    pal.setColor(QPalette::Window, colour);
    shape->setPalette(pal);
}

} // namespace

void TcontainerFrame::paintDetect(bool available)
{
    detectBtn->paintAvailable(available);
}

bool TcontainerFrame::isToolShownFor(const QString &product, PanelButton *button) const
{
    if (button == SpidBtn)
        return product == QLatin1String("ISDNTA");
    if (button == protomonitorbtn)
        return product == QLatin1String("ISDNTA") || product == QLatin1String("IDSL");
    return true;
}

void TcontainerFrame::EnterToolMode()
{
    for (PanelButton *b : {appwizBtn, terminalbtn, flashdiskbtn, updatebtn, SpidBtn, protomonitorbtn}) {
        b->setVisible(isToolShownFor(modemSelected, b));
        b->paintAvailable(false);
        b->setEnabled(false);
    }
    backbtn->show();
    backbtn->paintAvailable(false);
    backbtn->setEnabled(false);
}

void TcontainerFrame::EnableTools()
{
    // An exit waiting for a loop to return keeps the tool list disabled.
    if (exitPending())
        return;
    const bool configLoaded = libs.configLoadedFor(modemSelected);
    const struct {
        PanelButton *button;
        const char *name;
        bool available;
    } tools[] = {
        {appwizBtn, "Appwizard", configLoaded},
        {SpidBtn, "SpidWizard", configLoaded},
        {terminalbtn, "Terminal", libs.terminal.module != nullptr},
        {flashdiskbtn, "FlashFromDisk", libs.updater.module != nullptr},
        {protomonitorbtn, "Decoder",
         modemSelected == QLatin1String("ISDNTA") || modemSelected == QLatin1String("IDSL")},
        {updatebtn, "Patchwell", true},
    };
    for (const auto &t : tools) {
        const bool on = t.available && control != QLatin1String(t.name);
        t.button->setEnabled(on);
        t.button->paintAvailable(on);
        t.button->setVisible(isToolShownFor(modemSelected, t.button));
    }
    backbtn->show();
    backbtn->setEnabled(true);
    backbtn->paintAvailable(true);
    placeKeyboardFocus(std::exchange(focusFirstTool, false));
}

void TcontainerFrame::resetQuillonHelpOverride()
{
    if (bQuillonInitialized && libs.quillon.module)
        libs.quillon.SetQuillonHelpIdOverride(0);
}

bool TcontainerFrame::UpdateInProgress()
{
    if (libs.updater.module && libs.updater.UpdateIsInProgress()) {
        messageBox(tr_("There is currently a product update in progress. Please wait for the update to complete."));
        return true;
    }
    return false;
}

void TcontainerFrame::detectBtnClick()
{
    paintDetect(false);
    detectBtn->setEnabled(false);
    log("detectBtnClick detectBtn->Enabled = FALSE\n");
    ExitBtn->setEnabled(false);
    TapiConnection = false;
    modemSelected = QStringLiteral("None");
    selectedDeviceName = QStringLiteral("None");
    if (bTapiMode)
        DetectModems();
    else
        DetectModem_NonTAPI();
}

void TcontainerFrame::sendGoodbye56K()
{
    SendAndWait(QStringLiteral("AT%S=\r"), QStringLiteral("ERROR^OK"), 36);
}

void TcontainerFrame::backbtnClick()
{
    log("backbtnClick\n");
    if (UpdateInProgress())
        return;
    currentActivity = QStringLiteral("None");
    backbtn->setEnabled(false);
    if (QDir::currentPath() != startDirectory)
        QDir::setCurrent(startDirectory);
    // The tool goes before anything is sent to the device: its form may still
    // be writing (it finishes that first), and once hidden nothing of it talks
    // to the device, so the goodbye and the identity below meet no command of its.
    const bool fromTool = control != QLatin1String("None");
    if (fromTool) {
        if (!hideTool()) {
            backbtn->setEnabled(!exitPending() && !bExitButtonClicked);
            return;
        }
        control = QStringLiteral("None");
    }
    if (modemSelected == QLatin1String("56KModem"))
        sendGoodbye56K();
    RefreshProductInfoAndWait();
    // The waits above let every other button run: an exit under way or a tool
    // opened meanwhile has the last word.
    if (bExitButtonClicked || appTerminated || control != QLatin1String("None")) {
        backbtn->setEnabled(!exitPending() && !bExitButtonClicked);
        return;
    }
    backbtn->paintAvailable(false);
    if (fromTool) {
        if (modemSelected == QLatin1String("56KModem")) {
            helpFile = QStringLiteral("analog.hlp");
            helpContext = 42;
        } else {
            helpFile = QStringLiteral("isdnta.hlp");
            helpContext = 120;
        }
        Display_Product_info();
        modemInstructions->setText(tr_(kClickAButton));
        modemInstructions->show();
        DialUp_Instructions->hide();
        EnableTools();
    } else {
        modemSelected = QStringLiteral("None");
        showDeviceListScreen(true);
        closeLink();
        // Nothing may be pending for the screen just left.
        Timer1->setEnabled(false);
        Detect_Timer->setEnabled(false);
        hideTool();
    }
    backbtn->setEnabled(!exitPending());
}

void TcontainerFrame::showDeviceListScreen(bool fromBack)
{
    PageControl1->setCurrentWidget(DefaultSheet);
    if (fromBack)
        log("backbtnClick show DefaultSheet\n");
    helpContext = 10;
    helpFile = QStringLiteral("nodevice.hlp");
    Info_TabSet->hide();
    PageControl_Info->hide();
    modemImage->hide();
    modemBevel->hide();
    tllogoImage->hide();
    tlbannerImage->hide();
    brandLabel->move(189, brandLabel->y());
    brandLabel->setText(tr_("Portdeck 3.0 - Product Detection"));
    brandLabel->adjustSize();
    modemInstructions->hide();
    DialUp_Instructions->hide();
    instructionsStatic->show();
    dividerBevel->show();
    statusInfoStatic->show();
    statusAnimationAvi->show();
    detectBtn->show();
    OptionsPageControl->setCurrentWidget(ModemSheet);
    ExitBtn->show();
    ExitBtn->setEnabled(true);
    if (bTapiMode)
        UpdateModemButtonDisplay();
    else
        UpdateModemButtonDisplay_NonTAPI();
    if (fromBack)
        log("backbtnClick UpdateModemButtonDisplay(%d)\n", int(b_selectDeviceMode));
    disableAnswerPackets();
    Timer_Animation->setEnabled(false);
    paintDetect(true);
    detectBtn->setEnabled(true);
    instructionsStatic->setText(tr_("To access tools for a specific product, please click the product button "
                                    "from the access panel on the left side of the screen."));
    bSwitchSettingsKnown = false;
    restoreKeyboardFocus();
}

void TcontainerFrame::TerminateBtnClick()
{
    if (bPatchwellWaitRunning || bPortWait)
        terminateApplication();   // the wait ends with the program; the exit goes on
    TerminateBtn->setEnabled(false);
    TerminateBtn->paintAvailable(false);
    if (UpdateInProgress()) {
        // Refused for now, not for good: once the update is over Exit works again.
        TerminateBtn->setEnabled(true);
        TerminateBtn->paintAvailable(true);
        return;
    }
    TerminateBtn->setPictureName(QStringLiteral("BMP_GEXIT"));
    EnterToolMode();
    bExitButtonClicked = true;
    Info_TabSet->hide();
    PageControl_Info->hide();
    DialUp_Instructions->hide();
    log("TerminateBtnClick()\n");
    leaveToolBeforeExit();
    if (modemSelected == QLatin1String("56KModem"))
        sendGoodbye56K();
    if (TapiConnection) {
        log("ApdTapiDevice1->CancelCall() true so we're okay\n");
        cancelCall();
        DelayTicks(18);
    }
    // Also when the Patchwell wait or the line's close event already ended the
    // program: the libraries go and the exit is logged either way.
    unloadAndFinish([this] {
        TapiConnection = false;
        log("Terminated in TerminateBtnClick()\n");
        terminateApplication();
        if (releaseMutex)
            releaseMutex();
    });
}

// The shown tool is hidden while the link is still open, so that a library
// form in the middle of writing to the device finishes before the line goes.
// Hiding the flash screen reads the identity again, as leaving it always does.
void TcontainerFrame::leaveToolBeforeExit()
{
    if (control != QLatin1String("None")) {
        hideTool();
        control = QStringLiteral("None");
    }
    if (bFlashScreenOpened && lastControl == QLatin1String("FlashFromDisk")) {
        UpdateRegistryAfterFlashUpdate();
        bFlashScreenOpened = false;
    }
}

void TcontainerFrame::FormClose()
{
    bExitButtonClicked = true;
    Info_TabSet->hide();
    PageControl_Info->hide();
    disableAnswerPackets();
    Detect_Timer->setEnabled(false);
    Timer_Animation->setEnabled(false);
    log("FormClose()\n");
    leaveToolBeforeExit();
    if (modemSelected == QLatin1String("56KModem"))
        sendGoodbye56K();
    if (cancelCall()) {
        unloadAndFinish([this] {
            TapiConnection = false;
            log("Terminated in FormClose()\n");
            terminateApplication();
        });
    } else if (!appTerminated) {
        DelayTicks(20);
        if (!appTerminated)
            QCoreApplication::processEvents();
    }
    if (!bTapiMode && ApdComPort1->isOpen())
        ApdComPort1->close();
    if (releaseMutex)
        releaseMutex();
}

void TcontainerFrame::helpBtnClick()
{
    if (modemSelected == QLatin1String("None"))
        helpFile = QStringLiteral("nodevice.hlp");
    else if (modemSelected == QLatin1String("56KModem"))
        helpFile = QStringLiteral("analog.hlp");
    else
        helpFile = QStringLiteral("isdnta.hlp");

    const bool is56k = modemSelected == QLatin1String("56KModem");
    int overrideId = 0;
    if (bQuillonShown && libs.quillon.module)
        overrideId = libs.quillon.GetQuillonHelpIdOverride();
    if (overrideId >= 1) {
        helpContext = overrideId;
    } else if (control == QLatin1String("Terminal") || control == QLatin1String("FlashFromDisk")) {
        helpContext = is56k ? 44 : 130;
    } else if (is56k && control == QLatin1String("Appwizard")) {
        const int id = libs.config.module ? libs.config.GetConfigHelpID() : 0;
        helpContext = id ? id : 44;
    } else if (modemSelected == QLatin1String("ISDNTA")) {
        if (control == QLatin1String("Appwizard") || control == QLatin1String("Appwizard_Congrats")
            || control == QLatin1String("SpidWizard")) {
            const int id = libs.quillon.module ? libs.quillon.GetISDNTAHelpID() : 0;
            helpContext = id ? id : 130;
        } else if (control == QLatin1String("Decoder")) {
            helpContext = 161;
        }
    }
    if (!ui().showHelp(this, helpFile, helpContext))
        messageBox(tr_("NOT AVAILABLE YET"));
}

void TcontainerFrame::startToolButton(PanelButton *button, const QString &name, bool setsHelp,
                                      bool hidesDialUp, bool disablesPackets)
{
    currentActivity = name;
    if (QDir::currentPath() != startDirectory)
        QDir::setCurrent(startDirectory);
    if (setsHelp) {
        if (modemSelected == QLatin1String("56KModem")) {
            helpFile = QStringLiteral("analog.hlp");
            helpContext = 44;
        } else {
            helpFile = QStringLiteral("isdnta.hlp");
            helpContext = 130;
        }
    }
    button->paintAvailable(false);
    instructionsStatic->hide();
    dividerBevel->hide();
    statusInfoStatic->hide();
    if (hidesDialUp)
        DialUp_Instructions->hide();
    EnterToolMode();
    if (disablesPackets)
        disableAnswerPackets();
}

void TcontainerFrame::appwizBtnClick()
{
    resetQuillonHelpOverride();
    if (UpdateInProgress())
        return;
    m_bCorvaneFirstTimeInstall = false;
    startToolButton(appwizBtn, QStringLiteral("Appwizard"), false, false, true);
    log("ShowDLL(FALSE)\n");
    if (!hideTool())
        return;
    log("ShowDLL(TRUE)\n");
    if (showTool(QStringLiteral("Appwizard")))
        EnableTools();
}

void TcontainerFrame::terminalbtnClick()
{
    resetQuillonHelpOverride();
    if (UpdateInProgress())
        return;
    startToolButton(terminalbtn, QStringLiteral("Terminal"), true, true, false);
    if (hideTool() && showTool(QStringLiteral("Terminal")))
        EnableTools();
}

void TcontainerFrame::SpidBtnClick()
{
    resetQuillonHelpOverride();
    if (UpdateInProgress())
        return;
    startToolButton(SpidBtn, QStringLiteral("SpidWizard"), true, false, true);
    const int status = EuropeanSwitchStatus();
    if (status == 0)
        bEuropeanSwitch = false;
    else if (status == 1)
        bEuropeanSwitch = true;
    if (hideTool() && showTool(QStringLiteral("SpidWizard")))
        EnableTools();
}

void TcontainerFrame::protmonitorbtnClick()
{
    resetQuillonHelpOverride();
    if (UpdateInProgress())
        return;
    startToolButton(protomonitorbtn, QStringLiteral("Decoder"), true, false, true);
    if (hideTool() && showTool(QStringLiteral("Decoder")))
        EnableTools();
}

void TcontainerFrame::Info_TabSetChange(int index)
{
    PageControl_Info->setCurrentWidget(index == 1 ? Sheet_CallLog : Sheet_Info);
}

void TcontainerFrame::Timer_AnimationTimer()
{
    const QColor lightGreen(128, 255, 128);
    const QColor grey(128, 128, 128);
    if (animationPhase < 1 || animationPhase > 3) {
        ++animationPhase;
        return;
    }
    for (int i = 0; i < 3; ++i)
        Shapes[i]->setVisible(i == animationPhase - 1);
    paintShape(Shapes[3], animationPhase == 2 ? grey : lightGreen);
    paintShape(Shapes[4], animationPhase == 2 ? grey : lightGreen);
    Shapes[3]->show();
    Shapes[4]->show();
    animationPhase = animationPhase == 3 ? 1 : animationPhase + 1;
}

void TcontainerFrame::AboutPortdeck1Click()
{
    if (AboutBox)
        AboutBox->show();
}

bool TcontainerFrame::hideTool()
{
    const int before = toolSwitches;
    ShowDLL(0);
    return toolSwitches == before + 1;
}

bool TcontainerFrame::showTool(const QString &name)
{
    control = name;
    const int before = toolSwitches;
    ShowDLL(1);
    return toolSwitches == before + 1;
}
