#include "quillonform.h"

#include "clock.h"
#include "datapacket.h"
#include "dictionary.h"
#include "pagecontrol.h"
#include "progressform.h"
#include "serialport.h"
#include "suitesettings.h"
#include "translator.h"
#include "uiservices.h"
#include "windowmessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace quillon;

namespace {

QPushButton *bottomButton(QWidget *parent, const char *name, const char *caption, int left, int width)
{
    auto *b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(left, 316, width, 25);
    return b;
}

} // namespace

TQuillonForm::TQuillonForm(QWidget *parent) : QWidget(parent, Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("QuillonForm"));
    setWindowTitle(QStringLiteral("Quillon"));
    setFixedSize(515, 344);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xc0, 0xc0, 0xc0));
    setPalette(pal);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(12);
    setFont(f);

    Dictionary = new tl::Dictionary(this);
    Dictionary->setObjectName(QStringLiteral("Dictionary"));
    Dictionary->load();
    Translator = new tl::Translator(Dictionary, this);
    Translator->setObjectName(QStringLiteral("Translator"));

    buildForm();
    buildMatchers();
    wireButtons();
    buildAccessibility();

    // The state a freshly created form starts in.
    commandSlots.clear();
    PageControl1->setActivePage(BasicSheet);
    PageControl1->hideAllTabs();
    CallForwardBtn->hide();
    Basic_CallFBtn->hide();
    CkBox_VoiceMail->hide();
    STextVoiceMail->hide();
    Btn_CancelCongrats->hide();
    BtnProfile->hide();
    DN1Text->clear();
    DN2Text->clear();
    DN3Text->clear();

    PageControl1->setCaptionTranslation([this](const QString &c) { return Dictionary->translate(c); });
    // The tab bar is rebuilt from the design captions, never translated twice.
    tl::Translator::exclude(PageControl1->tabBar());
    Translator->follow(this);
    progress_ = new TModemProgressForm(this);
}

TQuillonForm::~TQuillonForm()
{
    // The matchers belong to this form but sit on the host's port, which lives on.
    for (TApdDataPacket *p : {Ati12DataPacket, Ati15DataPacket, Ati16DataPacket, Ati7DataPacket,
                              Ati20DataPacket, Ati19DataPacket, Ati4DataPacket, CountryDataPacket,
                              DefaultDataPacket, ErrorApdDataPacket})
        p->setComPort(nullptr);
}

void TQuillonForm::buildForm()
{
    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, 513, 313);
    BasicSheet = PageControl1->addPage("BasicSheet", QStringLiteral("Basic "));
    DataSheet = PageControl1->addPage("DataSheet", QStringLiteral("Data"));
    VoiceSheet = PageControl1->addPage("VoiceSheet", QStringLiteral("Voice "));
    AdvVoiceSheet = PageControl1->addPage("AdvVoiceSheet", QStringLiteral("Adv Voice"));
    ResetSheet = PageControl1->addPage("ResetSheet", QStringLiteral("Reset"));
    ISDNSheet = PageControl1->addPage("ISDNSheet", QStringLiteral("ISDN Line"));
    PPPSheet = PageControl1->addPage("PPPSheet", QStringLiteral("PPP"));
    ThresholdSheet = PageControl1->addPage("ThresholdSheet", QStringLiteral("Thresholds"));
    AODISheet = PageControl1->addPage("AODISheet", QStringLiteral("AO/DI"));
    X75Sheet = PageControl1->addPage("X75Sheet", QStringLiteral("X.75 "));
    CallFSheet = PageControl1->addPage("CallFSheet", QStringLiteral("Call Forwarding"));
    CLIDSheet = PageControl1->addPage("CLIDSheet", QStringLiteral("CLID"));
    CountrySheet = PageControl1->addPage("CountrySheet", QStringLiteral("Location"));
    SpidSheet = PageControl1->addPage("SpidSheet", QStringLiteral("Spid Wizard"));
    DetectionSheet = PageControl1->addPage("DetectionSheet", QStringLiteral("SpidDetection"));
    MSNSheet = PageControl1->addPage("MSNSheet", QStringLiteral("MSN Wizard"));
    ProfileSheet = PageControl1->addPage("ProfileSheet", QStringLiteral("Profiles"));
    CongratsSheet = PageControl1->addPage("CongratsSheet", QStringLiteral("CongratsSheet"));

    ConfigureBtn = bottomButton(this, "ConfigureBtn", "Advanced Configuration...", 0, 210);
    BtnProfile = bottomButton(this, "BtnProfile", "Profiles...", 213, 75);
    SaveBtn = bottomButton(this, "SaveBtn", "Save", 348, 81);
    Btn_CancelCongrats = bottomButton(this, "Btn_CancelCongrats", "Cancel", 432, 75);

    DataTimer = new ScaledTimer(this, 5000);
    DataTimer->setObjectName(QStringLiteral("DataTimer"));
    Detect_Timer = new ScaledTimer(this, 5000);
    Detect_Timer->setObjectName(QStringLiteral("Detect_Timer"));
    Animation_Timer = new ScaledTimer(this, 500);
    Animation_Timer->setObjectName(QStringLiteral("Animation_Timer"));

    buildBasicPage();
    buildDataPage();
    buildVoicePage();
    buildAdvVoicePage();
    buildResetPage();
    buildProfilePage();
    buildLaterPages();
    buildProtocolPages();
    buildAodiPage();
    buildIsdnPage();
    buildServicePages();
    buildCountryPage();
    buildWizardPages();
}

