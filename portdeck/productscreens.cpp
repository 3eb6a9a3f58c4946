// The product screens: the tool list, banner and title per product, the link
// opened, and for the ISDN TA the switch settings, the line state with its
// retries and the first-install records of the serial numbers.

#include "clock.h"
#include "containerframe.h"
#include "datapacket.h"
#include "identity.h"
#include "registry.h"
#include "serialport.h"
#include "widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>

namespace {
const char *const kClickAButton = "Click a button from the left panel to access a particular tool.";
const QString kPortdeckKey = QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck");
}

void TcontainerFrame::openProductScreenCommon(const QString &type, const QString &helpFileName, int context)
{
    modemSelected = type;   // the tool list fits the product from the start
    EnterToolMode();
    control = QStringLiteral("None");
    helpFile = helpFileName;
    helpContext = context;
    instructionsStatic->hide();
    statusAnimationAvi->stop();
    statusAnimationAvi->hide();
    detectBtn->hide();
    dividerBevel->hide();
    statusInfoStatic->hide();

    struct Look {
        const char *banner;
        QRect place;
        bool logo;
        const char *title;
        int titleLeft;
        bool callLog;
        const char *picture;
    };
    const Look look = type == QLatin1String("56KModem")
        ? Look{"BMP_TLBANNER", {102, 0, 457, 19}, true, "56K Business Modem", 189, false, "BMP_56KMDM"}
        : type == QLatin1String("ISDNTA")
        ? Look{"BMP_BRMBANNR", {200, 0, 212, 20}, false, "ISDN Terminal Adapter", 189, true, "BMP_ISDNTA"}
        : Look{"BMP_LUMORA", {200, 0, 212, 20}, false, "IDSL Modem", 240, true, "BMP_IDSL"};
    Info_TabSet->setTabVisible(1, look.callLog);
    tlbannerImage->setPixmap(picture(QString::fromLatin1(look.banner)));
    tlbannerImage->setGeometry(look.place);
    tlbannerImage->show();
    tllogoImage->setVisible(look.logo);
    brandLabel->move(look.titleLeft, brandLabel->y());
    brandLabel->setText(tr_(look.title));
    brandLabel->adjustSize();
    modemImage->setPixmap(picture(QString::fromLatin1(look.picture)));
    modemImage->setAccessibleName(brandLabel->text());
    setInfoCaptions();
    for (QLabel *value : infoValues)
        value->clear();
    OptionsPageControl->setCurrentWidget(OptionsSheet);
}

void TcontainerFrame::ShowCorvaneGUI()
{
    openProductScreenCommon(QStringLiteral("56KModem"), QStringLiteral("analog.hlp"), 42);
    modemInstructions->setText(tr_("Your 56K Business Modem is configured for Internet Access. "));
    DialUp_Instructions->setText(
        tr_("Dial UpNetworking Shortcut can now be used to access the Internet with your 56K Business Modem."));
    modemInstructions->show();
    DialUp_Instructions->show();
    Info_TabSet->hide();
    productGroupBox->show();
    PageControl_Info->setCurrentWidget(Sheet_Info);
    PageControl_Info->show();
    modemImage->show();
    modemBevel->show();
    log(bTapiMode ? "ShowCorvaneGUI ConfigAndOpen()\n" : "ShowCorvaneGUI OpenComPort_NonTAPI()\n");
    OpenLink();
    reg::writeString(RegRoot::LocalMachine, kPortdeckKey, QStringLiteral("Active Product"), modemSelected);
    if (bTapiMode) {
        for (int ticks = 0; !TapiConnection && !appTerminated; ticks += 5) {
            if (ticks > 540) {
                log("ShowCorvaneGUI(): break out from 30 sec timeout\n");
                break;
            }
            DelayTicks(5);
        }
    }
    AddUsbResetTrigger();
    log("ShowCorvaneGUI:\n");
    EnableTools();
}

