// The form with the keyboard alone and as assistive technology sees it: a
// setting changed and saved against the device emulator with nothing but
// key presses, the tab order of the pages, the tabs switched by Ctrl+Tab,
// the controls' accessible names in both languages, and a check box or radio
// button set by its accessible action doing what a click does.
#include "emulatorfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

namespace {

QString accessibleName(QObject *o)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(o);
    return i ? i->text(QAccessible::Name) : QString();
}

// What a screen reader's "toggle" does: no click, the box is set by its action.
void toggleByAction(QWidget *w)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(i, nullptr);
    ASSERT_NE(i->actionInterface(), nullptr);
    ASSERT_TRUE(i->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    i->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

// Key presses go where a user's would: to the widget that has the focus in
// the host's window. The progress window takes the activation while it is up;
// the desktop gives it back to the host's window when it closes.
class Keyboard {
public:
    QWidget *window = nullptr;
    QWidget *focus() const
    {
        if (window && !window->isActiveWindow())
            QApplication::setActiveWindow(window);
        return QApplication::focusWidget();
    }
    QString focusName() const
    {
        QWidget *w = focus();
        return w ? w->objectName() : QStringLiteral("(none)");
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *w = focus();
        ASSERT_NE(w, nullptr) << "no control has the focus";
        QTest::keyClick(w, key, modifiers);
    }
    // Tab until the named control has the focus; the controls passed on the way.
    QStringList tabTo(const QString &name, int limit = 60)
    {
        QStringList passed;
        for (int i = 0; i < limit && focusName() != name; ++i) {
            passed << focusName();
            press(Qt::Key_Tab);
        }
        return passed;
    }
};

bool inOrder(const QStringList &seen, const QStringList &wanted)
{
    qsizetype at = 0;
    for (const QString &w : wanted) {
        at = seen.indexOf(w, at);
        if (at < 0)
            return false;
    }
    return true;
}

} // namespace

class KeyboardWalk : public EndToEnd {
protected:
    void SetUp() override
    {
        EndToEnd::SetUp();
        if (IsSkipped())
            return;
        keys.window = host.get();
    }
    Keyboard keys;
};

TEST_F(KeyboardWalk, CallerIdChangedAndSavedWithKeysAlone)
{
    q.show(1, 1, "APPLICATION", "US/Canada External");
    ASSERT_TRUE(readBack());
    const int before = int(commandsIn(logFile).size());
    // The page the host showed has the focus once the settings are read.
    ASSERT_EQ(keys.focusName(), "Outgoing_Combo");

    // The basic page's fields first, the bottom buttons after them.
    const QStringList basic = keys.tabTo("SaveBtn");
    EXPECT_TRUE(inOrder(basic, {"Outgoing_Combo", "DVO_Combo", "CBox_BasicPort1", "CBox_BasicPort2", "ConfigureBtn"}))
        << basic.join(" ").toStdString();
    ASSERT_EQ(keys.focusName(), "SaveBtn");

    // Advanced Configuration..., then the Voice tab by Ctrl+Tab.
    keys.tabTo("ConfigureBtn");
    keys.press(Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return activePage()->objectName() == "DataSheet"; }));
    keys.press(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(activePage()->objectName(), "VoiceSheet");
    // Ctrl+Shift+Tab goes back, Ctrl+Tab forth again; the focus follows into the page.
    keys.press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(activePage()->objectName(), "DataSheet");
    keys.press(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(activePage()->objectName(), "VoiceSheet");
    EXPECT_EQ(keys.focusName(), "Combo_ADP1_DN");

    auto *callerId = widget<QCheckBox>("CkBox_ADP1_CallerID");
    const bool was = callerId->isChecked();
    keys.tabTo("CkBox_ADP1_CallerID");
    keys.press(Qt::Key_Space);
    ASSERT_NE(callerId->isChecked(), was);

    keys.tabTo("SaveBtn");
    ASSERT_EQ(keys.focusName(), "SaveBtn");
    keys.press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty(); }, 20000));
    EXPECT_EQ(ui.messages(), QStringList({"Modem Configured Successfully!"}));
    ASSERT_TRUE(readBack());

    const QStringList sent = commandsIn(logFile).mid(before);
    const QString line = QStringLiteral("AT#I1=%1\r").arg(was ? 0 : 1);
    ASSERT_TRUE(sent.contains(line)) << sent.join("|").toStdString();
    EXPECT_EQ(sent.indexOf(line) + 1, sent.indexOf("at&w\r")) << sent.join("|").toStdString();
    // The read-back after the save shows what the TA now holds.
    EXPECT_NE(callerId->isChecked(), was);
}

