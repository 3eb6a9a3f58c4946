// What a screen reader and the keyboard get of the form: every field named by
// the caption beside it, the controls of a group or a row named by their row
// and group, value labels named by what they show, a tab order that follows
// each page's reading order with the bottom buttons last, the tabs switched
// by Ctrl+Tab, and the focus moved into a page the program shows.
#include "pagecontrol.h"
#include "quillonform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace {

// "Caller ID:" -> "Caller ID"
QString captionText(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char('&'));
    t = t.simplified();
    while (t.endsWith(QLatin1Char(':')))
        t.chop(1);
    return t.trimmed();
}

QString captionOf(const QWidget *w)
{
    if (auto *l = qobject_cast<const QLabel *>(w))
        return captionText(l->text());
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return captionText(g->title());
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        return captionText(b->text());
    return {};
}

// The parts joined as a listener hears them: "Caller ID, Phone Port 1".
QString joined(std::initializer_list<QString> parts)
{
    QStringList kept;
    for (const QString &p : parts)
        if (!p.isEmpty())
            kept << p;
    return kept.join(QStringLiteral(", "));
}

bool takesTabFocus(const QWidget *w)
{
    return (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

} // namespace

void TQuillonForm::buildAccessibility()
{
    const auto buddy = [this](const char *labelName, QWidget *field) {
        if (auto *l = findChild<QLabel *>(QLatin1String(labelName)))
            l->setBuddy(field);
    };
    // One caption, one field: the field is known by the caption's text in any language.
    buddy("SText_Outgoing", Outgoing_Combo);
    buddy("SText_DVO", DVO_Combo);
    buddy("SText_Port1", CBox_BasicPort1);
    buddy("SText_Port2", CBox_BasicPort2);
    buddy("SText_DataIncoming", Combo_DataIncoming);
    buddy("SText_DataDN", Combo_DataDN);
    buddy("SText_DataOutgoing", Combo_DataOutgoing);
    buddy("SText_DataBChannel", Combo_DataBChannel);
    buddy("SText_DynVO", Combo_Voice_DVO);
    buddy("StaticText54", Combo_Reset);
    buddy("SText_Profiles", ListBox_Profiles);
    buddy("SText_Switch", Switch_Combo);
    buddy("SText_IsdnArea", Edit_IsdnArea);
    buddy("SText_IsdnDN1", Edit_IsdnDN1);
    buddy("SText_IsdnDN2", Edit_IsdnDN2);
    buddy("SText_IsdnSpid1", Edit_IsdnSpid1);
    buddy("SText_IsdnSpid2", Edit_IsdnSpid2);
    buddy("SText_TEIDN1", TEIDN1_Combo);
    buddy("SText_TEIDN2", TEIDN2_Combo);
    buddy("SText_IsdnMSNArea", Edit_IsdnMSNArea);
    buddy("SText_IsdnMSN1", Edit_IsdnMSN1);
    buddy("SText_IsdnMSN2", Edit_IsdnMSN2);
    buddy("SText_IsdnMSN3", Edit_IsdnMSN3);
    buddy("SText_IsdnTEI", Combo_IsdnTEI);
    buddy("SText_BusConfigure", CBox_BusConfigure);
    buddy("SText_PPPMode", PPPmode_ComboBox);
    buddy("SText_PPPCompression", Combo_PPPCompression);
    buddy("SText_PPPEndpoint", Combo_PPPEndpoint);
    buddy("SText_PPPLocal", Edit_PPPLocal);
    buddy("SText_PPPLongDist", Edit_PPPLongDist);
    buddy("SText_Frame", Edit_Frame);
    buddy("SText_Window", Edit_Window);
    buddy("SText_Layer3", Combo_Layer3);
    buddy("SText_AODIProvider", Edit_AODI_Provider);
    buddy("SText_AODIDN", Edit_AODI_DN);
    buddy("SText_AODITEI", Combo_AODI_TEI);
    buddy("SText_AODIBandwidth", Combo_AODI_Bandwidth);
    buddy("SText_CLIDPort1", Combo_CLIDPort[0]);
    buddy("SText_CLIDPort2", Combo_CLIDPort[1]);
    buddy("SText_CLIDDataPort", Combo_CLIDPort[2]);
    buddy("SText_ChooseCountry", Combo_Country);
    buddy("SText_SpidArea", Edit_SpidAreaCode);
    buddy("SText_SpidDN1", Edit_SpidDN1);
    buddy("SText_SpidDN2", Edit_SpidDN2);
    buddy("SText_MSNArea", Edit_MSNArea);
    buddy("SText_MSNPort1", Edit_MSNPort1);
    buddy("SText_MSNPort2", Edit_MSNPort2);
    buddy("SText_MSNData", Edit_MSNData);

    // The screening list's scroll box is no stop of its own: Tab goes through
    // its numbers and boxes, and it scrolls to the one that has the focus.
    if (auto *scroll = findChild<QWidget *>(QStringLiteral("CLID_ScrollBox")))
        scroll->setFocusPolicy(Qt::NoFocus);

    // Tab order: each page in its reading order, then the bottom buttons. The
    // buttons of the sub-pages were made before the fields they follow.
    const auto moveToEnd = [this](QWidget *page, std::initializer_list<QWidget *> buttons) {
        QWidget *last = nullptr;
        for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
            if (page->isAncestorOf(w) && takesTabFocus(w) && std::find(buttons.begin(), buttons.end(), w) == buttons.end())
                last = w;
        }
        for (QWidget *b : buttons) {
            if (last)
                QWidget::setTabOrder(last, b);
            last = b;
        }
    };
    moveToEnd(PPPSheet, {PPPDBABtn, PPP_BackBtn});
    moveToEnd(ThresholdSheet, {BitBtnConversative, BitBtnAggressive, Threshold_BackBtn});
    moveToEnd(AODISheet, {AODI_BandwidthBtn, AODI_BackBtn});
    moveToEnd(X75Sheet, {X75_BackBtn});
    moveToEnd(CallFSheet, {CallF_BackBtn});
    moveToEnd(CLIDSheet, {CLID_BackBtn});
    moveToEnd(PageControl1, {ConfigureBtn, BtnProfile, SaveBtn, Btn_CancelCongrats});

    buildTabShortcuts();
    for (QPushButton *b : findChildren<QPushButton *>())
        b->installEventFilter(this);
    nameControls();
}

