// Reading the TA's settings: the response matchers, the chain of information
// queries, the reply timer with its one retry, the optional queries that a TA
// may refuse, and the clock commands that end the first chain.
#include "quillonform.h"

#include "clock.h"
#include "datapacket.h"
#include "pagecontrol.h"
#include "progressform.h"
#include "serialport.h"

#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace quillon;

namespace {

TApdDataPacket *matcher(QObject *owner, const char *name, const char *start, const char *end)
{
    auto *p = new TApdDataPacket(owner);
    p->setObjectName(QLatin1String(name));
    p->setStartString(QLatin1String(start));
    if (QByteArray(start) == "?")
        p->setStartCond(StartCond::scAnyData);
    p->setEndString(QLatin1String(end));
    p->setEndCond(EndCond::ecString);
    p->setIncludeStrings(true);
    // Result codes are always upper case; a report text such as "Looking for
    // ISDN Line" must not end the packet at its "ok".
    p->setIgnoreCase(false);
    p->setAutoEnable(false);
    p->setEnabled(false);
    return p;
}

} // namespace

void TQuillonForm::buildMatchers()
{
    Ati12DataPacket = matcher(this, "Ati12DataPacket", "Switch Settings", "OK");
    Ati15DataPacket = matcher(this, "Ati15DataPacket", "Phone Port Settings", "OK");
    Ati16DataPacket = matcher(this, "Ati16DataPacket", "Data Protocol Settings", "OK");
    Ati7DataPacket = matcher(this, "Ati7DataPacket", "Hardware Profile", "OK");
    Ati20DataPacket = matcher(this, "Ati20DataPacket", "Call Forwarding", "OK");
    Ati19DataPacket = matcher(this, "Ati19DataPacket", "Call Screening", "OK");
    Ati4DataPacket = matcher(this, "Ati4DataPacket", "TA Settings", "OK");
    CountryDataPacket = matcher(this, "CountryDataPacket", "00:US/Canada", "OK");
    DefaultDataPacket = matcher(this, "DefaultDataPacket", "?", "OK");
    ErrorApdDataPacket = matcher(this, "ErrorApdDataPacket", "ERR", "OR");

    connect(Ati12DataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::Ati12DataPacketStringPacket);
    connect(Ati15DataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::Ati15DataPacketStringPacket);
    connect(Ati16DataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::Ati16DataPacketStringPacket);
    connect(Ati7DataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::Ati7DataPacketStringPacket);
    connect(Ati20DataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::Ati20DataPacketStringPacket);
    connect(Ati19DataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::Ati19DataPacketStringPacket);
    connect(Ati4DataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::Ati4DataPacketStringPacket);
    connect(CountryDataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::CountryDataPacketStringPacket);
    connect(DefaultDataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::DefaultDataPacketStringPacket);
    connect(ErrorApdDataPacket, &TApdDataPacket::stringPacket, this, &TQuillonForm::ErrorApdDataPacketStringPacket);
    connect(DataTimer, &ScaledTimer::timeout, this, &TQuillonForm::DataTimerTimer);
    connect(Detect_Timer, &ScaledTimer::timeout, this, &TQuillonForm::Detect_TimerTimer);
    connect(Animation_Timer, &ScaledTimer::timeout, this, &TQuillonForm::Animation_TimerTimer);
}

void TQuillonForm::disarmAll()
{
    for (TApdDataPacket *p : {Ati12DataPacket, Ati15DataPacket, Ati16DataPacket, Ati7DataPacket,
                              Ati20DataPacket, Ati19DataPacket, Ati4DataPacket, CountryDataPacket,
                              DefaultDataPacket, ErrorApdDataPacket})
        p->setEnabled(false);
}

void TQuillonForm::stopTimers()
{
    DataTimer->setEnabled(false);
    Detect_Timer->setEnabled(false);
    Animation_Timer->setEnabled(false);
}

void TQuillonForm::sendLine(const QString &line)
{
    if (!port)
        return;
    // Once hidden, nothing of the form goes to the device.
    if (!shown) {
        logLine("not sent, the form is hidden: %s\n", line.trimmed());
        return;
    }
    try {
        port->setDTR(true);
        port->putString(line.toLatin1());
    } catch (const EApdPortError &e) {
        // The reply timer treats it as a missing answer.
        logLine("port error: %s\n", QString::fromLocal8Bit(e.what()));
    }
}

