// Moving between pages: the bottom buttons and their roles, the advanced page
// set, the sub-pages and their back buttons, the question before unsaved
// changes are left behind, and the numbers shown in the port items.
#include "quillonform.h"

#include "clock.h"
#include "datapacket.h"
#include "pagecontrol.h"
#include "progressform.h"
#include "uiservices.h"

#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace quillon;

void TQuillonForm::wireButtons()
{
    connect(SaveBtn, &QPushButton::clicked, this, &TQuillonForm::SaveBtnClick);
    connect(ConfigureBtn, &QPushButton::clicked, this, &TQuillonForm::ConfigureBtnClick);
    connect(Btn_CancelCongrats, &QPushButton::clicked, this, &TQuillonForm::Btn_CancelCongratsClick);
    connect(PageControl1, &TPageControl::pageChanging, this, &TQuillonForm::PageControl1Changing);
    connect(PageControl1, &TPageControl::pageChanged, this, [this](QWidget *page) { enterPage(page); });

    connect(BtnProfile, &QPushButton::clicked, this, [this] { showProfilePage(); });
    connect(PPPBtn, &QPushButton::clicked, this, [this] { showSubPage(PPPSheet); });
    connect(Btn_AODI, &QPushButton::clicked, this, [this] { showSubPage(AODISheet); });
    connect(X75Btn, &QPushButton::clicked, this, [this] { showSubPage(X75Sheet); });
    connect(AdvVoice1Btn, &QPushButton::clicked, this, [this] { showSubPage(AdvVoiceSheet); });
    connect(AdvVoice2Btn, &QPushButton::clicked, this, [this] { showSubPage(AdvVoiceSheet); });
    connect(CallScreenBtn, &QPushButton::clicked, this, [this] { showSubPage(CLIDSheet); });
    connect(CallForwardBtn, &QPushButton::clicked, this, [this] {
        callFFromVoice = true;
        showSubPage(CallFSheet);
    });
    connect(Basic_CallFBtn, &QPushButton::clicked, this, [this] {
        callFFromVoice = false;
        showSubPage(CallFSheet);
    });
    connect(PPPDBABtn, &QPushButton::clicked, this, [this] {
        thresholdFromPPP = true;
        showSubPage(ThresholdSheet);
    });
    connect(AODI_BandwidthBtn, &QPushButton::clicked, this, [this] {
        thresholdFromPPP = false;
        showSubPage(ThresholdSheet);
    });
    for (QPushButton *back : {PPP_BackBtn, AODI_BackBtn, X75_BackBtn})
        connect(back, &QPushButton::clicked, this, [this] { showAdvancedSet(DataSheet); });
    for (QPushButton *back : {AdvVoice_BackBtn, CLID_BackBtn})
        connect(back, &QPushButton::clicked, this, [this] { showAdvancedSet(VoiceSheet); });
    connect(CallF_BackBtn, &QPushButton::clicked, this, [this] {
        if (callFFromVoice)
            showAdvancedSet(VoiceSheet);
        else
            enterBasicPage();
    });
    connect(Threshold_BackBtn, &QPushButton::clicked, this,
            [this] { showSubPage(thresholdFromPPP ? PPPSheet : AODISheet); });
    connect(BitBtnConversative, &QPushButton::clicked, this, [this] { sendPreset(true); });
    connect(BitBtnAggressive, &QPushButton::clicked, this, [this] { sendPreset(false); });
    connect(BtnModify, &QPushButton::clicked, this, [this] { modifyAfterWizard(); });
}

// A caption set before the language was switched may still be the old
// language's translation or the source text.
bool TQuillonForm::captionIs(const QPushButton *button, const char *source) const
{
    const QString text = button->text();
    return text == tx(source) || text == QString::fromUtf8(source);
}

bool TQuillonForm::askSaveChanges()
{
    if (!shown)
        return false;
    const int started = showing;
    QPointer<TQuillonForm> guard(this);
    const int answer = ui().messageBox(this, tx("Do you want to save changes?"), QStringLiteral("Quillon"),
                                       MB_YESNO, MB_ICONINFORMATION);
    // A form left while the question was up saves nothing.
    if (!guard || showing != started)
        return false;
    if (answer == IDYES)
        save();
    return answer == IDYES;
}

void TQuillonForm::PageControl1Changing(QWidget *from, QWidget *to, bool *allow)
{
    *allow = true;
    if (from == BasicSheet && to == DataSheet && sheetFilled[ShBasic] && basicCur != basicRead)
        askSaveChanges();
    else if (from == ISDNSheet && to != ISDNSheet && switchTypeChanged)
        askSaveChanges();
}