// Names made of several captions; made again whenever the language changes.
void TQuillonForm::nameControls()
{
    const QString port[2] = {captionOf(GBox_Port1), captionOf(GBox_Port2)};
    // The voice page: a row caption on the left, a column per phone port.
    for (int i = 0; i < 2; ++i) {
        const bool one = i == 0;
        (one ? Combo_ADP1_DN : Combo_ADP2_DN)->setAccessibleName(joined({captionOf(SText_DN), port[i]}));
        (one ? CkBox_ADP1_CallerID : CkBox_ADP2_CallerID)->setAccessibleName(joined({captionOf(SText_CallerID), port[i]}));
        (one ? Combo_ADP1_Bearer : Combo_ADP2_Bearer)->setAccessibleName(joined({captionOf(SText_BearerCap), port[i]}));
        (one ? TrackBar_ADP1_RecieveVol : TrackBar_ADP2_RecieveVol)
            ->setAccessibleName(joined({captionOf(SText_ReceiveVol), port[i]}));
        (one ? AdvCall1_CkBox : AdvCall2_CkBox)->setAccessibleName(joined({captionOf(SText_AdvCall), port[i]}));
        QPushButton *settings = one ? AdvVoice1Btn : AdvVoice2Btn;
        settings->setAccessibleName(joined({captionOf(SText_AdvCall), captionOf(settings), port[i]}));
    }
    CkBox_VoiceMail->setAccessibleName(captionOf(STextVoiceMail));

    // The basic page's rate: three buttons behind one caption.
    for (QRadioButton *r : {RadioBtn_Auto, RadioBtn_64K, RadioBtn_56K})
        r->setAccessibleName(joined({captionOf(BChannel_SText), captionOf(r)}));

    // The advanced voice page: a box and the number it dials, per feature and port.
    const std::array<QCheckBox *, 2> *boxes[5] = {&Conference_CkBox, &Drop_CkBox, &Forward_CkBox,
                                                   &Transfer_CkBox, &Message_CkBox};
    const std::array<QLineEdit *, 2> *edits[5] = {&Conference_Edit, &Drop_Edit, &Forward_Edit,
                                                  &Transfer_Edit, &Message_Edit};
    for (int i = 0; i < 2; ++i) {
        const auto *group = qobject_cast<QGroupBox *>(CallWait_CkBox[size_t(i)]->parentWidget());
        const QString portName = group ? captionOf(group) : port[i];
        CallWait_CkBox[size_t(i)]->setAccessibleName(joined({captionOf(CallWait_CkBox[size_t(i)]), portName}));
        for (int f = 0; f < 5; ++f) {
            QCheckBox *box = (*boxes[f])[size_t(i)];
            const QString feature = joined({captionOf(box), portName});
            box->setAccessibleName(feature);
            (*edits[f])[size_t(i)]->setAccessibleName(feature);
        }
    }

    // The TEI values beside their assignment choosers.
    const QString fixed = tx("Fixed Assignment");
    const auto tei = [this, &fixed](const char *labelName, QSpinBox *spin) {
        if (auto *l = findChild<QLabel *>(QLatin1String(labelName)))
            spin->setAccessibleName(joined({captionOf(l), fixed}));
    };
    tei("SText_TEIDN1", DN1_SpinEdit);
    tei("SText_TEIDN2", DN2_SpinEdit);
    tei("SText_IsdnTEI", TEI_SpinEdit);
    tei("SText_AODITEI", CSpinEdit_AODI_TEI);
    if (auto *l = findChild<QLabel *>(QStringLiteral("SText_PPPEndpoint")))
        Edit_PPPEndpoint->setAccessibleName(captionOf(l));
    // A list tells no caption it is labelled by: it is named after it.
    if (auto *l = findChild<QLabel *>(QStringLiteral("SText_Profiles")))
        ListBox_Profiles->setAccessibleName(captionOf(l));

    // Thresholds: per B channel, the rows' minutes, seconds, bars and percentages.
    for (int b = 0; b < 2; ++b) {
        const auto *group = qobject_cast<QGroupBox *>(Threshold_Edit[size_t(b * 4 + 2)]->parentWidget());
        const QString channel = group ? captionOf(group) : QString();
        const QList<QLabel *> rows = group ? group->findChildren<QLabel *>(Qt::FindDirectChildrenOnly) : QList<QLabel *>();
        const auto rowCaption = [&rows](int top) {
            for (QLabel *l : rows)
                if (l->y() == top && l->x() < 20)
                    return captionOf(l);
            return QString();
        };
        for (int row = 0; row < 4; ++row) {
            const size_t i = size_t(b * 4 + row);
            const QString what = rowCaption(22 + row * 48);
            if (row < 2) {
                Threshold_MinEdit[i]->setAccessibleName(joined({what, tx("min"), channel}));
                Threshold_SecEdit[i]->setAccessibleName(joined({what, tx("sec"), channel}));
            } else {
                Threshold_TrackBar[i]->setAccessibleName(joined({what, channel}));
                Threshold_Edit[i]->setAccessibleName(joined({what, channel}));
            }
        }
    }

    // Call forwarding: per MSN tab a row per kind of forwarding.
    for (int m = 0; m < 3; ++m) {
        QWidget *tab = CallForward_TabSheet[size_t(m)];
        const QLabel *numberCaption = tab->findChild<QLabel *>(
            QStringLiteral("SText_CallForwardNumber_MSN%1").arg(m + 1));
        const QString msn = Call_PageControl->tabText(m);
        for (int k = 0; k < 4; ++k) {
            QCheckBox *box = CallForward_CkBox[size_t(m)][size_t(k)];
            box->setAccessibleName(joined({captionOf(box), msn}));
            CallForward_Edit[size_t(m)][size_t(k)]->setAccessibleName(
                joined({captionOf(box), numberCaption ? captionOf(numberCaption) : QString(), msn}));
        }
    }

    // Call screening: the policy of each port, and per listed number its boxes.
    const QString number = tx("Number");
    const QString portCaption[3] = {tx("Phone Port 1"), tx("Phone Port 2"), tx("Data Port")};
    for (int p = 0; p < 3; ++p)
        Btn_CLIDAcceptAll[size_t(p)]->setAccessibleName(joined({captionOf(Btn_CLIDAcceptAll[size_t(p)]), portCaption[p]}));
    for (int j = 0; j < 20; ++j) {
        const QString entry = number + QLatin1Char(' ') + QString::number(j + 1);
        Edit_CLIDNumber[size_t(j)]->setAccessibleName(entry);
        for (int p = 0; p < 3; ++p)
            CkBox_CLID[size_t(j)][size_t(p)]->setAccessibleName(joined({entry, portCaption[p]}));
    }

    nameValueLabels();
}