void TQuillonForm::sendQuery(const QString &query)
{
    if (!shown) {
        logLine("not sent, the form is hidden: %s\n", query);
        return;
    }
    clockStep = 0;
    pendingQuery = query;
    TApdDataPacket *packet = query == QLatin1String("ati12") ? Ati12DataPacket
                             : query == QLatin1String("ati15") ? Ati15DataPacket
                             : query == QLatin1String("ati16") ? Ati16DataPacket
                             : query == QLatin1String("ati7")  ? Ati7DataPacket
                             : query == QLatin1String("ati20") ? Ati20DataPacket
                             : query == QLatin1String("ati19") ? Ati19DataPacket
                             : query == QLatin1String("ati4")  ? Ati4DataPacket
                                                               : CountryDataPacket;
    packet->setEnabled(true);
    const QString line = query + QLatin1Char('\r');
    if (packet == Ati20DataPacket || packet == Ati19DataPacket) {
        ErrorApdDataPacket->setEnabled(true);
        lastCommand = line;
    }
    sendLine(line);
    DataTimer->setEnabled(true);
}

void TQuillonForm::startChain(const char *diagnostic)
{
    chainRunning = true;
    chainFailed = false;
    if (diagnostic)
        logLine(diagnostic);
    sendQuery(QStringLiteral("ati12"));
}

void TQuillonForm::sendCommandLine(const QString &line, bool clockCommand)
{
    if (!shown) {
        logLine("not sent, the form is hidden: %s\n", line.trimmed());
        return;
    }
    // Any other command takes the place of an unfinished clock exchange; the
    // clock is then set at the end of the next read-back.
    if (!clockCommand)
        clockStep = 0;
    pendingQuery = QStringLiteral("SentAtCmd");
    DefaultDataPacket->setEnabled(true);
    lastCommand = line;
    sendLine(line);
    DataTimer->setEnabled(true);
}

void TQuillonForm::setProgressTarget(int target) { progress_->setTarget(target); }

void TQuillonForm::hideProgress() { progress_->hideProgress(this); }

// --- The chain -----------------------------------------------------------------

void TQuillonForm::Ati12DataPacketStringPacket(const QString &data)
{
    disarmAll();
    DataTimer->setEnabled(false);
    retryCount = 0;
    replies.ati12 = data;
    switchType = toNumber(keywordValue(replies, frag(F_SwitchType), QStringLiteral("ati12")));
    if (!wizardCommandSent && switchType == 0 && (msnWizardPending || run.quickSetup)) {
        Edit_MSNArea->setText(keywordValue(replies, frag(F_AreaCode), QStringLiteral("ati12")));
        Edit_MSNPort1->setText(keywordValue(replies, frag(F_Number1), QStringLiteral("ati12")));
        Edit_MSNPort2->setText(keywordValue(replies, frag(F_Number2), QStringLiteral("ati12")));
        Edit_MSNData->setText(keywordValue(replies, frag(F_Number3), QStringLiteral("ati12")));
        msnWizardPending = false;
    }
    applySwitchType(switchType);
    if (basicPending) {
        basicPending = false;
        adjustBasicPortItems();
    }
    if (wizardRunning) {
        chainRunning = false;
        hideProgress();
        if (wizardCommandSent) {
            singleReplyMode = false;
            detectionResult(data);
            return;
        }
        Edit_SpidAreaCode->setText(keywordValue(replies, frag(F_AreaCode), QStringLiteral("ati12")));
        Edit_SpidDN1->setText(keywordValue(replies, frag(F_Number1), QStringLiteral("ati12")));
        Edit_SpidDN2->setText(keywordValue(replies, frag(F_Number2), QStringLiteral("ati12")));
        SaveBtn->setEnabled(true);
    } else if (singleReplyMode) {
        chainRunning = false;
        hideProgress();
    } else {
        sendQuery(QStringLiteral("ati15"));
        setProgressTarget(30);
    }
    singleReplyMode = false;
}

void TQuillonForm::Ati15DataPacketStringPacket(const QString &data)
{
    disarmAll();
    DataTimer->setEnabled(false);
    retryCount = 0;
    replies.ati15 = data;
    sendQuery(QStringLiteral("ati16"));
    setProgressTarget(40);
}

