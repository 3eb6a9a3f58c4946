// The identity answers of the three products, during detection and on the
// product screen, the device clock and the two ways to read the identity again.

#include "clock.h"
#include "containerframe.h"
#include "datapacket.h"
#include "identity.h"
#include "serialport.h"
#include "tapidevice.h"

#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>

using identity::extractField;

void TcontainerFrame::recordDetectedCandidate()
{
    if (!bModemDetectMode)
        return;
    if (detectedProducts.size() < 128)
        detectedProducts << ApdTapiDevice1->selectedDevice().left(79);
    ++m_nNumDetectedProducts;
}

void TcontainerFrame::ApdDataPacket1StringPacket(const QString &answer)
{
    log("ApdDataPacket1StringPacket\n");
    Timer1->setEnabled(false);
    disableAnswerPackets();
    serialNumber = extractField(answer, QStringLiteral("Serial Number"), QStringLiteral("OK"))
                       .value_or(tr_("No Serial Number"));
    if (b_selectDeviceMode) {
        const QString date = identity::FirmwareDate(answer);
        QString code;
        if (answer.contains(QLatin1String("Product ID"))) {
            code = identity::productCode(answer, QStringLiteral("Options"));
            lastProductCode = code;
        }
        firmwareDates[code == QLatin1String("5173") ? Model56KBusMdmI : Model56KBusMdm] = date;
        log("BusinessModemXX_ProductId bCurrentComPortOccupied=%d\n", int(bCurrentComPortOccupied));
        const bool known = code == productCodes.modemA || code == productCodes.modemB;
        const bool extra = !productCodes.extraModem.isEmpty() && code == productCodes.extraModem;
        if ((!bCurrentComPortOccupied && known) || extra)
            recordDetectedCandidate();
        if (bModemDetectMode && bTapiMode)
            tryConnection();
        return;
    }
    ParseProductInfo(answer);
    if (RegisterProductForFirstInstallOfCorvane()) {
        m_bCorvaneFirstTimeInstall = true;
    } else {
        PageControl_Info->setCurrentWidget(Sheet_Info);
        PageControl_Info->show();
        Info_TabSet->setCurrentIndex(0);
        Info_TabSet->show();
        productGroupBox->show();
        modemImage->show();
        modemBevel->show();
        modemInstructions->show();
        DialUp_Instructions->show();
    }
    if (milestone)
        milestone(QStringLiteral("56KModem"));
}

void TcontainerFrame::QuillonDataPacketStringPacket(const QString &answer)
{
    log("QuillonDataPacketStringPacket in\n");
    Timer1->setEnabled(false);
    Timer_Animation->setEnabled(false);
    disableAnswerPackets();
    if (b_selectDeviceMode) {
        const QString date = identity::FirmwareDate(answer);
        QString code;
        if (answer.contains(QLatin1String("Product ID")))
            code = identity::productCode(answer, QStringLiteral("Clock Freq"));
        log("ISDNTA_ProductId bCurrentComPortOccupied=%d\n", int(bCurrentComPortOccupied));
        lastProductCode = code;
        firmwareDates[code == QLatin1String("5241") ? ModelISDNTAPRO : ModelISDNTA] = date;
        const bool known = !code.isEmpty()
            && (code == productCodes.isdnA || code == productCodes.isdnB || code == productCodes.idsl);
        if (!bCurrentComPortOccupied && known) {
            recordDetectedCandidate();
            if (bTapiMode)
                SetDateAndTimeNow(answer.contains(QLatin1String("US/Canada")));
        }
        if (bModemDetectMode && bTapiMode)
            tryConnection();
    } else {
        ParseProductInfo(answer);
        if (!bSwitchSettingsKnown) {
            ati7State = QStringLiteral("detecting");
            animationPhase = 1;
            Timer_Animation->setEnabled(true);
            Timer1->setEnabled(true);
            QuillonAti12DataPacket->setEnabled(true);
            ApdComPort1->setDTR(true);
            log("QuillonDataPacketStringPacket: Output = ATI12\n");
            sendRaw(QStringLiteral("ati12\r"));
        }
    }
    log("QuillonDataPacketStringPacket out\n");
}

