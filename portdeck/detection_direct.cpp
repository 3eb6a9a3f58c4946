// Detection over the COM ports themselves, the device list it leaves behind,
// and the direct-port open and close used by the product screens.

#include "clock.h"
#include "comports.h"
#include "containerframe.h"
#include "datapacket.h"
#include "identity.h"
#include "serialport.h"
#include "tapidevice.h"
#include "uiservices.h"
#include "widgets.h"

#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>

namespace {

const char *const kDetectingText =
    "Portdeck is attempting to detect all the Varnel products installed on your system. "
    "This may take a few moments. Please wait...";
const char *const kClickProductText =
    "To access tools for a specific product, please click the product button from the access panel "
    "on the left side of the screen.";

struct CodeRow {
    QString code;
    int kind;
    ProductModel model;
};

} // namespace

bool TcontainerFrame::matchesNamePattern(const QString &name, const QString &pattern)
{
    const QString upperName = name.toUpper();
    const QStringList pieces = pattern.split(QLatin1Char('^'));
    for (int i = 0; i < pieces.size() && i < 10; ++i)
        if (!pieces[i].isEmpty() && upperName.contains(pieces[i].toUpper()))
            return true;
    return false;
}

void TcontainerFrame::startDetection(bool directMode)
{
    // What the pass sees; a later change of the ports starts another one.
    portsAtLastPass = currentPortsSignature();
    portChangePending = false;
    helpContext = 11;
    bModemDetectMode = true;
    std::fill(std::begin(modelFound), std::end(modelFound), false);
    if (directMode) {
        b_selectDeviceMode = true;
        UpdateModemButtonDisplay_NonTAPI();
    }
    statusText(kDetectingText);
    statusAnimationAvi->play(1, 8);
    paintDetect(false);
    detectBtn->setEnabled(false);
    log("DetectModems start detectBtn->Enabled = FALSE\n");
    if (directMode) {
        OnlineManualBtn->setEnabled(false);
        supportBtn->setEnabled(false);
        ModemCount = 0;
    }
}