// A label that shows a value is named by its caption and the value:
// "DN1: 5551234", not the bare number.
void TQuillonForm::nameValueLabels()
{
    const auto value = [](QLabel *shown, const QString &caption) {
        const QString text = shown->text().trimmed();
        shown->setAccessibleName(text.isEmpty() ? caption : caption + QStringLiteral(": ") + text);
    };
    const auto captionNamed = [this](const char *name) {
        auto *l = findChild<QLabel *>(QLatin1String(name));
        return l ? captionOf(l) : QString();
    };
    value(DN1Text, captionNamed("DN1_Label"));
    value(DN2Text, captionNamed("DN2_Label"));
    value(DN3Text, captionOf(Data_Label));
    value(LabelCountry, captionOf(LabelCountrySelected));
    for (int m = 0; m < 3; ++m) {
        const QLabel *status = CallForward_TabSheet[size_t(m)]->findChild<QLabel *>(
            QStringLiteral("SText_CallForwardNetwork_MSN%1").arg(m + 1));
        for (int k = 0; k < 4; ++k)
            value(CallForward_Network[size_t(m)][size_t(k)],
                  joined({captionOf(CallForward_CkBox[size_t(m)][size_t(k)]), status ? captionOf(status) : QString()}));
    }
}

// Ctrl+Tab and Ctrl+Shift+Tab (and Ctrl+Page Down, Ctrl+Page Up) switch the
// shown tabs as a click on the next tab does. They are shortcuts, so that no
// field takes them first; while no tabs are shown they are off, and the call
// forwarding page's own tabs take them.
void TQuillonForm::buildTabShortcuts()
{
    const auto add = [this](const QKeySequence &keys, int step) {
        auto *s = new QShortcut(keys, this, this, [this, step] { stepTab(step); }, Qt::WidgetWithChildrenShortcut);
        s->setEnabled(false);
        tabShortcuts_.append(s);
    };
    for (const QKeySequence &k : QKeySequence::keyBindings(QKeySequence::NextChild))
        add(k, 1);
    for (const QKeySequence &k : QKeySequence::keyBindings(QKeySequence::PreviousChild))
        add(k, -1);
    add(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    add(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
    PageControl1->tabBar()->installEventFilter(this);
}

bool TQuillonForm::eventFilter(QObject *watched, QEvent *event)
{
    // Enter presses the button that has the focus, as Space does (and as the
    // host's panel buttons do).
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        auto *button = qobject_cast<QPushButton *>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier && button->isEnabled()) {
            button->animateClick();
            return true;
        }
    }
    if (watched == PageControl1->tabBar() && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        const bool on = PageControl1->tabBar()->isVisibleTo(this);
        for (QShortcut *s : tabShortcuts_)
            s->setEnabled(on);
    }
    return QWidget::eventFilter(watched, event);
}