// --- Exports' entry points -------------------------------------------------------

void TQuillonForm::initialize(TApdComPort *newPort, const QString &serial, const QString &variant,
                              QObject *window, quint32 message)
{
    loggingEnabled = false;
    waitAndYield = false;
    const suite::LogSettings settings = suite::readLogSettings();
    loggingEnabled = settings.logging;
    waitAndYield = settings.waitAndYield;
    log_.setEnabled(loggingEnabled);

    port = newPort;
    for (TApdDataPacket *p : {Ati12DataPacket, Ati15DataPacket, Ati16DataPacket, Ati7DataPacket,
                              Ati20DataPacket, Ati19DataPacket, Ati4DataPacket, CountryDataPacket,
                              DefaultDataPacket, ErrorApdDataPacket})
        p->setComPort(newPort);

    serialNumber = serial;
    notifyWindow = window;
    notifyMessage = message;
    productVariant = variant;
    applyVariantLayout(productVariant);
}

void TQuillonForm::applyVariantLayout(const QString &variant)
{
    const bool european = variant == QLatin1String("European");
    const auto rateControls = [this](bool visible) {
        for (QWidget *w : {static_cast<QWidget *>(BChannel_SText), static_cast<QWidget *>(RadioBtn_Auto),
                           static_cast<QWidget *>(RadioBtn_64K), static_cast<QWidget *>(RadioBtn_56K)})
            w->setVisible(visible);
    };
    if (european) {
        GBox_Domestic->hide();
        GBox_LeasedLine->hide();
        GBox_Euro->show();
        AdvCall1_CkBox->show();
        AdvCall2_CkBox->hide();
        AdvCall2_CkBox->setEnabled(false);
        AdvVoice1Btn->hide();
        AdvVoice2Btn->hide();
        rateControls(false);
        Basic_CallFBtn->show();
    } else {
        if (variant == QLatin1String("Domestic")) {
            GBox_Euro->hide();
            GBox_LeasedLine->hide();
            GBox_Domestic->show();
            rateControls(true);
        } else if (variant == QLatin1String("Leased Line")) {
            GBox_Euro->hide();
            GBox_Domestic->hide();
            GBox_LeasedLine->show();
            rateControls(false);
        }
        updateAdvVoiceEnables();
        Basic_CallFBtn->hide();
    }
    CallScreenBtn->setVisible(callScreeningSupported);
}