void TcontainerFrame::DetectModem_NonTAPI()
{
    startDetection(true);
    ExitBtn->setEnabled(false);
    const std::vector<CodeRow> rows = [this] {
        std::vector<CodeRow> r = {{productCodes.modemA, 0, Model56KBusMdm},
                                  {productCodes.modemB, 0, Model56KBusMdmI},
                                  {productCodes.isdnA, 1, ModelISDNTA},
                                  {productCodes.isdnB, 1, ModelISDNTAPRO},
                                  {productCodes.idsl, 2, ModelIDSLmodem}};
        if (!productCodes.extraModem.isEmpty())
            r.push_back({productCodes.extraModem, 0, Model56KBusMdm});
        return r;
    }();
    auto wait = [this](const char *answers, int ticks) {
        ModemData.clear();
        return ApdComPort1->waitForMultiString(QString::fromLatin1(answers), ticks, bWaitAndYield);
    };

    // The COM numbering is computed once per pass: asking the system for its
    // serial devices takes tens of milliseconds, and the pass tests 29 ports.
    const QMap<int, QString> ports = tl::comPortMap();
    auto portAvailable = [&ports](int port) {
        const QString device = ports.value(port);
        return !device.isEmpty() && QFileInfo::exists(device);
    };
    refusedPorts.clear();
    int unavailableInRow = 0;
    for (int port = 1; port < 30 && !appTerminated; ++port) {
        log("DetectModem_NonTAPI port=%d\n", port);
        if (!portAvailable(port)) {
            if (++unavailableInRow > 4)
                break;
            continue;
        }
        unavailableInRow = 0;
        DelayTicks(5);
        ApdComPort1->setComNumber(port);
        try {
            ApdComPort1->open();
        } catch (const EApdPortAccessError &e) {
            // Not this program's to use: said once the pass is over.
            log("DetectModem_NonTAPI %s\n", QString::fromLocal8Bit(e.what()));
            refusedPorts << e.problem();
            continue;
        } catch (const EApdPortError &) {
            continue;   // vanished between the test and the open
        }
        DelayTicks(10);
        try {
            ApdComPort1->setDTR(true);
            ApdComPort1->putString(QByteArrayLiteral("ATE0Q0V1\r"));
            wait("\nOK\r^ERROR", 18);
            ModemData.clear();
            ApdComPort1->putString(QByteArrayLiteral("ATI7\r"));
            int result = wait("\nOK\r^ERROR", 54);
            if (result != 1)
                ModemData.clear();
            log("end of wait retval=%d length=%d\n", result, int(ModemData.size()));
            log("ModemData [%s]\n", ModemData);

            const bool maker = ModemData.contains(QLatin1String("Varnel")) || ModemData.contains(QLatin1String("VARNEL"));
            const bool knownCode = ModemData.contains(productCodes.modemA) || ModemData.contains(productCodes.modemB)
                || ModemData.contains(productCodes.isdnA) || ModemData.contains(productCodes.isdnB);
            if (!maker && ModemData.contains(QLatin1String("Product ID")) && knownCode) {
                ModemData.clear();
                ApdComPort1->putString(QByteArrayLiteral("ATI7\r"));
                result = wait("\nOK\r^\n0\r^ERROR", 54);
                if (result != 1 && result != 2)
                    ModemData.clear();
            }

            if (!ModemData.isEmpty()
                && (ModemData.contains(QLatin1String("Varnel")) || ModemData.contains(QLatin1String("VARNEL")))
                && ModemData.contains(QLatin1String("Product ID"))) {
                const QString code = identity::modemTypeCodeFromAti7(ModemData, [this](int step, const QString &text) {
                    static const char *const formats[] = {"ProductID = [%s]\n", "after TrimLeft ProductID = [%s]\n",
                                                          "after trimright: ProductID=[%s]\n"};
                    log(formats[step], text);
                });
                const QString date = identity::FirmwareDate(ModemData);
                for (const CodeRow &row : rows) {
                    if (row.code.isEmpty() || row.code != code)
                        continue;
                    if (ModemCount >= 30)
                        break;
                    DeviceRecord &record = deviceRecords[ModemCount];
                    record = DeviceRecord();
                    record.nComnPort = port;
                    record.nModemType = row.kind;
                    record.name = identity::GetModemNameFromATI7Data(
                        ModemData, [this](const QString &info) { log("GetModemNameFromATI7Data info[%s]\n", info); });
                    if (record.name.isEmpty())
                        record.name = QString::fromLatin1(productNameTable[row.kind]);
                    firmwareDates[row.model] = date;
                    modelFound[row.model] = true;
                    if (row.kind != 0)
                        SetDateAndTimeNow(ModemData.contains(QLatin1String("US/Canada")));
                    ApdComPort1->setDTR(true);
                    ApdComPort1->putString(QByteArrayLiteral("AT~C?\r"));
                    if (wait("OK\r^ERROR\r^01:", 90) == 3) {
                        wait("OK\r^ERROR\r", 54);
                        record.bCountryChangeable = true;
                    } else {
                        record.bCountryChangeable = false;
                    }
                    log("bCountryChangeable = %d\n", int(record.bCountryChangeable));
                    ++ModemCount;
                    break;
                }
            }
        } catch (const EApdPortError &) {
            // The device went away during the exchange; go on with the next port.
        }
        ApdComPort1->close();
        DelayTicks(9);
    }
    log("finish looping thru the ports\n");
    OnlineManualBtn->setEnabled(true);
    supportBtn->setEnabled(true);
    ApdComPort1->close();
    DetectApdDataPacket->setEnabled(false);
    finishDetection(ModemCount, true);
    if (!refusedPorts.isEmpty() && !appTerminated) {
        // With nothing found this is most likely why: a box. Beside found
        // products it may be some other device's port: a note under the
        // instructions, which does not stop the user.
        const QString text = portProblemsText(refusedPorts);
        if (ModemCount == 0)
            messageBox(text);
        else
            instructionsStatic->setText(instructionsStatic->text() + QStringLiteral("\n\n") + text);
    }
}