void TQuillonForm::stepTab(int step)
{
    QTabBar *bar = PageControl1->tabBar();
    const int count = bar->count();
    if (count < 2 || !bar->isVisible())
        return;
    const int from = bar->currentIndex() < 0 ? 0 : bar->currentIndex();
    const bool focusOnBar = bar->hasFocus();
    bar->setCurrentIndex((from + step + count) % count);
    // The keyboard user goes on in the page now shown, unless on the tabs.
    if (!focusOnBar)
        focusActivePage();
}

// Gives the focus to the first control of the page shown, when the focus is
// not already in the form (the host's button that showed it) or was on a
// control that is no longer shown.
void TQuillonForm::focusActivePage()
{
    QWidget *page = PageControl1->activePage();
    if (!page || !isVisible())
        return;
    if (QWidget *first = TPageControl::firstFocusable(page))
        first->setFocus(Qt::OtherFocusReason);
    else if (QWidget *bottom = TPageControl::firstFocusable(this))
        bottom->setFocus(Qt::OtherFocusReason);
}

void TQuillonForm::keepFocusInForm()
{
    QWidget *focus = QApplication::focusWidget();
    if (!isVisible() || !isEnabled() || (focus && isAncestorOf(focus) && focus->isVisible() && focus->isEnabled()))
        return;
    focusActivePage();
}

void TQuillonForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The form is enabled again when a read-back or a write has ended.
    if (event->type() == QEvent::EnabledChange)
        keepFocusInForm();
}
