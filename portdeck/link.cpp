// The device link: opening and closing the TAPI line, the answer time-out and
// its repeats, the USB reset wait and reopen, and the routing of port events.

#include "clock.h"
#include "comportlookup.h"
#include "comports.h"
#include "containerframe.h"
#include "datapacket.h"
#include "serialport.h"
#include "tapidevice.h"
#include "widgets.h"

#include <QCoreApplication>
#include <QStackedWidget>

namespace {
const char *const kDetectingText =
    "Portdeck is attempting to detect all the Varnel products installed on your system. "
    "This may take a few moments. Please wait...";
}

const char *TcontainerFrame::failureText() const
{
    if (modemSelected == QLatin1String("56KModem"))
        return "Cannot Communicate With Corvane";
    if (modemSelected == QLatin1String("ISDNTA"))
        return "Cannot Communicate With Quillon";
    return nullptr;
}

void TcontainerFrame::failureStatusText()
{
    if (const char *text = failureText())
        statusText(text);
    modemSelected = QStringLiteral("None");
    selectedDeviceName = QStringLiteral("None");
    statusAnimationAvi->stop();
    // The device is gone: leave its screen so that the message is seen and the
    // program stays usable (the tools of a product screen are still disabled).
    if (OptionsPageControl->currentWidget() == OptionsSheet && !bExitButtonClicked) {
        Timer1->setEnabled(false);
        Detect_Timer->setEnabled(false);
        Timer_Animation->setEnabled(false);
        hideTool();
        control = QStringLiteral("None");
        showDeviceListScreen(false);
    }
}

void TcontainerFrame::disableAnswerPackets()
{
    ApdDataPacket1->setEnabled(false);
    QuillonDataPacket->setEnabled(false);
    QuillonAti12DataPacket->setEnabled(false);
    IDSLDataPacket->setEnabled(false);
}

void TcontainerFrame::sendRaw(const QString &command)
{
    try {
        ApdComPort1->setDTR(true);
        ApdComPort1->putString(command);
    } catch (const EApdPortError &) {
        // A closed or vanished port: the answer time-out deals with the silence.
    }
}

int TcontainerFrame::SendAndWait(const QString &command, const QString &answers, int ticks)
{
    try {
        ApdComPort1->setDTR(true);
        ApdComPort1->putString(command);
    } catch (const EApdPortError &) {
        return 0;
    }
    return ApdComPort1->waitForMultiString(answers, ticks, true);
}

bool TcontainerFrame::cancelCall()
{
    return ApdTapiDevice1->cancelCall();
}

void TcontainerFrame::closeLink()
{
    if (bTapiMode)
        closeTapiConnection();
    else
        closeConnection_NonTAPI();
}

void TcontainerFrame::OpenLink()
{
    bCommFailed = false;
    if (bTapiMode) {
        ApdTapiDevice1->setSelectedDevice(selectedDeviceName);
        Timer1->setEnabled(true);
        try {
            ApdTapiDevice1->configAndOpen();
        } catch (const EApdPortError &) {
            Timer1->setEnabled(false);
        }
    } else {
        // The direct open arms the answer time-out itself once "ati7" is out;
        // armed any earlier it could fire during the open and give up a device
        // that was never asked.
        OpenComPort_NonTAPI();
    }
}

void TcontainerFrame::AddUsbResetTrigger()
{
    if (bUsbResetTriggerAdded)
        return;
    usbResetTriggerHandle = ApdComPort1->addDataTrigger(QByteArrayLiteral("Close this App"));
    bUsbResetTriggerAdded = true;
    log("Close this App trigger handle = %d\n", usbResetTriggerHandle);
}

void TcontainerFrame::ApdTapiDevice1TapiPortOpen()
{
    log("ApdTapiDevice1TapiPortOpen()\n");
    const bool corvaneTool = modemSelected == QLatin1String("56KModem")
        && (control == QLatin1String("FlashFromDisk") || control == QLatin1String("Appwizard"));
    if (corvaneTool) {
        log("ApdTapiDevice1TapiPortOpen DTR = true\n");
        ApdComPort1->setDTR(true);
    }
    TapiConnection = true;
    Timer1->setEnabled(false);
    Timer_Animation->setEnabled(false);
    if (b_PowerCycleUSB) {
        log("ApdTapiDevice1TapiPortOpen: b_PowerCycleUSB = false\n");
        b_PowerCycleUSB = false;
        if (control == QLatin1String("FlashFromDisk")) {
            if (libs.updater.USBResetReceived)
                libs.updater.USBResetReceived();
        } else if (control == QLatin1String("Appwizard") && modemSelected == QLatin1String("56KModem")) {
            if (libs.config.USBResetReceived)
                libs.config.USBResetReceived();
        }
        return;
    }
    const int com = ApdTapiDevice1->comNumber();
    if (com > 0 && com < 128) {   // the table covers COM0 to COM127 only
        if (portSeen[com])
            bCurrentComPortOccupied = true;
        portSeen[com] = true;
    }
    log("ontapiportopen: comport=%d\n", com);
    if (matchesNamePattern(ApdTapiDevice1->selectedDevice(), QString::fromLatin1(productNameTable[3]))) {
        ApdDataPacket1->setEnabled(true);
        QuillonDataPacket->setEnabled(false);
    } else {
        QuillonDataPacket->setEnabled(true);
        ApdDataPacket1->setEnabled(false);
    }
    QuillonAti12DataPacket->setEnabled(false);
    IDSLDataPacket->setEnabled(false);
    ati7State = QStringLiteral("ati7Requested");
    Timer1->setEnabled(true);
    sendRaw(QStringLiteral("ati7\r"));
}