void TcontainerFrame::finishDetection(int count, bool directMode)
{
    if (count > 0) {
        b_selectDeviceMode = false;
        if (directMode)
            UpdateModemButtonDisplay_NonTAPI();
        else
            UpdateModemButtonDisplay();
        paintDetect(true);
        statusInfoStatic->setText(tr_("Number of products found: %d").replace(QLatin1String("%d"), QString::number(count)));
        instructionsStatic->setText(tr_(kClickProductText));
    } else {
        statusText("No Modem Detected");
        if (!directMode)
            log("DetectModems m_nNumDetectedProducts == 0\n");
        paintDetect(true);
    }
    if (!directMode || count > 0) {
        const struct {
            ProductModel model;
            const char *ini;
        } registrations[] = {{ModelISDNTAPRO, "ISDNTAPRO.ini"}, {ModelISDNTA, "ISDNTA.ini"},
                             {Model56KBusMdm, "56KBusMdm.ini"}, {Model56KBusMdmI, "56KBusMdmI.ini"},
                             {ModelIDSLmodem, "IDSLmodem.ini"}};
        for (const auto &r : registrations) {
            if (r.model == ModelIDSLmodem && !directMode)
                continue;
            if (modelFound[r.model] && !modelRegistered[r.model])
                modelRegistered[r.model] = IniToRegistryInfo(QString::fromLatin1(r.ini), firmwareDates[r.model]);
        }
        IniToRegistryInfo(QStringLiteral("PdeckReg.ini"), buildNumber);
        candidateCursor = 0;
        detectBtn->show();
        log("DetectModems func end\n");
    }
    statusAnimationAvi->stop();
    detectBtn->setEnabled(true);
    ExitBtn->setEnabled(true);
    bModemDetectMode = false;
    helpContext = 10;
    if (milestone)
        milestone(QStringLiteral("detection"));
}

TCustomBitBtn *TcontainerFrame::deviceButton(int index)
{
    while (deviceButtons.size() <= index) {
        auto *button = new TCustomBitBtn(this, scrollContents);
        button->setObjectName(QStringLiteral("ModemButton%1").arg(deviceButtons.size()));
        // Tab goes down the list, then to Detect and Exit below it.
        if (deviceButtons.isEmpty()) {
            QWidget::setTabOrder(button, detectBtn);
            QWidget::setTabOrder(detectBtn, ExitBtn);
        } else {
            QWidget::setTabOrder(deviceButtons.last(), button);
        }
        deviceButtons << button;
    }
    return deviceButtons[index];
}

void TcontainerFrame::UpdateModemButtonDisplay_NonTAPI()
{
    if (b_selectDeviceMode) {
        log("blank out %d modem images\n", int(deviceButtons.size()));
        for (TCustomBitBtn *b : deviceButtons)
            b->hide();
        return;
    }
    for (int i = 0; i < ModemCount; ++i) {
        TCustomBitBtn *b = deviceButton(i);
        const DeviceRecord &record = deviceRecords[i];
        b->setText(QString::number(i));
        b->setGeometry(5, 15 + 80 * i, 100, 65);
        b->setToolTip(record.name + QStringLiteral("  (COM") + QString::number(record.nComnPort) + QLatin1Char(')'));
        b->setGlyphName(record.nModemType == 0 ? QStringLiteral("BMP_56KMDM")
                        : record.nModemType == 2 ? QStringLiteral("BMP_IDSL")
                                                 : QStringLiteral("BMP_ISDNTA"));
        b->setEnabled(true);
        b->show();
        ScrollBox1->show();
    }
    for (int i = ModemCount; i < deviceButtons.size(); ++i)
        deviceButtons[i]->hide();
    scrollContents->resize(112, std::max(272, 15 + 80 * ModemCount));
    restoreKeyboardFocus();
}