void TQuillonForm::Ati16DataPacketStringPacket(const QString &data)
{
    disarmAll();
    DataTimer->setEnabled(false);
    retryCount = 0;
    replies.ati16 = data;
    pppModeDynamic = toNumber(keywordValue(replies, frag(F_PppMode), QStringLiteral("ati16"))) == 4;
    sendQuery(QStringLiteral("ati7"));
    setProgressTarget(60);
}

void TQuillonForm::Ati7DataPacketStringPacket(const QString &data)
{
    disarmAll();
    DataTimer->setEnabled(false);
    retryCount = 0;
    const HardwareProfile profile = parseHardwareProfile(data, countryName, countryChanged);
    countryName = profile.countryName;
    countryChanged = false;
    model5241 = profile.model5241;
    leasedLineCapable = profile.leasedLineCapable;
    // Only a leased-line capable TA other than the 5241 offers the IDSL switch entry.
    const bool idsl = leasedLineCapable && !model5241;
    if (idsl && Switch_Combo->count() == 6)
        Switch_Combo->addItem(tx("IDSL (Leased Line)"));
    else if (!idsl && Switch_Combo->count() == 7)
        Switch_Combo->removeItem(6);
    switchType = toNumber(keywordValue(replies, frag(F_SwitchType), QStringLiteral("ati12")));
    // The leased-line group depends on what the profile just told.
    applySwitchType(switchType);
    if (switchType != 0) {
        CallForwardBtn->hide();
        Basic_CallFBtn->hide();
        sendQuery(QStringLiteral("ati19"));
    } else {
        sendQuery(QStringLiteral("ati20"));
    }
    setProgressTarget(70);
    CallScreenBtn->setVisible(callScreeningSupported);
}

void TQuillonForm::Ati20DataPacketStringPacket(const QString &data)
{
    disarmAll();
    DataTimer->setEnabled(false);
    retryCount = 0;
    callForwardingSupported = true;
    CallForwardBtn->setVisible(callForwardingSupported);
    Basic_CallFBtn->show();
    replies.ati20 = data;
    ati20Parsed = true;
    parseForwarding(singleReplyMode);
    if (!singleReplyMode) {
        sendQuery(QStringLiteral("ati19"));
        setProgressTarget(90);
    } else {
        chainRunning = false;
        hideProgress();
    }
    singleReplyMode = false;
}

void TQuillonForm::Ati19DataPacketStringPacket(const QString &data)
{
    disarmAll();
    DataTimer->setEnabled(false);
    retryCount = 0;
    callScreeningSupported = true;
    CallScreenBtn->show();
    replies.ati19 = data;
    ati19Parsed = true;
    parseScreening();
    sendQuery(QStringLiteral("ati4"));
    setProgressTarget(100);
}

void TQuillonForm::Ati4DataPacketStringPacket(const QString &data)
{
    disarmAll();
    DataTimer->setEnabled(false);
    retryCount = 0;
    replies.ati4 = data;
    bool showSuccess = false;
    // The write this read-back confirms, if any, ends here.
    const WriteRun done = run;
    run = WriteRun{};
    // A box below may outlast the showing; then nothing more happens here.
    const int started = showing;
    QPointer<TQuillonForm> guard(this);
    const auto left = [&] { return !guard || showing != started; };
    if (done.save) {
        applyNumberLabels();
        SaveBtn->setText(tx("Save"));
        if (done.quickSetup) {
            if (europeanFlow)
                showProfilePage();
            else
                showCongratulations(false);
        } else {
            showSuccess = true;
        }
    } else if (done.internetSetup) {
        say(tx("ISDN TA Configured Successfully for the Internet Access!."));
        if (left())
            return;
        helpOverride = 120;
        notifyHost();
    } else if (done.recheck) {
        say(tx("Error while trying to configure the modem!"));
        if (left())
            return;
    }
    commandSlots.reset();
    sheetFilled.fill(false);
    switchTypeChanged = false;
    ati20Parsed = ati19Parsed = countryRequested = false;
    chainRunning = false;
    fillActivePage();
    hideProgress();
    if (showSuccess) {
        say(tx("Modem Configured Successfully!"));
        if (left())
            return;
    }
    if (!clockSet && clockStep == 0) {
        clockStep = 1;
        sendCommandLine(timeCommand(QTime::currentTime()), true);
    }
    for (QWidget *w : {static_cast<QWidget *>(SaveBtn), static_cast<QWidget *>(ConfigureBtn),
                       static_cast<QWidget *>(ResetBtn), static_cast<QWidget *>(Btn_ResetISDNLine),
                       static_cast<QWidget *>(AODI_BackBtn), static_cast<QWidget *>(Btn_CancelCongrats)})
        w->setEnabled(true);
    PPPDBABtn->setEnabled(pppModeDynamic);
    // The advanced set's country page has nothing to save; the wizard's
    // country step goes on with "&Next >".
    if (PageControl1->activePage() == CountrySheet && !captionIs(SaveBtn, "&Next >")) {
        SaveBtn->setEnabled(false);
        CountryBtn->setEnabled(true);
    }
    hideProgress();
    requestCountryList();
}

