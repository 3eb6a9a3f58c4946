// The ISDN line wizard: the country step of a European first installation,
// the SPID step with its detection polls, the record of the TAs set up on
// this PC, the Stop button, and the animations of the detection and
// congratulations pages. The MSN step and the profiles go through the
// command pump (navigation.cpp, commandpump.cpp).
#include "quillonform.h"

#include "clock.h"
#include "pagecontrol.h"
#include "pagewidgets.h"
#include "progressform.h"
#include "registry.h"
#include "serialport.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace quillon;

namespace {

const QString kSerialNumbersKey = QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\ISDN TA");
const QString kDetecting = QStringLiteral("detecting");
const QString kDetected = QStringLiteral("DetectedQuillon");
const QString kFirstTime = QStringLiteral("FirstTimeConfiguredQuillon");

const QColor kLightOn(0x80, 0xff, 0x80);
const QColor kLightOff(0x80, 0x80, 0x80);

} // namespace

// --- Wizard pages -----------------------------------------------------------------

// A wizard page with "&Next >" and "Cancel" at the bottom, all tabs hidden.
void TQuillonForm::showWizardStep(QWidget *page)
{
    PageControl1->hideAllTabs();
    PageControl1->setActivePage(page);
    SaveBtn->setText(tx("&Next >"));
    SaveBtn->show();
    SaveBtn->setEnabled(true);
    Btn_CancelCongrats->setText(tx("Cancel"));
    Btn_CancelCongrats->show();
    Btn_CancelCongrats->setEnabled(true);
}

void TQuillonForm::showCountryWizardPage()
{
    showWizardStep(CountrySheet);
    for (QWidget *w : {static_cast<QWidget *>(CountryImage), static_cast<QWidget *>(CountryBtn),
                       static_cast<QWidget *>(WarningLabel), static_cast<QWidget *>(ConfigureBtn),
                       static_cast<QWidget *>(BtnProfile)})
        w->hide();
    Country_Bevel->setFrameShape(QFrame::Box);
    showCountry();
    // The list to choose from comes from the TA; its reply also refreshes the
    // switch settings (Country list handling in readback.cpp).
    countryRequested = true;
    disarmAll();
    sendQuery(QStringLiteral("at~c?"));
}

void TQuillonForm::showSpidPage()
{
    showWizardStep(SpidSheet);
    ConfigureBtn->hide();
    BtnProfile->hide();
    InfoText->setText(tx("Checking for Connection......"));
    pollCount = 0;
    hideProgress();
}

void TQuillonForm::showMsnPage()
{
    showWizardStep(MSNSheet);
    ConfigureBtn->hide();
    BtnProfile->hide();
    pollCount = 0;
}

// --- Country --------------------------------------------------------------------------

// Sets the TA's country and restarts it. The answer is waited for here, so no
// matcher and no timer may be left to take it. False when the form was left
// during the wait: then nothing more is sent, and the TA keeps the country
// stored until it restarts.
bool TQuillonForm::changeCountry(int index)
{
    LabelCountry->setText(Combo_Country->itemText(index).mid(3));
    nameValueLabels();
    disarmAll();
    stopTimers();
    sendLine(QStringLiteral("atc10=") + QString::number(index) + QStringLiteral("&W\r"));
    if (waitForReply(QStringLiteral("ERROR^OK"), 90) == WaitEnd::Left)
        return false;
    sendLine(QStringLiteral("ATZ!\r"));
    countryChanged = true;
    return true;
}

void TQuillonForm::countryNext()
{
    const int index = Combo_Country->currentIndex();
    if (index < 0)
        return;   // the TA's list has not arrived: nothing to choose yet
    if (!changeCountry(index))
        return;
    if (index == 0) {
        // US/Canada: a North American line, set up with SPIDs.
        readyCount = 0;
        wizardRunning = true;
        wizardCommandSent = false;
        showSpidPage();
    } else {
        showMsnPage();
    }
}

void TQuillonForm::CountryBtnClick()
{
    CountryBtn->setEnabled(false);
    const int index = Combo_Country->currentIndex();
    if (index < 0) {
        CountryBtn->setEnabled(true);
        return;
    }
    if (!changeCountry(index) || pause(36) == WaitEnd::Left)
        return;
    // The voice features offered depend on the country: read them afresh.
    sheetFilled[ShAdvVoice] = false;
    save();
}

// --- SPID step and detection -------------------------------------------------------------

void TQuillonForm::spidNext()
{
    const QString area = Edit_SpidAreaCode->text();
    if (area.size() <= 2) {
        say(tx("Please provide your appropriate area code."));
        return;
    }
    const QString number1 = Edit_SpidDN1->text();
    if (number1.isEmpty()) {
        say(tx("Please provide your phone number1."));
        return;
    }
    const QString command = spidCommand(area, number1, Edit_SpidDN2->text());
    logLine("spid wizard output = [%s]\n", command);
    // The TA's answer to the command itself is not looked at; the line's
    // status in the following ati12 reports decides.
    disarmAll();
    DataTimer->setEnabled(false);
    sendLine(command);
    logLine("SendSpidWizardCommand() = %d\n", 1);
    wizardCommandSent = true;
    PageControl1->hideAllTabs();
    PageControl1->setActivePage(DetectionSheet);
    congratsFrame = 0;
    Animation_Timer->setEnabled(true);
    wizardState = kDetecting;
    Detect_Timer->setEnabled(true);
    Btn_CancelCongrats->setText(tx("Stop"));
    Btn_CancelCongrats->show();
    Btn_CancelCongrats->setEnabled(true);
    SaveBtn->hide();
}