void TQuillonForm::updateAdvVoiceEnables()
{
    AdvVoice1Btn->show();
    AdvVoice2Btn->show();
    AdvCall1_CkBox->show();
    AdvCall2_CkBox->show();
    AdvCall2_CkBox->setEnabled(true);
    AdvVoice1Btn->setEnabled(AdvCall1_CkBox->isChecked());
    AdvVoice2Btn->setEnabled(AdvCall2_CkBox->isChecked());
}

void TQuillonForm::showForm(bool show, bool supported, const QString &mode, const QString &productType)
{
    // Hidden or shown anew, a write under way is stored first. The host may
    // hide or show the form again meanwhile: this call is then out of date.
    QPointer<TQuillonForm> guard(this);
    const int started = showing;
    finishWriteBeforeLeaving();
    if (!guard || showing != started)
        return;
    if (!show) {
        ++showing;
        shown = false;
        // Whatever was outstanding is abandoned; an unfinished clock exchange is redone later.
        clockStep = 0;
        wizardRunning = false;
        wizardCommandSent = false;
        abortPending = false;
        run = WriteRun{};
        stopTimers();
        disarmAll();
        // A box of this showing still open goes with it; its caller sees the form left.
        closeOwnBoxes();
        // A read-back cut short by the host must not leave its progress window behind.
        chainRunning = false;
        progress_->hideProgress(this);
        hide();
        return;
    }
    ++showing;
    shown = true;
    clockStep = 0;
    disarmAll();
    stopTimers();
    sheetFilled.fill(false);
    ati20Parsed = ati19Parsed = countryRequested = false;
    commandSlots.reset();
    // Nothing of a write or a wizard Stop cut short by hiding the form belongs to this showing.
    run = WriteRun{};
    abortPending = false;
    // A single query cut short by hiding (the call forwarding refresh, the
    // wizard's country step) must not end this showing's read-back after ati12.
    singleReplyMode = false;
    msnWizardPending = false;

    if (countryName.isEmpty())
        countryName = productType;
    if (productType.contains(QLatin1String("US/Canada"))) {
        usCanada = true;
        europeanFlow = false;
    } else {
        usCanada = false;
    }
    countrySupported = supported;
    PageControl1->setTabVisible(CountrySheet, supported);

    const QString reading = tx("Please wait . . . reading modem data.");
    if (mode == QLatin1String("CONGRATS")) {
        showCongratulations(europeanFlow);
        startChain("congrats output=ati12\n");
        progress_->showProgress(this, reading);
    } else if (mode == QLatin1String("APPLICATION")) {
        europeanFlow = false;
        startChain(nullptr);
        QWidget::show();
        enterBasicPage();
        progress_->showProgress(this, reading);
    } else if (mode == QLatin1String("FIRST_EUROPEAN_INSTALL")) {
        if (supported) {
            europeanFlow = true;
            showCountryWizardPage();
        }
    } else if (mode == QLatin1String("SPID")) {
        readyCount = 0;
        wizardRunning = true;
        wizardCommandSent = false;
        startChain("SPID output=ati12\n");
        showSpidPage();
        progress_->showProgress(this, reading);
    } else if (mode == QLatin1String("MSNWizard")) {
        msnWizardPending = true;
        europeanFlow = false;
        startChain("MSNWiz output=ati12\n");
        showMsnPage();
        progress_->showProgress(this, reading);
    }
    QWidget::show();
    raise();
    keepFocusInForm();
}

void TQuillonForm::setLanguage(int language, unsigned locale)
{
    Dictionary->setBindingMode(tl::BindingMode::LanguageToLocale);
    Dictionary->setLocale(locale);
    Dictionary->selectLanguage(language);
    Dictionary->activate();
    PageControl1->retranslate();
    relayoutForLanguage();
    nameControls();
}