void TQuillonForm::clockReply()
{
    if (clockStep == 1) {
        clockStep = 2;
        sendCommandLine(dateCommand(QDate::currentDate(), usCanada), true);
    } else {
        clockStep = 0;
        clockSet = true;
        requestCountryList();
    }
}

void TQuillonForm::ErrorApdDataPacketStringPacket(const QString &)
{
    DataTimer->setEnabled(false);
    retryCount = 0;
    disarmAll();
    DataTimer->setEnabled(true);
    if (lastCommand == QLatin1String("ati19\r")) {
        callScreeningSupported = false;
        CallScreenBtn->hide();
        sendQuery(QStringLiteral("ati4"));
        setProgressTarget(100);
    } else if (lastCommand == QLatin1String("ati20\r")) {
        callForwardingSupported = false;
        CallForwardBtn->hide();
        Basic_CallFBtn->hide();
        sendQuery(QStringLiteral("ati19"));
        setProgressTarget(90);
    }
}

void TQuillonForm::DataTimerTimer()
{
    DataTimer->setInterval(5000);
    errorSeen = false;
    DataTimer->setEnabled(false);
    disarmAll();
    if (retryCount == 1) {
        if (pendingQuery == QLatin1String("SentAtCmd") && clockStep != 0) {
            // A TA that refuses the clock keeps its own; asking again would only
            // repeat the same refusal after every read-back.
            clockStep = 0;
            clockSet = true;
            retryCount = 0;
            requestCountryList();
            return;
        }
        if (pendingQuery == QLatin1String("SentAtCmd") && abortPending) {
            // The wizard's Stop was never confirmed: say so instead of reporting
            // a failed configuration, and let no later "OK" pass for it.
            abortPending = false;
            retryCount = 0;
            say(tx("Failed to recieve response from modem.  Please verify the connection!"));
            showSpidPage();
            return;
        }
        if (pendingQuery == QLatin1String("SentAtCmd") && run.leaving) {
            // The form is going and the TA does not answer: the write is lost,
            // which the form says before it goes.
            run.failed = true;
            run.writing = false;
            retryCount = 0;
            return;
        }
        if (pendingQuery == QLatin1String("SentAtCmd")) {
            // The write failed: none of its flags may shape what follows.
            beginRun().recheck = true;
            retryCount = 0;
            startChain("else section: DataTimerTimer output=ati12\n");
            return;
        }
        retryCount = 0;
        chainRunning = false;
        chainFailed = true;
        basicPending = false;
        run = WriteRun{};   // a write whose read-back broke off reports nothing later
        say(tx("Failed to recieve response from modem.  Please verify the connection!"));
        // The form stays usable: the page keeps what it had.
        hideProgress();
        enableActions();
        return;
    }
    if (pendingQuery == QLatin1String("SentAtCmd")) {
        DefaultDataPacket->setEnabled(true);
        sendLine(lastCommand);
        DataTimer->setEnabled(true);
    } else if (pendingQuery == QLatin1String("at~c?")) {
        CountryDataPacket->setEnabled(true);
        sendLine(QStringLiteral("at~c?\r"));
        DataTimer->setEnabled(true);
    } else {
        if (pendingQuery == QLatin1String("ati12"))
            logLine("DataTimerTimer output=ati12\n");
        sendQuery(pendingQuery);
    }
    retryCount = 1;
}