// Activates a page the program chose, with the same question a tab click asks.
static void activate(TQuillonForm *form, QWidget *page)
{
    QWidget *from = form->PageControl1->activePage();
    if (from != page) {
        bool allow = true;
        emit form->PageControl1->pageChanging(from, page, &allow);
    }
    form->PageControl1->setActivePage(page);
    form->enterPage(page);
}

bool TQuillonForm::linkBusy() const
{
    return chainRunning || run.save || run.internetSetup || clockStep != 0 || abortPending ||
           DataTimer->isEnabled();
}

// The advanced set's country page asks the TA for its list once per
// read-back, but never while something else is outstanding: its query would
// take the place of that answer. A list not asked for yet is asked for when
// the link is free again. (The wizard's country step asks for its own.)
void TQuillonForm::requestCountryList()
{
    if (PageControl1->activePage() != CountrySheet || captionIs(SaveBtn, "&Next >") || countryRequested ||
        linkBusy())
        return;
    countryRequested = true;
    disarmAll();
    sendQuery(QStringLiteral("at~c?"));
}

void TQuillonForm::enterPage(QWidget *page)
{
    // Only the country page of the advanced set has nothing to save.
    if (page != CountrySheet && !linkBusy() && captionIs(SaveBtn, "Save"))
        SaveBtn->setEnabled(true);
    if (page == DataSheet && !sheetFilled[ShData])
        fillData();
    else if (page == VoiceSheet && !sheetFilled[ShVoice])
        fillVoice();
    else if (page == AdvVoiceSheet && !sheetFilled[ShAdvVoice])
        fillAdvVoice();
    else if (page == PPPSheet && !sheetFilled[ShPpp])
        fillPpp();
    else if (page == ThresholdSheet && !sheetFilled[ShThreshold])
        fillThresholds();
    else if (page == X75Sheet && !sheetFilled[ShX75])
        fillX75();
    else if (page == AODISheet && !sheetFilled[ShAodi])
        fillAodi();
    else if (page == ISDNSheet && !sheetFilled[ShIsdn])
        fillIsdn();
    else if (page == CLIDSheet && !sheetFilled[ShClid]) {
        showScreening();
        sheetFilled[ShClid] = true;
    }
    else if (page == ResetSheet)
        Combo_Reset->setCurrentIndex(5);
    else if (page == CallFSheet) {
        if (ati20Parsed && !linkBusy()) {
            singleReplyMode = true;
            disarmAll();
            sendQuery(QStringLiteral("ati20"));
        } else if (!replies.ati20.isEmpty()) {
            parseForwarding(false);
            ati20Parsed = true;
        }
        sheetFilled[ShCallF] = true;
    } else if (page == CountrySheet) {
        SaveBtn->setEnabled(false);
        requestCountryList();
        showCountry();
    }
}

void TQuillonForm::fillActivePage()
{
    // The number-bearing items first, so that every value read has its item.
    applyNumberLabels();
    QWidget *page = PageControl1->activePage();
    if (page == BasicSheet)
        fillBasic();
    else if (page == DataSheet)
        fillData();
    else if (page == VoiceSheet)
        fillVoice();
    else if (page == AdvVoiceSheet)
        fillAdvVoice();
    else if (page == PPPSheet)
        fillPpp();
    else if (page == ThresholdSheet)
        fillThresholds();
    else if (page == X75Sheet)
        fillX75();
    else if (page == AODISheet)
        fillAodi();
    else if (page == ISDNSheet)
        fillIsdn();
    // The read-back itself has just shown the forwarding and screening lists.
    else if (page == CallFSheet)
        sheetFilled[ShCallF] = true;
    else if (page == CLIDSheet)
        sheetFilled[ShClid] = true;
}

void TQuillonForm::showAdvancedSet(QWidget *page)
{
    for (QWidget *p : PageControl1->pages())
        PageControl1->setTabVisible(p, p == DataSheet || p == ISDNSheet || p == VoiceSheet ||
                                           p == ResetSheet || (p == CountrySheet && countrySupported));
    activate(this, page);
    ConfigureBtn->setText(tx("Basic Configuration..."));
    // Whatever page came before (a profile's "OK", a wizard's "&Next >"), a
    // settings page saves its edits.
    SaveBtn->setText(tx("Save"));
    for (QPushButton *b : {SaveBtn, BtnProfile, ConfigureBtn, Btn_CancelCongrats})
        b->show();
    for (QPushButton *b : {SaveBtn, BtnProfile, ConfigureBtn})
        b->setEnabled(true);
    CountryBtn->show();
    WarningLabel->show();
    CountryImage->hide();
    Country_Bevel->setFrameShape(QFrame::Panel);
}