void TQuillonForm::relayoutForLanguage()
{
    const auto n = [this](QWidget *w) {
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            return int(b->text().size());
        if (auto *l = qobject_cast<QLabel *>(w))
            return int(l->text().size());
        return 0;
    };
    LabelCountry->move(LabelCountrySelected->x() + 6 * n(LabelCountrySelected) + 10, LabelCountry->y());
    int k = n(CallScreenBtn);
    CallScreenBtn->setGeometry(GroupBox2->width() - 6 * k - 25, CallScreenBtn->y(), 6 * k + 15,
                               CallScreenBtn->height());
    k = n(CallForwardBtn);
    CallForwardBtn->setGeometry(CallScreenBtn->x() - 6 * k - 25, CallForwardBtn->y(), 6 * k + 15,
                                CallForwardBtn->height());
    k = n(Basic_CallFBtn);
    Basic_CallFBtn->setGeometry(BasicSheet->width() - 6 * k - 30, Basic_CallFBtn->y(), 6 * k + 20,
                                Basic_CallFBtn->height());
    k = int(tx("Advanced Configuration...").size());
    ConfigureBtn->resize(6 * k + 20, ConfigureBtn->height());
    BtnProfile->move(ConfigureBtn->x() + 6 * k + 22, BtnProfile->y());
    // The two buttons of the reset page share one width, that of the longer caption.
    k = std::max(n(ResetBtn), n(Btn_ResetISDNLine));
    ResetBtn->setGeometry(GroupBox1->width() - 6 * k - 30, ResetBtn->y(), 6 * k + 20, ResetBtn->height());
    StaticText54->resize(ResetBtn->x() - StaticText54->x() - 2, StaticText54->height());
    Btn_ResetISDNLine->setGeometry(ResetBtn->x(), Btn_ResetISDNLine->y(), ResetBtn->width(),
                                   Btn_ResetISDNLine->height());
    StaticText17->resize(StaticText54->width(), StaticText17->height());
}

void TQuillonForm::setTopLeft(int left, int top)
{
    move(left, top);
    raise();
}

int TQuillonForm::helpId() const
{
    QWidget *page = PageControl1->activePage();
    if (page == DataSheet) return 300;
    if (page == AODISheet) return 301;
    if (page == PPPSheet) return 302;
    if (page == ThresholdSheet) return 303;
    if (page == X75Sheet) return 304;
    if (page == ISDNSheet) return Switch_Combo->currentIndex() > 0 ? 310 : 311;
    if (page == VoiceSheet) return 320;
    if (page == CLIDSheet) return 321;
    if (page == AdvVoiceSheet) return 322;
    if (page == CountrySheet) return 330;
    if (page == ResetSheet) return 340;
    if (page == BasicSheet) return switchType != 0 ? 200 : 201;
    if (page == ProfileSheet) return 210;
    if (page == CallFSheet) return 220;
    if (page == CongratsSheet) return 100;
    if (page == SpidSheet) return 151;
    if (page == MSNSheet) return 152;
    return 120;
}

int TQuillonForm::europeanSwitchStatus() const
{
    if (replies.ati12.isEmpty())
        return 255;
    return toNumber(keywordValue(replies, frag(F_SwitchType), QStringLiteral("ati12"))) == 0 ? 1 : 0;
}

void TQuillonForm::comPortTriggerAvail(int count)
{
    errorSeen = false;
    static const char kError[] = "ERROR\r";
    if (port && count > 0) {
        // The new characters are the last count ones of the input buffer.
        const int ready = port->charReady();
        const int from = std::max(0, ready - count);
        int match = 0;
        for (int i = from; i < ready; ++i) {
            if (port->peekChar(i) == kError[match]) {
                if (++match == 6) {
                    errorSeen = true;
                    break;
                }
            } else {
                match = 0;
            }
        }
    }
    if (errorSeen)
        DataTimer->setInterval(500);
}

// --- Helpers -------------------------------------------------------------------

QString TQuillonForm::tx(const char *source) const
{
    return Dictionary->translate(QString::fromUtf8(source));
}

int TQuillonForm::say(const QString &text, int icon)
{
    if (!shown) {
        logLine("not shown, the form is hidden: %s\n", text);
        return IDOK;
    }
    return ui().messageBox(this, text, QStringLiteral("Quillon"), MB_OK, icon);
}