void TcontainerFrame::ShowQuillonGUI()
{
    log("ShowQuillonGUI()\n");
    n_Spid_Attempts = 0;
    InfoText->setText(tr_("Checking for Connection..."));
    openProductScreenCommon(QStringLiteral("ISDNTA"), QStringLiteral("isdnta.hlp"), 120);
    log(bTapiMode ? "ShowQuillonGUI ConfigAndOpen()\n" : "return from ShowQuillonGUI OpenComPort_NonTAPI()\n");
    OpenLink();
    reg::writeString(RegRoot::LocalMachine, kPortdeckKey, QStringLiteral("Active Product"), modemSelected);
    if (bTapiMode)
        PageControl1->setCurrentWidget(DetectionSheet);
    if (!bTapiMode && !ApdComPort1->isOpen() && !appTerminated) {
        // The port could not be opened: no answer will come, so the way back
        // to the device list is offered at once, as for a silent device.
        backbtn->setEnabled(true);
        backbtn->paintAvailable(true);
    }
    log("ShowQuillonGUI show DetectionSheet then return\n");
}

void TcontainerFrame::ShowIDSLGUI()
{
    openProductScreenCommon(QStringLiteral("IDSL"), QStringLiteral("isdnta.hlp"), 120);
    log(bTapiMode ? "ShowIDSLGUI ConfigAndOpen()\n" : "return from ShowIDSLGUI OpenComPort_NonTAPI()\n");
    OpenLink();
    EnableTools();
    reg::writeString(RegRoot::LocalMachine, kPortdeckKey, QStringLiteral("Active Product"), modemSelected);
}

void TcontainerFrame::Display_Product_info()
{
    log("in Display_Product_info()\n");
    PageControl1->setCurrentWidget(DefaultSheet);
    log("Display_Product_info show DefaultSheet\n");
    modemInstructions->show();
    DialUp_Instructions->hide();
    modemImage->show();
    modemBevel->show();
    Info_TabSet->show();
    productGroupBox->show();
    Info_TabSet->setCurrentIndex(0);
    PageControl_Info->setCurrentWidget(Sheet_Info);
    PageControl_Info->show();
    log("out Display_Product_info()\n");
}

void TcontainerFrame::QuillonAti12DataPacketStringPacket(const QString &answer)
{
    log("QuillonAti12DataPacketStringPacket\n");
    Timer1->setEnabled(false);
    QuillonAti12DataPacket->setEnabled(false);
    switchSettingsText = answer;
    StartWizardBasedOnSwitch(answer);
    bSwitchSettingsKnown = true;
}

void TcontainerFrame::StartWizardBasedOnSwitch(const QString &answer)
{
    log("StartWizardBasedOnSwitch\n");
    if (answer.contains(QLatin1String("EuroISDN"))) {
        bEuropeanSwitch = true;
        switchClass = QStringLiteral("European");
        if (RegisterProductForFirstInstall()) {
            bFirstEuropeanInstall = true;
            log("StartWizardBasedOnSwitch ShowDll(FALSE)\n");
            if (hideTool()) {
                log("StartWizardBasedOnSwitch ShowDll(TRUE)\n");
                showTool(QStringLiteral("SpidWizard"));
            }
        } else {
            EnableTools();
        }
        if (milestone)
            milestone(QStringLiteral("ISDNTA"));
        return;
    }
    bEuropeanSwitch = false;
    switchClass = answer.contains(QLatin1String("Leased Line")) ? QStringLiteral("Leased Line")
                                                               : QStringLiteral("Domestic");
    log("StartWizardBasedOnSwitch: Detect_ISDN_Status\n");
    Detect_ISDN_Status(answer);
}