void TQuillonForm::Detect_TimerTimer()
{
    Detect_Timer->setEnabled(false);
    DataTimer->setEnabled(false);
    if (wizardState != kDetecting)
        return;
    disarmAll();
    logLine("Detect_TimerTimer output=ati12\n");
    sendQuery(QStringLiteral("ati12"));
}

void TQuillonForm::detectionResult(const QString &reply)
{
    if (!reply.contains(QLatin1String("EuroISDN")))
        europeanFlow = false;
    const QString status = deviceStatus(reply);
    PageControl1->hideAllTabs();
    PageControl1->setActivePage(DetectionSheet);
    InfoText->setText(status);
    const bool ready = status.contains(QLatin1String("Ready"));
    if (ready) {
        ++readyCount;
        logLine("Found SPID Ready\n");
    }
    if (ready && readyCount > 1) {
        detectionSucceeded();
    } else if (status.contains(QLatin1String("Looking for ISDN Line")) && pollCount > 8) {
        detectionFailed("SPID Wizard failed. Please make sure that the ISDN Line is connected properly to your modem.");
    } else if (status.contains(QLatin1String("Incorrect SPID"))) {
        detectionFailed("SPID Wizard Failed. Incorrect Phone Numbers.");
    } else if (pollCount < 24) {
        // Not there yet: poll again, the command stays sent.
        ++pollCount;
        wizardState = kDetecting;
        DataTimer->setEnabled(false);
        Detect_Timer->setEnabled(true);
        return;
    } else {
        detectionFailed("SPID Wizard failed. Please make sure that the ISDN Line is connected properly to your modem");
    }
    wizardCommandSent = false;
}

void TQuillonForm::detectionSucceeded()
{
    logLine("Ready found\n");
    Detect_Timer->setEnabled(false);
    if (pollCount == 0) {
        // The line came up at the first look: walk the user through its stages anyway.
        static const struct { int pause; const char *text; } stages[] = {
            {5, "Looking for ISDN Line..."}, {8, "Initializing Data Link..."},
            {8, "Connecting with the Network..."}, {8, "Ready..."}};
        for (const auto &stage : stages) {
            DelayTicks(stage.pause, false);
            InfoText->setText(tx(stage.text));
            InfoText->repaint();   // the pauses block: paint before the next one
        }
    }
    DelayTicks(10, false);
    pollCount = 0;
    recordSerialNumber();
    logLine("device_status=[%s]\n", wizardState);
    if (wizardState == kFirstTime) {
        applyNumberLabels();
        showCongratulations(europeanFlow);
        return;
    }
    InfoText->setText(tx("SPID Wizard Completed Successfully!"));
    Btn_CancelCongrats->setText(tx("OK"));
    Btn_CancelCongrats->setEnabled(true);
    Btn_CancelCongrats->show();
    SaveBtn->hide();
    say(tx("SPID Wizard completed successfully!"));
}

void TQuillonForm::detectionFailed(const char *message)
{
    say(tx(message));
    pollCount = 0;
    showSpidPage();
    Animation_Timer->setEnabled(false);
}

// Every TA the wizard completed on this PC is recorded as "Serial Number1",
// "Serial Number2", ... without gaps; a TA seen before is only greeted.
// Without the key the state stays "detecting" and the TA counts as seen.
void TQuillonForm::recordSerialNumber()
{
    TRegistry registry(RegRoot::LocalMachine);
    if (!registry.openKey(kSerialNumbersKey, true))
        return;
    int n = 1;
    for (;; ++n) {
        const QString name = QStringLiteral("Serial Number") + QString::number(n);
        if (!registry.valueExists(name))
            break;
        if (registry.readString(name) == serialNumber) {
            wizardState = kDetected;
            return;
        }
    }
    registry.writeString(QStringLiteral("Serial Number") + QString::number(n), serialNumber);
    wizardState = kFirstTime;
}

// --- Stop ------------------------------------------------------------------------------

void TQuillonForm::stopWizard()
{
    disarmAll();
    stopTimers();
    // No further status report belongs to this run.
    wizardCommandSent = false;
    abortPending = true;
    sendCommandLine(QStringLiteral("AT*z\r"));
}

void TQuillonForm::abortConfirmed()
{
    abortPending = false;
    InfoText->setText(tx("SPID Wizard Aborted!"));
    say(tx("SPID Wizard Aborted!"));
    showSpidPage();
}

// --- Animations ----------------------------------------------------------------------------

void TQuillonForm::Animation_TimerTimer()
{
    if (wizardCommandSent) {
        // Detection: a packet travels along the line, the lights blink.
        congratsFrame = congratsFrame % 5 + 1;
        for (int i = 0; i < 5; ++i)
            Shape_Data[size_t(i)]->setVisible(i + 1 == congratsFrame);
        const QColor light = congratsFrame % 2 == 1 ? kLightOn : kLightOff;
        for (QFrame *l : Shape_Light) {
            l->show();
            setShapeColor(l, light);
        }
        return;
    }
    congratsFrame = congratsFrame % 3 + 1;
    for (int i = 0; i < 9; ++i)
        Shape[size_t(i)]->setVisible(i / 3 + 1 == congratsFrame);
}
