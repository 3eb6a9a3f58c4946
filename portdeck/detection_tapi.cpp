// Detection over the telephony devices: candidates by name, their COM ports
// from the registry, a probe of each port, then a line opened per valid
// candidate so that the identity answer decides.

#include "clock.h"
#include "comportlookup.h"
#include "comports.h"
#include "containerframe.h"
#include "serialport.h"
#include "tapidevice.h"
#include "widgets.h"

#include <QLabel>
#include <QScrollArea>

namespace {
const char *const kClickProductText =
    "To access tools for a specific product, please click the product button from the access panel "
    "on the left side of the screen.";
}

void TcontainerFrame::DetectModems()
{
    startDetection(false);
    const QString platform = platformName();
    std::fill(std::begin(portSeen), std::end(portSeen), false);
    for (QString &name : deviceNames)
        name.clear();
    tapiCandidates.clear();
    detectedProducts.clear();
    m_nNumDetectedProducts = 0;
    int portMemo[128];
    std::fill(std::begin(portMemo), std::end(portMemo), -1);
    instructionsStatic->clear();
    ApdTapiDevice1->setSelectedDevice(QString());

    for (const QString &name : ApdTapiDevice1->tapiDevices()) {
        if (!name.toUpper().contains(QLatin1String("VARNEL")))
            continue;
        for (int kind = 0; kind < 3; ++kind) {
            if (matchesNamePattern(name, QString::fromLatin1(productNameTable[3 + kind]))) {
                if (tapiCandidates.size() < 128)
                    tapiCandidates << name.left(79);
                break;
            }
        }
    }
    if (tapiCandidates.isEmpty()) {
        statusText("No Modem Detected");
        statusAnimationAvi->stop();
        paintDetect(true);
        detectBtn->setEnabled(true);
        ExitBtn->setEnabled(true);
        bModemDetectMode = false;
        helpContext = 10;
        if (milestone)
            milestone(QStringLiteral("detection"));
        return;
    }
    ExitBtn->setEnabled(false);
    b_selectDeviceMode = true;
    UpdateModemButtonDisplay();

    auto lookupLog = [this](const char *format, const QString &text) { log(format, text); };
    bDetectLoopRunning = true;
    for (int i = 0; i < tapiCandidates.size() && !appTerminated; ++i) {
        candidateCursor = i + 1;
        const QString &name = tapiCandidates[i];
        log("i = %d of %d\n", i, int(tapiCandidates.size()));
        ApdTapiDevice1->setSelectedDevice(name);
        if (ApdComPort1->tapiMode() == TapiMode::tmOff)
            continue;
        int com = 0;
        if (platform == QLatin1String("wnt")) {
            log("GetComPortFromRegOnNT(%s)\n", name);
            com = GetComPortFromRegOnNT(name, lookupLog);
        } else {
            log("GetComPort(%s)\n", name);
            com = GetComPort(name, lookupLog);
        }
        log("DeviceComPortFromReg=%d\n", com);
        int result = 0;
        if (com > 0 && com < 128 && portMemo[com] != -1) {
            result = portMemo[com] == 1 ? 3 : portMemo[com] == 0 ? 4 : 0;
        } else if (com > 0) {
            if (IsPortAvailable(com)) {
                try {
                    ApdComPort2->setComNumber(com);
                    ApdComPort2->open();
                    ApdComPort2->setDTR(true);
                    ApdComPort2->putString(QByteArrayLiteral("ATI7\r"));
                    result = ApdComPort2->waitForMultiString(QStringLiteral("OK^ERROR^ISDN^56K Business Modem"), 90, true);
                    if (result == 3 || result == 4)
                        ApdComPort2->waitForMultiString(QStringLiteral("OK^ERROR"), 36, true);
                } catch (const EApdPortError &) {
                    result = 0;
                }
                ApdComPort2->close();
            }
        }
        bool valid = false;
        int memo = 99;
        if (result == 3) {
            memo = 1;
            log("is it ISDN?\n");
            valid = name.contains(QLatin1String("ISDN"));
        } else if (result == 4) {
            memo = 0;
            log("is it tallyline? %s\n", name);
            valid = name.toUpper().contains(QLatin1String("TALLYLINE")) || name.toUpper().contains(QLatin1String(" TL "));
        }
        if (com > 0 && com < 128)   // the memo covers COM0 to COM127 only
            portMemo[com] = memo;
        log("deviceName=%s\n", name);
        log("reg comport=%d\n", com);
        log("bValidModem=%d\n", int(valid));
        if (!valid)
            continue;

        Timer1->setEnabled(true);
        bCommFailed = false;
        bCurrentComPortOccupied = false;
        lastProductCode.clear();
        const int closeCountBefore = tapiPortCloseCount;
        try {
            ApdTapiDevice1->configAndOpen();
        } catch (const EApdPortError &) {
            log("DetectModems catch configandopen\n");
            Timer1->setEnabled(false);
            continue;
        }
        int ticks = 0;
        while (tapiPortCloseCount == closeCountBefore && !appTerminated) {
            if (ticks > 540) {
                log("DetectModems(): break out from 30 sec timeout\n");
                break;
            }
            DelayTicks(5);
            ticks += 5;
        }
        const QString code = lastProductCode;
        if (code == productCodes.modemA)
            modelFound[Model56KBusMdm] = true;
        else if (code == productCodes.modemB)
            modelFound[Model56KBusMdmI] = true;
        else if (code == productCodes.isdnA)
            modelFound[ModelISDNTA] = true;
        else if (code == productCodes.isdnB)
            modelFound[ModelISDNTAPRO] = true;
    }
    bDetectLoopRunning = false;
    Timer1->setEnabled(false);
    log("we are out of the for-loop\n");
    finishDetection(m_nNumDetectedProducts, false);
}