void TcontainerFrame::Detect_ISDN_Status(const QString &answer)
{
    log("Start of Detect_ISDN_Status\n");
    const QString state =
        identity::extractField(answer, QStringLiteral("Device Status:"), QStringLiteral("OK")).value_or(QString());
    PageControl1->setCurrentWidget(DetectionSheet);
    log("Detect_ISDN_Status show DetectionSheet\n");
    InfoText->setText(state);

    if (state.contains(QLatin1String("Ready"))) {
        DelayTicks(10);
        n_Spid_Attempts = 0;
        ati7State = QStringLiteral("ready");
        if (RegisterProductForFirstInstall() && hideTool())
            showTool(QStringLiteral("Appwizard_Congrats"));
    } else {
        const int position = state.indexOf(QLatin1String("Looking for ISDN Line"));
        // 1-based, so that a state beginning with the phrase is told from one without it.
        log("Looking for ISDN Line...position=%d\n", position + 1);
        log("n_Spid_Attempts=%d\n", n_Spid_Attempts);
        if (position >= 0 && n_Spid_Attempts >= 1) {
            modemInstructions->setText(
                tr_("Your ISDN TA is not connected to the ISDN Line properly. Please check the connection."));
            Display_Product_info();
        } else if (state.contains(QLatin1String("Incorrect SPID"))) {
            ati7State = QStringLiteral("incorrectSPID");
            Display_Product_info();
            if (hideTool())
                showTool(QStringLiteral("SpidWizard"));
        } else if (n_Spid_Attempts < 24) {
            ++n_Spid_Attempts;
            ati7State = QStringLiteral("detecting");
            Timer1->setEnabled(false);
            Detect_Timer->setEnabled(true);
            return;
        } else {
            modemInstructions->setText(tr_("Not Configured Properly"));
            Display_Product_info();
        }
    }
    log("Detect_ISDN_Status:  endif\n");
    Detect_Timer->setEnabled(false);
    Timer_Animation->setEnabled(false);
    QuillonAti12DataPacket->setEnabled(false);
    EnableTools();
    SpidBtn->setEnabled(true);
    bSwitchSettingsKnown = true;
    AddUsbResetTrigger();
    log("Detect_ISDN_Status:\n");
    if (milestone)
        milestone(QStringLiteral("ISDNTA"));
}

void TcontainerFrame::Detect_TimerTimer()
{
    Detect_Timer->setEnabled(false);
    if (ati7State != QLatin1String("detecting"))
        return;
    ApdDataPacket1->setEnabled(false);
    QuillonDataPacket->setEnabled(false);
    IDSLDataPacket->setEnabled(false);
    QuillonAti12DataPacket->setEnabled(true);
    Timer1->setEnabled(true);
    ApdComPort1->setDTR(true);
    log("Detect_TimerTimer: Output = ATI12\n");
    sendRaw(QStringLiteral("ati12\r"));
}

bool TcontainerFrame::registerSerialNumber(const QString &key)
{
    TRegistry registry(RegRoot::LocalMachine);
    registry.openKey(key, true);
    bool isNew = true;
    int n = 1;
    for (;; ++n) {
        const QString name = QStringLiteral("Serial Number%1").arg(n);
        if (!registry.valueExists(name))
            break;
        if (registry.readString(name) == serialNumber) {
            modemInstructions->setText(tr_(kClickAButton));
            isNew = false;
            break;
        }
    }
    if (isNew)
        registry.writeString(QStringLiteral("Serial Number%1").arg(n), serialNumber);
    registry.closeKey();
    return isNew;
}

bool TcontainerFrame::RegisterProductForFirstInstall()
{
    log("in RegisterProductForFirstInstall()\n");
    const bool isNew = registerSerialNumber(kPortdeckKey + QStringLiteral("\\ISDN TA"));
    Display_Product_info();
    log("out RegisterProductForFirstInstall()\n");
    return isNew;
}

bool TcontainerFrame::RegisterProductForFirstInstallOfCorvane()
{
    log("RegisterProductForFirstInstallOfCorvane\n");
    m_bCorvaneFirstTimeInstall = false;
    const bool isNew = registerSerialNumber(kPortdeckKey + QStringLiteral("\\Business Modem"));
    Display_Product_info();
    m_bCorvaneFirstTimeInstall = isNew;
    return isNew;
}
