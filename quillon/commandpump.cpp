// Writing settings: composing one command line per changed page into the
// numbered slots, sending them one at a time on every "OK", the final write
// to memory and the read-back that confirms it; also the commands of the
// reset page, the bandwidth presets, the internet setup and the profiles.
#include "quillonform.h"

#include "clock.h"
#include "datapacket.h"
#include "pagecontrol.h"
#include "progressform.h"
#include "serialport.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

using namespace quillon;

void TQuillonForm::disableActions()
{
    for (QWidget *w : {static_cast<QWidget *>(SaveBtn), static_cast<QWidget *>(ConfigureBtn),
                       static_cast<QWidget *>(ResetBtn), static_cast<QWidget *>(Btn_ResetISDNLine),
                       static_cast<QWidget *>(AODI_BackBtn), static_cast<QWidget *>(Btn_CancelCongrats),
                       static_cast<QWidget *>(PPPDBABtn)})
        w->setEnabled(false);
}

void TQuillonForm::enableActions()
{
    for (QWidget *w : {static_cast<QWidget *>(SaveBtn), static_cast<QWidget *>(ConfigureBtn),
                       static_cast<QWidget *>(ResetBtn), static_cast<QWidget *>(Btn_ResetISDNLine),
                       static_cast<QWidget *>(AODI_BackBtn), static_cast<QWidget *>(Btn_CancelCongrats)})
        w->setEnabled(true);
    PPPDBABtn->setEnabled(pppModeDynamic);
}

void TQuillonForm::showUpdating()
{
    progress_->showProgress(this, tx("Please wait . . . updating modem data."));
    progress_->setTarget(100, true);
}

void TQuillonForm::composeSlots()
{
    // Only the lines of this save decide whether the TA restarts after the write.
    const auto place = [this](const QList<SlotLine> &lines) {
        for (const SlotLine &l : lines) {
            commandSlots[l.slot] = l.line;
            run.resetAfterWrite = run.resetAfterWrite || l.resetAfterWrite;
        }
    };
    if (sheetFilled[ShBasic])
        commandSlots[0] = composeBasic(basicCur, basicRead);
    if (sheetFilled[ShData] || sheetFilled[ShVoice])
        commandSlots[1] = composeData(dataCur, dataRead, euroIsdn(), sheetFilled[ShData]);
    if (sheetFilled[ShVoice])
        commandSlots[16] = composeVoice(voiceCur, voiceRead);
    if (sheetFilled[ShAdvVoice])
        commandSlots[17] = composeAdvVoice(advCur, advRead);
    if (sheetFilled[ShPpp]) {
        commandSlots[18] = composePpp(pppCur, pppRead);
        commandSlots[15] = composePppLongDistance(pppCur, pppRead);
    }
    if (sheetFilled[ShThreshold])
        commandSlots[23] = composeThresholds(thresholdCur, thresholdRead);
    if (sheetFilled[ShAodi])
        place(composeAodi(aodiCur, aodiRead));
    if (sheetFilled[ShIsdn])
        place(composeLine(lineCur, lineRead, lineReadSwitchType));
    // Call forwarding exists on EuroISDN only.
    if (sheetFilled[ShCallF] && switchType == 0)
        place(composeForwarding(forwardCur, forwardRead));
    if (sheetFilled[ShClid])
        place(composeScreening(screenCur, screenRead));
    if (sheetFilled[ShX75])
        commandSlots[75] = composeX75(x75Cur, x75Read);
}

void TQuillonForm::save()
{
    // A discriminator class other than automatic is sent with its value.
    if (sheetFilled[ShPpp] && !endpointValid(pppCur)) {
        say(tx("Please provide an Endpoint Discriminator value in the PPP Settings."));
        return;
    }
    SaveBtn->setEnabled(false);
    ConfigureBtn->setEnabled(false);
    if (switchTypeChanged)
        sheetFilled[ShAdvVoice] = false;
    disarmAll();
    stopTimers();
    disableActions();
    showUpdating();
    WriteRun &write = beginRun();
    write.save = true;
    write.writing = true;
    composeSlots();
    const int first = commandSlots.firstFilled(0, kSlotCount - 1);
    if (first >= 0) {
        nextSlot = first + 1;
        sendCommandLine(commandSlots[first]);
    } else {
        nextSlot = 0;
        sendCommandLine(kEmptyLine);
    }
}