void TcontainerFrame::tryConnection()
{
    if (TapiConnection) {
        cancelCall();
        bTimerRestartFlag = false;
        for (int ticks = 0; TapiConnection && ticks <= 540 && !appTerminated; ticks += 5) {
            log("wait 5 ticks until we come back from ontapiportclose()\n");
            DelayTicks(5);
        }
        return;
    }
    if (bDetectLoopRunning) {
        // The line of this candidate never opened (or already closed): let
        // the detection loop go on with the next one.
        ++tapiPortCloseCount;
        return;
    }
    while (candidateCursor < tapiCandidates.size() && tapiCandidates[candidateCursor].isEmpty())
        ++candidateCursor;
    if (candidateCursor < tapiCandidates.size()) {
        const QString name = tapiCandidates[candidateCursor++];
        ApdTapiDevice1->setSelectedDevice(name);
        log("deviceName=%s\n", name);
        Timer1->setEnabled(true);
        bTimerRestartFlag = false;
        if (ApdComPort1->tapiMode() != TapiMode::tmOff) {
            log("tryConnection ConfigAndOpen()\n");
            try {
                ApdTapiDevice1->configAndOpen();
            } catch (const EApdPortError &) {
                Timer1->setEnabled(false);
            }
        }
        return;
    }
    log("no more tapi device\n");
    if (m_nNumDetectedProducts > 0) {
        b_selectDeviceMode = false;
        UpdateModemButtonDisplay();
        statusInfoStatic->setText(
            tr_("Number of products found: %d").replace(QLatin1String("%d"), QString::number(m_nNumDetectedProducts)));
        instructionsStatic->setText(tr_(kClickProductText));
    } else {
        statusText("No Modem Detected");
    }
    statusAnimationAvi->stop();
    paintDetect(true);
    detectBtn->setEnabled(true);
    ExitBtn->setEnabled(true);
}

void TcontainerFrame::UpdateModemButtonDisplay()
{
    if (b_selectDeviceMode) {
        for (TCustomBitBtn *b : deviceButtons)
            b->hide();
        return;
    }
    const int count = std::min<int>(m_nNumDetectedProducts, detectedProducts.size());
    for (int i = 0; i < count; ++i) {
        TCustomBitBtn *b = deviceButton(i);
        b->setText(QString::number(i));
        b->setGeometry(5, 15 + 80 * i, 100, 65);
        b->setToolTip(detectedProducts[i]);
        b->setGlyphName(matchesNamePattern(detectedProducts[i], QString::fromLatin1(productNameTable[3]))
                            ? QStringLiteral("BMP_56KMDM")
                            : QStringLiteral("BMP_ISDNTA"));
        b->setEnabled(true);
        b->show();
        ScrollBox1->show();
    }
    for (int i = count; i < deviceButtons.size(); ++i)
        deviceButtons[i]->hide();
    scrollContents->resize(112, std::max(272, 15 + 80 * count));
    restoreKeyboardFocus();
}