TEST_F(KeyboardWalk, LineWizardFieldsTakeTypedNumbers)
{
    q.show(1, 1, "SPID", "US/Canada External");
    ASSERT_TRUE(waitFor([&] { return !progressVisible() && widget<QPushButton>("SaveBtn")->isEnabled(); }, 10000));
    ASSERT_EQ(activePage()->objectName(), "SpidSheet");
    ASSERT_EQ(keys.focusName(), "Edit_SpidAreaCode");
    for (const char *name : {"Edit_SpidAreaCode", "Edit_SpidDN1", "Edit_SpidDN2"})
        widget<QLineEdit>(name)->clear();
    QTest::keyClicks(keys.focus(), "303");
    keys.press(Qt::Key_Tab);
    QTest::keyClicks(keys.focus(), "5551234");
    const QStringList rest = keys.tabTo("SaveBtn");
    EXPECT_TRUE(inOrder(rest, {"Edit_SpidDN1", "Edit_SpidDN2"})) << rest.join(" ").toStdString();
    EXPECT_EQ(widget<QLineEdit>("Edit_SpidAreaCode")->text(), "303");
    EXPECT_EQ(widget<QLineEdit>("Edit_SpidDN1")->text(), "5551234");
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->text(), "&Next >");
}

// The same without the emulator: the scripted TA is enough for the names,
// the sub-pages and the accessible actions.
class Accessible : public QuillonFormTest {
protected:
    void SetUp() override
    {
        QuillonFormTest::SetUp();
        initialize();
        ASSERT_TRUE(showApplication());
        ASSERT_TRUE(waitFor([&] { return quillon()->clockSet && !quillon()->chainRunning; }));
        keys.window = host.get();
        ta.received.clear();
    }
    TQuillonForm *quillon() const { return qobject_cast<TQuillonForm *>(form()); }
    bool waitSaveEnd() { return waitFor([&] { return ta.received.contains("ati4\r") && !progressVisible(); }); }
    // Configure, then the tab with this caption.
    void openConfigurationTab(const QString &caption)
    {
        QTest::mouseClick(widget<QPushButton>("ConfigureBtn"), Qt::LeftButton);
        auto *bar = widget<TPageControl>("PageControl1")->tabBar();
        for (int i = 0; i < bar->count(); ++i)
            if (bar->tabText(i) == caption)
                bar->setCurrentIndex(i);
    }
    Keyboard keys;
};

TEST_F(Accessible, FieldsAreNamedByTheirCaptionsInEitherLanguage)
{
    EXPECT_EQ(accessibleName(widget<QLineEdit>("Edit_SpidAreaCode")), "Area Code:");
    EXPECT_EQ(accessibleName(widget<QLineEdit>("Edit_IsdnSpid1")), "SPID 1:");
    EXPECT_EQ(accessibleName(widget<QCheckBox>("CkBox_ADP1_CallerID")), "Caller ID, Phone Port 1");
    EXPECT_EQ(accessibleName(widget<QCheckBox>("CkBox_ADP2_CallerID")), "Caller ID, Phone Port 2");
    EXPECT_EQ(accessibleName(widget<QPushButton>("AdvVoice2Btn")), "Advanced Call Features, Settings, Phone Port 2");
    EXPECT_EQ(accessibleName(widget<QRadioButton>("RadioBtn_64K")), "B Channel Rate, 64K");
    EXPECT_EQ(accessibleName(widget<QCheckBox>("CkBox_CLID03_Port2")), "Number 3, Phone Port 2");

    q.language(0x407, 0x407);
    EXPECT_EQ(accessibleName(widget<QLineEdit>("Edit_SpidAreaCode")), "Vorwahl:");
    EXPECT_EQ(accessibleName(widget<QCheckBox>("CkBox_ADP1_CallerID")), "Rufnummernanzeige, Telefonanschluss 1");
}