void TQuillonForm::pumpNext()
{
    QString line;
    if (nextSlot >= 1 && nextSlot <= 76) {
        const int last = run.quickSetup ? 8 : 76;
        while (nextSlot <= last) {
            const int slot = nextSlot++;
            if (commandSlots.firstFilled(slot, slot) == slot) {
                line = commandSlots[slot];
                break;
            }
        }
        if (line.isEmpty() && nextSlot > last)
            nextSlot = 77;
    }
    if (line.isEmpty() && nextSlot == 77) {
        line = run.resetAfterWrite ? QStringLiteral("at&wz!\r") : QStringLiteral("at&w\r");
        nextSlot = 0;
    } else if (line.isEmpty() && nextSlot == 0) {
        // The TA has stored the write. A form on its way out reads nothing back.
        run.writing = false;
        if (run.leaving)
            return;
        logLine("Defaultdatapacket output=ati12\n");
        startChain(nullptr);
        return;
    }
    if (line.isEmpty())
        return;
    sendCommandLine(line);
}

// Sends the first line of a write whose run was begun by the caller.
void TQuillonForm::sendPrepared(const QString &line, int next)
{
    run.save = true;
    run.writing = true;
    nextSlot = next;
    sendCommandLine(line);
}

void TQuillonForm::internetSetup_()
{
    disarmAll();
    stopTimers();
    WriteRun &write = beginRun();
    write.internetSetup = true;
    write.writing = true;
    nextSlot = 0;
    sendCommandLine(QStringLiteral("AT&F4&w\r"));
}

void TQuillonForm::resetConfiguration()
{
    disarmAll();
    stopTimers();
    disableActions();
    const int number = resetTemplateNumber(Combo_Reset->currentIndex());
    if (number < 0) {
        say(tx("Please select an appropriate factory settings template!"));
        enableActions();
        return;
    }
    beginRun().resetAfterWrite = number == 5;
    showUpdating();
    sendPrepared(QStringLiteral("AT") + frag(F_FactoryTemplate) + QString::number(number) + QLatin1Char('\r'), 77);
}

void TQuillonForm::resetIsdnLine()
{
    clockStep = 0;
    disarmAll();
    stopTimers();
    disableActions();
    const QString s69 = keywordValue(replies, frag(F_S69), QStringLiteral("ati4"));
    if (toNumber(s69) == 0 && port) {
        sendLine(QStringLiteral("aty23\r"));
        if (waitForReply(QStringLiteral("ERROR^OK"), 90) == WaitEnd::Left)
            return;
    }
    showUpdating();
    beginRun();
    sendPrepared(QStringLiteral("ATZ!\r"), 0);
}

void TQuillonForm::sendPreset(bool conservative)
{
    disarmAll();
    stopTimers();
    disableActions();
    showUpdating();
    const QString fragment = frag(conservative ? F_PresetConservative : F_PresetAggressive);
    beginRun();
    sendPrepared(QStringLiteral("AT") + fragment + QLatin1Char('\r'), 77);
}

void TQuillonForm::applyProfile()
{
    clockStep = 0;
    disarmAll();
    stopTimers();
    const int row = ListBox_Profiles->currentRow();
    if (row != ListBox_Profiles->count() - 1 && port) {
        const QString fragment = profileFragment(row < 0 ? 0 : row);
        // A form that goes during these waits stores the profile first (or
        // says it could not): the run tells it how far the profile got.
        beginRun().profileStep = 1;
        sendLine(QStringLiteral("AT") + fragment + QLatin1Char('\r'));
        if (waitForReply(QStringLiteral("ERROR^OK"), 90) == WaitEnd::Left)
            return;
        run.profileStep = 2;
        sendLine(QStringLiteral("AT&W\r"));
        if (waitForReply(QStringLiteral("ERROR^OK"), 90) == WaitEnd::Left)
            return;
        run.profileStep = 0;
    }
    showCongratulations(true);
}