void TcontainerFrame::Timer1Timer()
{
    log("Timer1Timer\n");
    Timer1->setEnabled(false);
    disableAnswerPackets();
    if (b_selectDeviceMode && bTapiMode) {
        statusText(kDetectingText);
        statusAnimationAvi->play(1, 8);
        paintDetect(false);
        detectBtn->setEnabled(false);
        log("Timer1Timer detectBtn->Enabled = FALSE\n");
        tryConnection();
        return;
    }
    if (ati7State == QLatin1String("ati7Requested")) {
        if (modemSelected == QLatin1String("56KModem"))
            ApdDataPacket1->setEnabled(true);
        else if (modemSelected == QLatin1String("IDSL"))
            IDSLDataPacket->setEnabled(true);
        else
            QuillonDataPacket->setEnabled(true);
        Timer1->setEnabled(true);
        ApdComPort1->setDTR(true);
        log("Timer1 Output = ati7\n");
        sendRaw(QStringLiteral("ati7\r"));
        // The device stays silent: the way back must not wait for it.
        if (!bModemDetectMode) {
            backbtn->setEnabled(true);
            backbtn->paintAvailable(true);
        }
        return;
    }
    bCommFailed = true;
    log("Timer1 CancelCall()\n");
    if (bTapiMode) {
        if (cancelCall())
            failureStatusText();
        return;   // else the port-close event reports the failure
    }
    // A direct port has no call to cancel: close it the way Back does.
    closeConnection_NonTAPI();
    failureStatusText();
}

void TcontainerFrame::ApdTapiDevice1TapiFail()
{
    log("ApdTapiDevice1TapiFail()\n");
    if (b_selectDeviceMode)
        return;
    // A port the user may not open, or that another program holds, is told
    // as such instead of as a silent product.
    const tl::PortAccessProblem problem = tl::portAccessProblem(ApdTapiDevice1->comNumber());
    if (problem.kind != tl::PortAccessProblem::None)
        messageBox(portProblemsText({problem}));
    else if (const char *text = failureText())
        messageBox(tr_(text));
}

void TcontainerFrame::closeTapiConnection()
{
    log("closeTapiConnection  TapiConnection=%d\n", int(TapiConnection));
    if (!TapiConnection)
        return;
    disableAnswerPackets();
    if (cancelCall()) {
        log("closeTapiConnection  cancelcall immed true - did not go thru ontapiclose\n");
        TapiConnection = false;
        return;
    }
    if (appTerminated)
        return;
    log("closeTapiConnection Application->Terminated == false so we wait for ontapiclose()\n");
    for (int ticks = 0; TapiConnection && ticks <= 540 && !appTerminated; ticks += 5) {
        log("closeTapiConnection():wait 5 ticks until we come back from ontapiportclose()\n");
        DelayTicks(5);
    }
}

void TcontainerFrame::ApdTapiDevice1TapiPortClose()
{
    try {
        log("ApdTapiDevice1TapiPortClose(%d) bModemDetectMode=%d\n", int(b_selectDeviceMode),
            int(bModemDetectMode));
        if (bModemDetectMode) {
            TapiConnection = false;
            log("ontapiportclose: comport=%d\n", ApdTapiDevice1->comNumber());
            if (bExitButtonClicked) {
                unloadAndFinish([this] {
                    log("Terminated in ApdTapiDevice1TapiPortClose()\n");
                    terminateApplication();
                });
            } else if (bCommFailed) {
                failureStatusText();
            }
            log("ApdTapiDevice1TapiPortClose end\n");
            ++tapiPortCloseCount;
            return;
        }
        TapiConnection = false;
        if (modemSelected == QLatin1String("56KModem")
            && (control == QLatin1String("FlashFromDisk") || control == QLatin1String("Appwizard"))) {
            log("ApdTapiDevice1TapiPortClose DTR = false\n");
            ApdComPort1->setDTR(false);
        }
        if (bExitButtonClicked) {
            log("ApdTapiDevice1TapiPortClose bExitButtonClicked\n");
            unloadAndFinish([this] { terminateApplication(); });
        } else if (b_PowerCycleUSB) {
            usbReopenTapi();
        } else {
            log("ApdTapiDevice1TapiPortClose else\n");
            if (bCommFailed)
                failureStatusText();
        }
    } catch (...) {
        log("ApdTapiDevice1TapiPortClose's catch return\n");
    }
}