void TcontainerFrame::HandleClickMessage(QWidget *controlWidget)
{
    auto *button = qobject_cast<TCustomBitBtn *>(controlWidget);
    if (!button || bModemDetectMode || b_selectDeviceMode)
        return;
    focusFirstTool = true;
    if (bTapiMode) {
        selectedDeviceName = button->hint();
        if (matchesNamePattern(selectedDeviceName, QString::fromLatin1(productNameTable[3])))
            ShowCorvaneGUI();
        else
            ShowQuillonGUI();
        return;
    }
    bool ok = false;
    const int index = button->text().toInt(&ok);
    if (!ok || index < 0 || index >= ModemCount)
        return;
    currentDevice = deviceRecords[index];
    log("HandleClickMessage nModemType=%d\n", currentDevice.nModemType);
    log("HandleClickMessage nComnPort=%d\n", currentDevice.nComnPort);
    log("HandleClickMessage bCountryChangeable=%d\n", int(currentDevice.bCountryChangeable));
    selectedDeviceName = currentDevice.name;
    if (currentDevice.nModemType == 0)
        ShowCorvaneGUI();
    else if (currentDevice.nModemType == 2)
        ShowIDSLGUI();
    else
        ShowQuillonGUI();
}

void TcontainerFrame::resumeLibraryAfterUsbReset(int kind)
{
    if (control == QLatin1String("FlashFromDisk")) {
        if (libs.updater.USBResetReceived)
            libs.updater.USBResetReceived();
    } else if (control == QLatin1String("Appwizard") && kind == 0) {
        if (libs.config.USBResetReceived)
            libs.config.USBResetReceived();
    }
}

void TcontainerFrame::OpenComPort_NonTAPI()
{
    log("OpenComPort_NonTAPI()\n");
    try {
        ApdComPort1->setComNumber(currentDevice.nComnPort);
        ApdComPort1->open();
        currentPortStableName = tl::comPortStableName(currentDevice.nComnPort);
        DelayTicks(10);
        ApdComPort1->setDTR(true);
        Timer1->setEnabled(false);
        Timer_Animation->setEnabled(false);
        log("OpenComPort_NonTAPI() b_PowerCycleUSB=%d\n", int(b_PowerCycleUSB));
        if (b_PowerCycleUSB) {
            b_PowerCycleUSB = false;
            log("OpenComPort_NonTAPI: b_PowerCycleUSB = false\n");
            resumeLibraryAfterUsbReset(currentDevice.nModemType);
        } else {
            ati7State = QStringLiteral("ati7Requested");
            ApdDataPacket1->setEnabled(false);
            QuillonDataPacket->setEnabled(false);
            IDSLDataPacket->setEnabled(false);
            QuillonAti12DataPacket->setEnabled(false);
            if (currentDevice.nModemType == 0) {
                ApdDataPacket1->setEnabled(true);
                log("set datapacket handler for corvane\n");
            } else if (currentDevice.nModemType == 1) {
                QuillonDataPacket->setEnabled(true);
                log("set datapacket handler for Quillon\n");
            } else {
                IDSLDataPacket->setEnabled(true);
                log("set datapacket handler for IDSL\n");
            }
            Timer1->setEnabled(true);
            log("OpenComPort_NonTAPI Output = ati7\n");
            ApdComPort1->putString(QByteArrayLiteral("ati7\r"));
        }
    } catch (const EApdPortAccessError &e) {
        // Neither product's fault: the user may not open the port, or another
        // program holds it.
        log("OpenComPort_NonTAPI() catch...\n");
        messageBox(portProblemsText({e.problem()}));
    } catch (const EApdPortError &) {
        log("OpenComPort_NonTAPI() catch...\n");
        if (currentDevice.nModemType == 0)
            messageBox(tr_("Cannot Communicate With Corvane"));
        else if (currentDevice.nModemType == 1)
            messageBox(tr_("Cannot Communicate With Quillon"));
    }
    DelayTicks(18);
    log("OpenComPort_NonTAPI() return\n");
    if (m_bCorvaneFirstTimeInstall && currentDevice.nModemType == 0 && !appTerminated) {
        ApdDataPacket1->setEnabled(false);
        QuillonDataPacket->setEnabled(false);
        QuillonAti12DataPacket->setEnabled(false);
        if (hideTool())
            showTool(QStringLiteral("Appwizard"));
    }
}