void TQuillonForm::ConfigureBtnClick()
{
    if (captionIs(ConfigureBtn, "Advanced Configuration..."))
        showAdvancedSet(DataSheet);
    else
        enterBasicPage();
}

void TQuillonForm::adjustBasicPortItems()
{
    for (QComboBox *box : {CBox_BasicPort1, CBox_BasicPort2}) {
        if (!euroIsdn() && box->count() == 4)
            box->removeItem(3);
        else if (euroIsdn() && box->count() == 3)
            box->addItem(tx("DN3"));
    }
}

void TQuillonForm::enterBasicPage()
{
    if (PageControl1->activePage() == DataSheet && sheetFilled[ShData] && dataCur != dataRead)
        askSaveChanges();
    ConfigureBtn->setText(tx("Advanced Configuration..."));
    Btn_CancelCongrats->setText(tx("Cancel"));
    SaveBtn->setText(tx("Save"));
    for (QPushButton *b : {BtnProfile, SaveBtn, ConfigureBtn, Btn_CancelCongrats}) {
        b->show();
        b->setEnabled(true);
    }
    // The port items depend on the switch type: with no switch settings yet
    // they are put right when the reply arrives (or never, when it does not).
    if (replies.ati12.isEmpty() && chainRunning) {
        basicPending = true;
    } else {
        basicPending = false;
        adjustBasicPortItems();
    }
    if (!replies.ati4.isEmpty() && !sheetFilled[ShBasic] && !basicPending)
        fillBasic();
    PageControl1->hideAllTabs();
    PageControl1->setActivePage(BasicSheet);
}

void TQuillonForm::showSubPage(QWidget *page)
{
    PageControl1->hideAllTabs();
    activate(this, page);
    SaveBtn->setText(tx("Save"));
}

// "Modify" on the congratulations page: the wizard run is over, and the pages
// need all the TA's settings, of which a wizard run reads only the switch settings.
void TQuillonForm::modifyAfterWizard()
{
    Animation_Timer->setEnabled(false);
    wizardRunning = false;
    wizardCommandSent = false;
    msnWizardPending = false;
    europeanFlow = false;
    if (!linkBusy()) {
        disarmAll();
        stopTimers();
        sheetFilled.fill(false);
        commandSlots.reset();
        startChain(nullptr);
        progress_->showProgress(this, tx("Please wait . . . reading modem data."));
    }
    enterBasicPage();
}

void TQuillonForm::showProfilePage()
{
    PageControl1->hideAllTabs();
    activate(this, ProfileSheet);
    ListBox_Profiles->setCurrentRow(0);
    ProfileLabel->setText(tx("Recommended for most users. Provides Quick Setup for Internet Access."));
    SaveBtn->setText(europeanFlow ? tx("&Next >") : tx("OK"));
    SaveBtn->show();
    SaveBtn->setEnabled(true);
    Btn_CancelCongrats->setText(tx("Cancel"));
    Btn_CancelCongrats->show();
    ConfigureBtn->setVisible(!europeanFlow);
}

void TQuillonForm::SaveBtnClick()
{
    QWidget *page = PageControl1->activePage();
    if (captionIs(SaveBtn, "Save")) {
        save();
    } else if (captionIs(SaveBtn, "OK")) {
        if (page == ProfileSheet)
            applyProfile();
        else if (page == CongratsSheet)
            notifyHost();
        else
            internetSetup_();
    } else if (captionIs(SaveBtn, "&Next >")) {
        if (page == ProfileSheet)
            applyProfile();
        else if (page == MSNSheet)
            sendMsnNumbers();
        else if (page == SpidSheet)
            spidNext();
        else if (page == CountrySheet)
            countryNext();
    }
}

void TQuillonForm::Btn_CancelCongratsClick()
{
    if (captionIs(Btn_CancelCongrats, "Cancel")) {
        helpOverride = 120;
        notifyHost();
    } else if (captionIs(Btn_CancelCongrats, "OK") || captionIs(Btn_CancelCongrats, "Finish")) {
        notifyHost();
    } else if (captionIs(Btn_CancelCongrats, "Stop")) {
        stopWizard();
    }
}