void TQuillonForm::logLine(const char *format) { log_.log(format); }

void TQuillonForm::logLine(const char *format, const QString &text) { log_.log(format, text); }

void TQuillonForm::logLine(const char *format, int value) { log_.log(format, value); }

void TQuillonForm::notifyHost()
{
    // A form already hidden has nothing more to tell.
    if (!shown)
        return;
    // Posted, so that the host hides this form after the click that asked for it has finished.
    PostMessage(notifyWindow, notifyMessage, 0, 0);
}

// --- Waits and leaving ---------------------------------------------------------

TQuillonForm::WaitEnd TQuillonForm::waitForReply(const QString &alternatives, int ticks)
{
    if (!port)
        return WaitEnd::TimedOut;
    const int started = showing;
    QPointer<TQuillonForm> guard(this);
    int answer = 0;
    try {
        answer = port->waitForMultiString(alternatives, ticks, waitAndYield);
    } catch (const EApdPortError &) {
    }
    if (!guard || showing != started)
        return WaitEnd::Left;
    return answer > 0 ? WaitEnd::Answered : WaitEnd::TimedOut;
}

TQuillonForm::WaitEnd TQuillonForm::pause(int ticks)
{
    const int started = showing;
    QPointer<TQuillonForm> guard(this);
    DelayTicks(ticks, waitAndYield);
    if (!guard || showing != started)
        return WaitEnd::Left;
    return WaitEnd::TimedOut;
}

void TQuillonForm::finishWriteBeforeLeaving()
{
    if (run.profileStep != 0 && shown && port) {
        finishProfileBeforeLeaving();
        return;
    }
    if (!run.writing || !shown)
        return;
    run.leaving = true;
    logLine("leaving: the write is finished first\n");
    // The pump goes on from the TA's answers; each command has its reply time
    // and one retry, after which the run ends as failed. The bound is only a
    // last resort.
    int remaining = 2;   // the command outstanding and the store command
    for (int slot = std::max(nextSlot, 0); slot < kSlotCount; ++slot)
        remaining += commandSlots.firstFilled(slot, slot) == slot ? 1 : 0;
    QPointer<TQuillonForm> guard(this);
    const int started = showing;
    tl::waitUntil([&] { return !guard || !run.writing; }, remaining * 2 * 5000 + 5000, true);
    // A show or hide that came meanwhile has seen the write to its end and goes on.
    if (!guard || showing != started)
        return;
    const bool stored = !run.writing && !run.failed;
    run.writing = false;
    stopTimers();
    disarmAll();
    hideProgress();
    if (!stored)
        say(tx("The changed settings were not saved: the ISDN TA did not confirm them."), MB_ICONWARNING);
}

// A profile is applied by waits of its own further down the stack; the
// answer outstanding is taken here and the profile stored before the form goes.
void TQuillonForm::finishProfileBeforeLeaving()
{
    logLine("leaving: the profile is stored first\n");
    QPointer<TQuillonForm> guard(this);
    const auto answered = [&] {
        int answer = 0;
        try {
            answer = port->waitForMultiString(QStringLiteral("ERROR^OK"), 90, true);
        } catch (const EApdPortError &) {
        }
        return answer;
    };
    int answer = answered();
    if (!guard)
        return;
    if (run.profileStep == 1 && answer > 0) {
        run.profileStep = 2;
        sendLine(QStringLiteral("AT&W\r"));
        answer = answered();
        if (!guard)
            return;
    }
    const bool stored = answer == 2;
    run.profileStep = 0;
    if (!stored)
        say(tx("The changed settings were not saved: the ISDN TA did not confirm them."), MB_ICONWARNING);
}

void TQuillonForm::closeOwnBoxes()
{
    for (QDialog *box : findChildren<QDialog *>()) {
        if (box->isVisible() && box != static_cast<QWidget *>(progress_))
            box->reject();
    }
}