void TQuillonForm::DefaultDataPacketStringPacket(const QString &)
{
    disarmAll();
    DataTimer->setEnabled(false);
    retryCount = 0;
    if (clockStep != 0) {
        clockReply();
        return;
    }
    if (abortPending) {
        abortConfirmed();
        return;
    }
    pumpNext();
}

void TQuillonForm::CountryDataPacketStringPacket(const QString &data)
{
    CountryDataPacket->setEnabled(false);
    stopTimers();
    retryCount = 0;
    if (!data.isEmpty()) {
        Combo_Country->clear();
        Combo_Country->addItems(parseCountryList(data));
    }
    if (countryName.isEmpty() || countryChanged) {
        sendQuery(QStringLiteral("ati7"));
    } else if (europeanFlow) {
        singleReplyMode = true;
        sendQuery(QStringLiteral("ati12"));
    }
    showCountry();
}

void TQuillonForm::showCountry()
{
    const QString name = countryDisplayName(countryName);
    LabelCountry->setText(name);
    nameValueLabels();
    for (int i = Combo_Country->count() - 1; i >= 0; --i) {
        if (!name.isEmpty() && Combo_Country->itemText(i).contains(name)) {
            Combo_Country->setCurrentIndex(i);
            break;
        }
    }
}

// --- Switch type ----------------------------------------------------------------

void TQuillonForm::applySwitchType(int type)
{
    if (type == 0) {
        applyVariantLayout(QStringLiteral("European"));
        Basic_CallFBtn->setVisible(callForwardingSupported);
    } else if (type >= 6 && type <= 8) {
        applyVariantLayout(QStringLiteral("Leased Line"));
        // Showing the type read or chosen is no choice of a bandwidth.
        const bool wasFilling = filling_;
        filling_ = true;
        RadioBtn_64K_1BC->setChecked(type == 6);
        RadioBtn_128K_2BC->setChecked(type == 7);
        RadioBtn_144K_2BC_D->setChecked(type == 8);
        if (leasedLineCapable) {
            GroupBox22->resize(GroupBox22->width(), 120);
            RadioBtn_144K_2BC_D->move(RadioBtn_144K_2BC_D->x(), 72);
            RadioBtn_144K_2BC_D->show();
        } else {
            GroupBox22->resize(GroupBox22->width(), 73);
            RadioBtn_144K_2BC_D->hide();
            RadioBtn_144K_2BC_D->setAutoExclusive(false);
            RadioBtn_144K_2BC_D->setChecked(false);
            RadioBtn_144K_2BC_D->setAutoExclusive(true);
        }
        filling_ = wasFilling;
    } else {
        applyVariantLayout(QStringLiteral("Domestic"));
    }
    Switch_Combo->setCurrentIndex(type >= 6 ? std::min(6, Switch_Combo->count() - 1)
                                            : std::clamp(type, 0, 5));
    applyVoiceLayout();
}

// --- Lists read by the later pages -----------------------------------------------

void TQuillonForm::parseForwarding(bool labelsOnly)
{
    const ForwardingList list = parseCallForwarding(replies.ati20, tx("Enabled"), tx("Disabled"));
    // Lines after the first missing one keep what they had.
    for (int line = 0; line < list.linesParsed; ++line) {
        const int m = line / 4, k = line % 4;
        if (!labelsOnly)
            forwardCur.msn[m][k] = forwardRead.msn[m][k] = list.msn[m][k];
        else
            forwardCur.msn[m][k].networkEnabled = forwardRead.msn[m][k].networkEnabled =
                list.msn[m][k].networkEnabled;
    }
    showForwarding();
}

void TQuillonForm::parseScreening()
{
    const ScreeningList list = parseCallScreening(replies.ati19);
    // A list that stops early leaves what it did not reach as it was shown; the
    // read-back ends every write, so that is also what the TA holds as far as we know.
    if (list.headerFound)
        screenCur.rejectListed = list.rejectListed;
    for (int e = 0; e < list.entriesParsed; ++e)
        screenCur.entries[size_t(e)] = list.entries[size_t(e)];
    screenRead = screenCur;
    showScreening();
}