void TQuillonForm::showCongratulations(bool european)
{
    QFont f = Congrats_Label->font();
    if (european) {
        f.setPointSize(9);
        Congrats_Label->setFont(f);
        Congrats_Label->resize(175, Congrats_Label->height());
        Congrats_Label->setText(tx("European Congratulations"));
        Data_Label->show();
        DN3Text->show();
        SaveBtn->hide();
        BtnModify->hide();
        Btn_CancelCongrats->setText(tx("Finish"));
        europeanFlow = false;
    } else {
        f.setPointSize(8);
        Congrats_Label->setFont(f);
        Congrats_Label->resize(209, Congrats_Label->height());
        Congrats_Label->setText(tx("Domestic Congratulations"));
        Data_Label->hide();
        DN3Text->hide();
        SaveBtn->setText(tx("OK"));
        SaveBtn->show();
        SaveBtn->setEnabled(true);
        BtnModify->show();
        Btn_CancelCongrats->setText(tx("Cancel"));
    }
    BtnProfile->hide();
    ConfigureBtn->hide();
    Btn_CancelCongrats->show();
    Btn_CancelCongrats->setEnabled(true);
    PageControl1->hideAllTabs();
    PageControl1->setActivePage(CongratsSheet);
    applyNumberLabels();
    Animation_Timer->setEnabled(true);
}

void TQuillonForm::applyNumberLabels()
{
    if (replies.ati12.isEmpty())
        return;
    const auto number = [this](Fragment f) { return keywordValue(replies, frag(f), QStringLiteral("ati12")); };
    const QString n1 = number(F_Number1), n2 = number(F_Number2), n3 = number(F_Number3);
    DN1Text->setText(n1);
    DN2Text->setText(n2);
    DN3Text->setText(euroIsdn() ? n3 : QString());
    nameValueLabels();
    const bool euro = euroIsdn();
    const QString s1 = euro ? QStringLiteral(" (MSN1)") : QStringLiteral(" (DN1)");
    const QString s2 = euro ? QStringLiteral(" (MSN2)") : QStringLiteral(" (DN2)");
    const QString s3 = QStringLiteral(" (MSN3)");
    const bool wasFilling = filling_;
    filling_ = true;   // relabelling items is no user choice
    for (QComboBox *box : {CBox_BasicPort1, CBox_BasicPort2, Combo_ADP1_DN, Combo_ADP2_DN}) {
        const bool adp = box == Combo_ADP1_DN || box == Combo_ADP2_DN;
        if (box->count() > 1) box->setItemText(1, n1 + s1);
        if (box->count() > 2) box->setItemText(2, n2 + s2);
        if (euro) {
            if (box->count() == 3) box->addItem(n3 + s3);
            else if (box->count() > 3) box->setItemText(3, n3 + s3);
        } else if (adp && box->count() > 3) {
            box->removeItem(3);
        }
    }
    const int dataIndex = Combo_DataDN->currentIndex();
    Combo_DataDN->clear();
    if (euro) {
        Combo_DataDN->addItems({tx("No Incoming Calls"), tx("Answer MSN1 - ") + n1, tx("Answer MSN2 - ") + n2,
                                tx("Answer MSN3 - ") + n3, tx("Answer MSN1 or MSN2"), tx("Answer MSN1 or MSN3"),
                                tx("Answer MSN2 or MSN3"), tx("Answer MSN1, MSN2, or MSN3"),
                                tx("Accept any number")});
    } else {
        Combo_DataDN->addItems({tx("No Incoming Calls"), tx("Answer DN1 - ") + n1, tx("Answer DN2 - ") + n2,
                                tx("Answer either DN")});
    }
    Combo_DataDN->setCurrentIndex(dataIndex < Combo_DataDN->count() ? dataIndex : -1);
    filling_ = wasFilling;
}

void TQuillonForm::sendMsnNumbers()
{
    disarmAll();
    stopTimers();
    disableActions();
    beginRun();
    const QLineEdit *edits[4] = {Edit_MSNArea, Edit_MSNPort1, Edit_MSNPort2, Edit_MSNData};
    const Fragment fragments[4] = {F_AreaCode, F_Number1, F_Number2, F_Number3};
    int first = -1;
    for (int i = 0; i < 4; ++i) {
        const QString text = edits[i]->text();
        commandSlots[5 + i] = text.isEmpty() ? kEmptyLine
                                             : QStringLiteral("AT") + frag(fragments[i]) + QLatin1Char('=') + text + QLatin1Char('\r');
        if (!text.isEmpty() && first < 0)
            first = 5 + i;
    }
    if (first < 0) {
        enableActions();
        if (europeanFlow)
            showProfilePage();
        else
            showCongratulations(false);
        return;
    }
    run.quickSetup = true;
    run.resetAfterWrite = true;
    showUpdating();
    sendPrepared(commandSlots[first], first + 1);
}