TEST_F(Accessible, ValueLabelsNameWhatTheyShow)
{
    q.show(0, 1, "APPLICATION", "US/Canada External");
    q.show(1, 1, "CONGRATS", "US/Canada External");
    ASSERT_TRUE(waitChainEnd());
    auto *dn1 = widget<QLabel>("DN1Text");
    ASSERT_FALSE(dn1->text().isEmpty());
    EXPECT_EQ(accessibleName(dn1), "DN1: " + dn1->text());
}

TEST_F(Accessible, SubPageFieldsComeBeforeItsButtons)
{
    QTest::mouseClick(widget<QPushButton>("ConfigureBtn"), Qt::LeftButton);
    ASSERT_EQ(activePage()->objectName(), "DataSheet");
    widget<QPushButton>("PPPBtn")->setFocus();
    keys.press(Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return activePage()->objectName() == "PPPSheet"; }));
    // The focus went on into the page shown.
    ASSERT_EQ(keys.focusName(), "PPPmode_ComboBox");
    const QStringList order = keys.tabTo("PPP_BackBtn");
    EXPECT_TRUE(inOrder(order, {"PPPmode_ComboBox", "Combo_PPPCompression", "Combo_PPPEndpoint", "BACP_CkBox"}))
        << order.join(" ").toStdString();
    EXPECT_FALSE(order.contains("SaveBtn")) << order.join(" ").toStdString();
    keys.press(Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return activePage()->objectName() == "DataSheet"; }));
}

TEST_F(Accessible, LeasedLineBandwidthSetByTheToggleAction)
{
    ta.replies["ati12"].replace("*W =2 National ISDN-1", "*W =7 IDSL");
    QTest::mouseClick(widget<QPushButton>("SaveBtn"), Qt::LeftButton);
    ASSERT_TRUE(waitSaveEnd());
    ta.received.clear();
    openConfigurationTab("ISDN Line");
    ASSERT_EQ(activePage()->objectName(), "ISDNSheet");
    auto *k144 = widget<QRadioButton>("RadioBtn_144K_2BC_D");
    ASSERT_TRUE(k144->isVisible());
    toggleByAction(k144);
    ASSERT_TRUE(k144->isChecked());
    QTest::mouseClick(widget<QPushButton>("SaveBtn"), Qt::LeftButton);
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 2), QStringList({"AT*W=8\r", "at&wz!\r"}));
}

// A screen reader sets a field's whole text at once, without key presses.
TEST_F(Accessible, FeatureNumberSetByAssistiveTechnologyIsSaved)
{
    openConfigurationTab("Voice ");
    ASSERT_EQ(activePage()->objectName(), "VoiceSheet");
    QTest::mouseClick(widget<QPushButton>("AdvVoice1Btn"), Qt::LeftButton);
    ASSERT_EQ(activePage()->objectName(), "AdvVoiceSheet");
    auto *message = widget<QLineEdit>("Message2_Edit");
    ASSERT_TRUE(message->isEnabled());
    QAccessibleInterface *field = QAccessible::queryAccessibleInterface(message);
    ASSERT_NE(field->editableTextInterface(), nullptr);
    field->editableTextInterface()->replaceText(0, field->textInterface()->characterCount(), "70");
    ASSERT_EQ(message->text(), "70");
    QTest::mouseClick(widget<QPushButton>("SaveBtn"), Qt::LeftButton);
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.value(0), "AT#W2=70\r");
    EXPECT_EQ(ta.received.value(1), "at&w\r");
}