void TcontainerFrame::IDSLDataPacketStringPacket(const QString &answer)
{
    log("IDSLDataPacketStringPacket in\n");
    Timer1->setEnabled(false);
    Timer_Animation->setEnabled(false);
    disableAnswerPackets();
    if (b_selectDeviceMode) {
        firmwareDates[ModelIDSLmodem] = identity::FirmwareDate(answer);
        const QString code = identity::productCode(answer, QStringLiteral("Clock Freq"));
        log("IDSL_ProductId bCurrentComPortOccupied=%d\n", int(bCurrentComPortOccupied));
        lastProductCode = code;
        if (!bCurrentComPortOccupied && !code.isEmpty() && code == productCodes.idsl) {
            recordDetectedCandidate();
            if (bTapiMode)
                SetDateAndTimeNow(answer.contains(QLatin1String("US/Canada")));
        }
        if (bModemDetectMode && bTapiMode)
            tryConnection();
    } else {
        ParseProductInfo(answer);
        Info_TabSet->setTabVisible(1, false);
        PageControl_Info->setCurrentWidget(Sheet_Info);
        PageControl_Info->show();
        Info_TabSet->show();
        productGroupBox->show();
        modemImage->show();
        modemBevel->show();
        modemInstructions->show();
        DialUp_Instructions->show();
        if (milestone)
            milestone(QStringLiteral("IDSL"));
    }
    log("IDSLDataPacketStringPacket out\n");
}

void TcontainerFrame::DetectApdDataPacketStringPacket(const QString &answer)
{
    detectAnswer = answer;
    DetectApdDataPacket->setEnabled(false);
}

void TcontainerFrame::ParseProductInfo(const QString &answer)
{
    const identity::ProductInfo info = identity::parseProductInfo(answer, modemSelected);
    for (int row = 0; row < identity::RowCount; ++row)
        infoValues[row]->setText(info.values[row]);
    if (!info.hasProductId)
        infoValues[identity::RowProductId]->setText(tr_("No Product ID"));
    serialNumber = info.hasSerialNumber ? info.values[identity::RowSerial] : tr_("No Serial Number");
    infoValues[identity::RowSerial]->setText(serialNumber);
    productTypeText = info.values[identity::RowProductType];
}

void TcontainerFrame::SetDateAndTimeNow(bool usOrder)
{
    log("SetDateAndTimeNow in\n");
    const QDateTime now = clockNow ? clockNow() : QDateTime::currentDateTime();
    SendAndWait(identity::dateCommand(now, usOrder), QStringLiteral("ERROR^OK"), 36);
    SendAndWait(identity::timeCommand(now), QStringLiteral("ERROR^OK"), 36);
    log("SetDateAndTimeNow out\n");
}

bool TcontainerFrame::requestIdentity()
{
    TApdDataPacket *packet = nullptr;
    if (modemSelected == QLatin1String("ISDNTA")) {
        packet = QuillonDataPacket;
        log("quillon UpdateRegistryAfterFlashUpdate(): send ATI7\n");
    } else if (modemSelected == QLatin1String("56KModem")) {
        packet = ApdDataPacket1;
        log("corvane UpdateRegistryAfterFlashUpdate(): send ATI7\n");
    } else {
        return false;
    }
    b_selectDeviceMode = false;
    disableAnswerPackets();
    packet->setEnabled(true);
    sendRaw(QStringLiteral("ati7\r"));
    return true;
}

void TcontainerFrame::UpdateRegistryAfterFlashUpdate()
{
    requestIdentity();
}

void TcontainerFrame::RefreshProductInfoAndWait()
{
    b_selectDeviceMode = false;
    Timer1->setEnabled(false);
    if (!requestIdentity())
        return;
    TApdDataPacket *packet = modemSelected == QLatin1String("ISDNTA") ? QuillonDataPacket : ApdDataPacket1;
    // Bounded by the answer time-out: a silent device must not hold the program.
    const int limitTicks = int(3.5 * tl::kTicksPerSecond + 0.5);
    for (int ticks = 0; packet->isEnabled() && ticks < limitTicks && !appTerminated; ticks += 10)
        DelayTicks(10);
    packet->setEnabled(false);
}