void TcontainerFrame::usbReopenTapi()
{
    int deviceCom = ApdTapiDevice1->comNumber();
    if (deviceCom <= 0) {
        const int found = GetComPort(selectedDeviceName, [this](const char *f, const QString &t) { log(f, t); });
        if (found > 0)
            ApdComPort1->setComNumber(found);
    }
    const int com = ApdComPort1->comNumber();
    log("ApdTapiDevice1TapiPortClose COM%d devcom%d b_PowerCycleUSB wait thru power-cycle\n", com, deviceCom);
    bool previous = true;
    for (int loop = 0; loop < 30 && !appTerminated; ++loop) {
        DelayTicks(18);
        const bool available = IsPortAvailable(com);
        log("ApdTapiDevice1TapiPortClose loopcnt=%d status=%d\n", loop, int(available));
        if (!previous && available) {
            log("start of 3 second wait\n");
            DelayTicks(54);
            log("end of 3 second wait\n");
            break;
        }
        previous = available;
    }
    log("out of wait loop\n");
    Timer1->setEnabled(true);
    ApdTapiDevice1->setSelectedDevice(selectedDeviceName);
    log("tapiclose post-wait start configandopen()\n");
    try {
        ApdTapiDevice1->configAndOpen();
    } catch (const EApdPortError &) {
        // The answer time-out gives the device up.
    }
    log("ApdTapiDevice1TapiPortClose after sent configandopen()\n");
    AddUsbResetTrigger();
    log("tapiportclose\n");
}

void TcontainerFrame::usbResetDetected(const char *number)
{
    log("ApdComPort1TriggerData: b_PowerCycleUSB = true\n");
    b_PowerCycleUSB = true;
    log(number[1] == '1' ? "before #1 closetapiconnection with b_PowerCycleUSB = true\n"
                         : "before #2 closetapiconnection with b_PowerCycleUSB = true\n");
    closeLink();
    log(number[1] == '1' ? "after #1 closetapiconnection: port is closed and reopened\n"
                         : "after #2 closetapiconnection: port is closed and reopened\n");
}

void TcontainerFrame::ApdComPort1TriggerData(int handle)
{
    log("ApdComPort1TriggerData TriggerHandle=%d\n", handle);
    log("ApdComPort1TriggerData control=[%s]\n", control);
    log("ApdComPort1TriggerData currentActivity=[%s]\n", currentActivity);
    const bool resetTrigger = bUsbResetTriggerAdded && handle == usbResetTriggerHandle;
    if (currentActivity == QLatin1String("FlashFromDisk")) {
        log("ApdComPort1TriggerData FlashFromDisk...\n");
        char lastCommand[80] = {};
        if (libs.updater.LastComportCmd)
            libs.updater.LastComportCmd(lastCommand);
        lastCommand[79] = '\0';
        log("%s <--lastflashcmd\n", QString::fromLatin1(lastCommand));
        if (resetTrigger && !QByteArray(lastCommand).contains("at~x!"))
            usbResetDetected("#1");
        else if (libs.updater.ModemUpdaterComPort1TriggerData)
            libs.updater.ModemUpdaterComPort1TriggerData(ApdComPort1, handle);
    } else if (currentActivity == QLatin1String("Appwizard") && modemSelected == QLatin1String("56KModem")
               && resetTrigger) {
        usbResetDetected("#2");
    }
}

void TcontainerFrame::ApdComPort1TriggerAvail(int count)
{
    if (currentActivity == QLatin1String("FlashFromDisk")) {
        if (libs.updater.ModemUpdaterComPort1TriggerAvail)
            libs.updater.ModemUpdaterComPort1TriggerAvail(ApdComPort1, count);
    } else if (currentActivity == QLatin1String("Appwizard")) {
        if (modemSelected == QLatin1String("56KModem")) {
            if (libs.config.CorvaneComPort1TriggerAvail)
                libs.config.CorvaneComPort1TriggerAvail(ApdComPort1, count);
        } else if (modemSelected == QLatin1String("ISDNTA")) {
            if (libs.quillon.QuillonComPort1TriggerAvail)
                libs.quillon.QuillonComPort1TriggerAvail(ApdComPort1, count);
        }
    }
}

void TcontainerFrame::WMRefreshComPort()
{
    log("start of WMRefreshComPort: b_PowerCycleUSB = true\n");
    b_PowerCycleUSB = true;
    closeLink();
    const QByteArray device = selectedDeviceName.toLatin1();
    if (libs.config.SetComPtrsConfigForm)
        libs.config.SetComPtrsConfigForm(ApdComPort1, device.constData());
    if (libs.config.SetWaitForComPortRefresh)
        libs.config.SetWaitForComPortRefresh(0);
    log("end of WMRefreshComPort\n");
}