// A TEI takes no typed digits; its arrow keys step it as its buttons do.
TEST_F(Accessible, TeiChosenAndSteppedWithKeys)
{
    openConfigurationTab("ISDN Line");
    ASSERT_EQ(activePage()->objectName(), "ISDNSheet");
    widget<QComboBox>("TEIDN2_Combo")->setFocus();
    keys.press(Qt::Key_Down);
    ASSERT_EQ(widget<QComboBox>("TEIDN2_Combo")->currentIndex(), 1);
    keys.press(Qt::Key_Tab);
    ASSERT_EQ(keys.focusName(), "DN2_SpinEdit");
    auto *tei = widget<QSpinBox>("DN2_SpinEdit");
    ASSERT_EQ(tei->value(), 63);
    keys.press(Qt::Key_7);
    EXPECT_EQ(tei->value(), 63);
    keys.press(Qt::Key_Down);
    keys.press(Qt::Key_Down);
    keys.press(Qt::Key_Up);
    EXPECT_EQ(tei->value(), 62);
    QTest::mouseClick(widget<QPushButton>("SaveBtn"), Qt::LeftButton);
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 2), QStringList({"AT*T2=62\r", "at&wz!\r"}));
}

// A tab pressed through assistive technology: the press returns at once, and
// the question that leaving the page asks comes from the event loop after it.
TEST_F(Accessible, TabPressedByAssistiveTechnologyReturnsBeforeTheQuestion)
{
    QTest::mouseClick(widget<QPushButton>("ConfigureBtn"), Qt::LeftButton);
    auto *bar = widget<TPageControl>("PageControl1")->tabBar();
    QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->role(), QAccessible::PageTabList);
    const auto tabNamed = [&](const QString &name) -> QAccessibleInterface * {
        for (int i = 0; i < tabs->childCount(); ++i)
            if (tabs->child(i) && tabs->child(i)->text(QAccessible::Name).trimmed() == name)
                return tabs->child(i);
        return nullptr;
    };
    QAccessibleInterface *line = tabNamed("ISDN Line");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->role(), QAccessible::PageTab);
    line->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(waitFor([&] { return activePage()->objectName() == "ISDNSheet"; }));
    EXPECT_TRUE(line->state().selected);

    auto *box = widget<QComboBox>("Switch_Combo");
    box->setCurrentIndex(0);
    emit box->activated(0);   // EuroISDN chosen: leaving the page asks
    ui.messageAnswers = {IDNO};
    QAccessibleInterface *voice = tabNamed("Voice");
    ASSERT_NE(voice, nullptr);
    voice->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(activePage()->objectName(), "ISDNSheet");
    ASSERT_TRUE(waitFor([&] { return activePage()->objectName() == "VoiceSheet"; }));
    EXPECT_EQ(ui.messages(), QStringList({"Do you want to save changes?"}));
}

// Every control the keyboard reaches, on every page, says what it is: a name
// of its own, or a caption it is labelled by.
TEST_F(Accessible, EveryControlIsNamedOrLabelled)
{
    QStringList unnamed;
    for (QWidget *w : form()->findChildren<QWidget *>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy() || qobject_cast<QTabBar *>(w))
            continue;
        QAccessibleInterface *i = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(i, nullptr) << w->objectName().toStdString();
        const bool named = !i->text(QAccessible::Name).trimmed().isEmpty() || !w->accessibleName().isEmpty();
        const bool labelled = !i->relations(QAccessible::Label).isEmpty();
        if (!named && !labelled)
            unnamed << w->objectName() + QLatin1Char('(') + QLatin1String(w->metaObject()->className()) + QLatin1Char(')');
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(" ").toStdString();
}