void TcontainerFrame::CloseComPort_NonTAPI()
{
    log("CloseComPort_NonTAPI()\n");
    try {
        if (b_PowerCycleUSB) {
            log("CloseComPort_NonTAPI DTR = false\n");
            ApdComPort1->setDTR(false);
        }
        ApdComPort1->close();
        log("ApdComPort1->Open = false\n");
        if (bExitButtonClicked) {
            unloadAndFinish([this] {
                log("ApdTapiDevice1TapiPortClose bExitButtonClicked\n");
                terminateApplication();
            });
        } else if (b_PowerCycleUSB) {
            log("start of power cycle\n");
            int com = currentDevice.nComnPort;
            // A device with a by-id name is back when that name leads to a
            // port again, maybe under another number (re-enumerated): the old
            // number may meanwhile belong to another device. Without one, it
            // is back when its number is.
            auto available = [this, &com] {
                if (currentPortStableName.isEmpty())
                    return IsPortAvailable(com);
                const int now = tl::comPortByStableName(currentPortStableName);
                if (now <= 0)
                    return false;
                if (now != com) {
                    log("device came back as COM%d\n", now);
                    followMovedPort(com, now);
                    com = now;
                }
                return true;
            };
            bool previous = available();
            bool current = available();
            int changes = 0;
            int polls = 0;
            do {
                if (current != previous) {
                    ++changes;
                    if (current)
                        break;
                }
                DelayTicks(9);
                if (polls > 9 && changes == 0)
                    break;
                ++polls;
                previous = current;
                current = available();
                log("status=%d\n", int(current));
            } while (polls < 120 && !appTerminated);
            DelayTicks(10);
            try {
                ApdComPort1->setComNumber(com);
                ApdComPort1->open();
                DelayTicks(10);
                ApdComPort1->setDTR(true);
                log("re-open comport after power-cycle\n");
            } catch (const EApdPortError &) {
                log("failed to re-open after power-cycle\n");
                ApdComPort1->close();
            }
            log("end of power cycle: %d cnthalfsec\n", polls);
            b_PowerCycleUSB = false;
            log("CloseComPort_NonTAPI: b_PowerCycleUSB = false\n");
            resumeLibraryAfterUsbReset(modemSelected == QLatin1String("56KModem") ? 0 : 1);
            if (ApdComPort1->isOpen())
                ApdComPort1->setDTR(true);
            AddUsbResetTrigger();
            log("CloseComPort_NonTAPI:\n");
        }
    } catch (const EApdPortError &) {
        if (currentDevice.nModemType == 0)
            messageBox(tr_("Cannot Communicate With Corvane"));
        else if (currentDevice.nModemType == 1)
            messageBox(tr_("Cannot Communicate With Quillon"));
    }
    DelayTicks(18);
    log("CloseComPort_NonTAPI() return\n");
}

void TcontainerFrame::followMovedPort(int from, int to)
{
    if (currentDevice.nComnPort == from)
        currentDevice.nComnPort = to;
    for (int i = 0; i < ModemCount; ++i) {
        DeviceRecord &record = deviceRecords[i];
        if (record.nComnPort != from)
            continue;
        record.nComnPort = to;
        if (TCustomBitBtn *b = deviceButtons.value(i))
            b->setToolTip(record.name + QStringLiteral("  (COM") + QString::number(to) + QLatin1Char(')'));
    }
}

void TcontainerFrame::closeConnection_NonTAPI()
{
    log("closeConnection_NonTAPI  TapiConnection=%d\n", int(TapiConnection));
    ApdDataPacket1->setEnabled(false);
    QuillonAti12DataPacket->setEnabled(false);
    QuillonDataPacket->setEnabled(false);
    IDSLDataPacket->setEnabled(false);
    CloseComPort_NonTAPI();
}
