// Saving: the exact lines that reach the TA for edits made on the real
// widgets, the write command, the read-back that follows and the messages.
#include "formtest.h"

#include "quillonform.h"
#include "registry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

class Save : public QuillonFormTest {
protected:
    void SetUp() override
    {
        QuillonFormTest::SetUp();
        initialize();
        ASSERT_TRUE(showApplication());
        // Let the clock commands go by.
        ASSERT_TRUE(waitFor([&] { return quillon()->clockSet; }));
        ta.received.clear();
    }
    void click(const char *name) { QTest::mouseClick(widget<QPushButton>(name), Qt::LeftButton); }
    void openVoicePage()
    {
        if (widget<QPushButton>("ConfigureBtn")->text() == "Advanced Configuration...")
            click("ConfigureBtn");
        auto *pc = widget<TPageControl>("PageControl1");
        const int index = int(pc->pages().indexOf(widget<QWidget>("VoiceSheet")));
        ASSERT_GE(index, 0);
        // Click the "Voice " tab like the user does.
        for (int i = 0; i < pc->tabBar()->count(); ++i)
            if (pc->tabBar()->tabText(i) == "Voice ")
                pc->tabBar()->setCurrentIndex(i);
        ASSERT_EQ(activePage()->objectName(), "VoiceSheet");
    }
    // The lines after the save up to the end of its read-back.
    bool waitSaveEnd() { return waitFor([&] { return ta.received.contains("ati4\r") && !progressVisible(); }); }
    static inline const QStringList kReadBack = {"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati19\r", "ati4\r"};
    TQuillonForm *quillon() const { return qobject_cast<TQuillonForm *>(form()); }
};

TEST_F(Save, VoicePageOpenedUnchangedSendsEmptyLineAndRereads)
{
    openVoicePage();
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList{"AT\r"} + kReadBack);
    EXPECT_EQ(ui.messages(), QStringList{"Modem Configured Successfully!"});
}

TEST_F(Save, CallerIdOfPortOne)
{
    openVoicePage();
    auto *box = widget<QCheckBox>("CkBox_ADP1_CallerID");
    ASSERT_FALSE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    ASSERT_TRUE(box->isChecked());
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT#I1=9\r", "at&w\r"}) + kReadBack);
    EXPECT_EQ(ui.messages(), QStringList{"Modem Configured Successfully!"});
    EXPECT_TRUE(widget<QPushButton>("SaveBtn")->isEnabled());
    EXPECT_TRUE(form()->isEnabled());
}

TEST_F(Save, BasicDataAndVoiceLinesInSlotOrder)
{
    widget<QComboBox>("CBox_BasicPort2")->setCurrentIndex(0);
    QTest::mouseClick(widget<QRadioButton>("RadioBtn_Auto"), Qt::LeftButton, {}, QPoint(5, 8));
    ui.messageAnswers = {IDNO};   // leaving the changed basic page: do not save yet
    click("ConfigureBtn");
    EXPECT_EQ(ui.messages(), QStringList{"Do you want to save changes?"});
    EXPECT_EQ(ui.shown.value(0).number, MB_YESNO);
    EXPECT_TRUE(ta.received.isEmpty());
    widget<QComboBox>("Combo_DataIncoming")->setCurrentIndex(4);
    openVoicePage();
    widget<QComboBox>("Combo_Voice_DVO")->setCurrentIndex(3);
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"ATS67.1=0#R2=0\r", "AT*VI=7\r", "AT*E=3\r", "at&w\r"}) + kReadBack);
}

TEST_F(Save, AnsweringYesSavesTheBasicPage)
{
    widget<QComboBox>("Outgoing_Combo")->setCurrentIndex(4);
    ui.messageAnswers = {IDYES};
    click("ConfigureBtn");
    EXPECT_EQ(activePage()->objectName(), "DataSheet");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.value(0), "AT*VO=6S67.1=1S67.2=1\r");
    EXPECT_EQ(ta.received.value(1), "at&w\r");
}

TEST_F(Save, AdvancedVoiceButtonDefaults)
{
    openVoicePage();
    auto *adv = widget<QPushButton>("AdvVoice1Btn");
    ASSERT_TRUE(adv->isEnabled());   // #S1 =1
    click("AdvVoice1Btn");
    ASSERT_EQ(activePage()->objectName(), "AdvVoiceSheet");
    auto *forward = widget<QCheckBox>("Forward1_CkBox");
    auto *forwardEdit = widget<QLineEdit>("Forward1_Edit");
    EXPECT_FALSE(forwardEdit->isEnabled());
    QTest::mouseClick(forward, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_EQ(forwardEdit->text(), "57");
    EXPECT_TRUE(forwardEdit->isEnabled());
    // Port 2 has no call waiting: its conference box is off limits.
    EXPECT_FALSE(widget<QCheckBox>("Conference2_CkBox")->isEnabled());
    // Switching call waiting off on port 1 sends 1.
    QTest::mouseClick(widget<QCheckBox>("CallWait1_CkBox"), Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_FALSE(widget<QCheckBox>("Conference1_CkBox")->isEnabled());
    auto *message = widget<QLineEdit>("Message2_Edit");
    ASSERT_TRUE(message->isEnabled());
    message->clear();
    QTest::keyClicks(message, "70");
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    // The voice line is empty and skipped; the advanced voice line follows.
    EXPECT_EQ(ta.received.value(0), "AT#A1=1#F1=57#W2=70\r");
    EXPECT_EQ(ta.received.value(1), "at&w\r");
}

TEST_F(Save, BackFromAdvancedVoiceReturnsToVoicePage)
{
    openVoicePage();
    click("AdvVoice1Btn");
    click("AdvVoice_BackBtn");
    EXPECT_EQ(activePage()->objectName(), "VoiceSheet");
    auto *pc = widget<TPageControl>("PageControl1");
    EXPECT_TRUE(pc->isTabVisible(widget<QWidget>("DataSheet")));
    click("ConfigureBtn");
    EXPECT_EQ(activePage()->objectName(), "BasicSheet");
    EXPECT_FALSE(pc->tabBar()->isVisible());
}

TEST_F(Save, ResetTemplates)
{
    click("ConfigureBtn");
    widget<TPageControl>("PageControl1")->setActivePage(widget<QWidget>("ResetSheet"));
    quillon()->enterPage(widget<QWidget>("ResetSheet"));
    auto *combo = widget<QComboBox>("Combo_Reset");
    EXPECT_EQ(combo->currentIndex(), 5);
    click("ResetBtn");
    EXPECT_EQ(ui.messages(), QStringList{"Please select an appropriate factory settings template!"});
    EXPECT_TRUE(widget<QPushButton>("ResetBtn")->isEnabled());
    pumpEvents(50);
    EXPECT_TRUE(ta.received.isEmpty());

    combo->setCurrentIndex(4);
    click("ResetBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT&F5\r", "at&wz!\r"}) + kReadBack);
    ta.received.clear();
    combo->setCurrentIndex(1);
    click("ResetBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 2), QStringList({"AT&F1\r", "at&w\r"}));
}

TEST_F(Save, IsdnLineReset)
{
    // S69 was read as 128: no "aty23".
    click("Btn_ResetISDNLine");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList{"ATZ!\r"} + kReadBack);
}

TEST_F(Save, IsdnLineResetAfterZeroS69)
{
    ta.replies["ati4"] = "\r\nTA Settings\r\nS67 =6 S69 =0 \r\n\r\nOK\r\n";
    q.show(0, 1, "APPLICATION", "US/Canada");
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(waitChainEnd());
    ta.received.clear();
    click("Btn_ResetISDNLine");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"aty23\r", "ATZ!\r"}) + kReadBack);
}

TEST_F(Save, BandwidthPresets)
{
    quillon()->showSubPage(widget<QWidget>("ThresholdSheet"));
    click("BitBtnConversative");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 3),
              QStringList({"AT*D1=10*D2=120*D3=75*D4=50*A1=15*A2=180*A3=75*A4=10\r", "at&w\r", "ati12\r"}));
    ta.received.clear();
    click("BitBtnAggressive");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.value(0), "AT*D1=5*D2=180*D3=75*D4=50*A1=10*A2=360*A3=40*A4=5\r");
}

TEST_F(Save, ProfileApplied)
{
    // The profile waits for each answer; with wait-and-yield the scripted TA answers meanwhile.
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck", "WaitAndYield", "on");
    initialize();
    click("BtnProfile");
    ASSERT_EQ(activePage()->objectName(), "ProfileSheet");
    auto *list = widget<QListWidget>("ListBox_Profiles");
    list->setCurrentRow(1);
    EXPECT_EQ(widget<QLabel>("ProfileLabel")->text(), "Internet Access Profile MLPPP");
    ASSERT_EQ(widget<QPushButton>("SaveBtn")->text(), "OK");
    click("SaveBtn");
    EXPECT_EQ(ta.received, QStringList({"AT*PPP=0S67=0\r", "AT&W\r"}));
    EXPECT_EQ(activePage()->objectName(), "CongratsSheet");
    EXPECT_EQ(widget<QPushButton>("Btn_CancelCongrats")->text(), "Finish");
}

TEST_F(Save, MaintainCurrentSettingsSendsNothing)
{
    click("BtnProfile");
    widget<QListWidget>("ListBox_Profiles")->setCurrentRow(6);
    click("SaveBtn");
    EXPECT_TRUE(ta.received.isEmpty());
    EXPECT_EQ(activePage()->objectName(), "CongratsSheet");
}

TEST_F(Save, UnansweredCommandRestartsReadBackAndReportsError)
{
    ta.dropFirst["at#i1=9"] = 2;
    openVoicePage();
    widget<QCheckBox>("CkBox_ADP1_CallerID")->click();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty(); }));
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT#I1=9\r", "AT#I1=9\r"}) + kReadBack);
    EXPECT_EQ(ui.messages(), QStringList{"Error while trying to configure the modem!"});
    EXPECT_TRUE(form()->isEnabled());
}

TEST_F(Save, QuickSetupSendsOnlyTheNumberSlots)
{
    TQuillonForm *f = quillon();
    f->europeanFlow = false;
    q.show(1, 1, "MSNWizard", "Germany");
    ASSERT_TRUE(waitFor([&] { return !progressVisible() && ta.received.contains("ati12\r"); }));
    ta.received.clear();
    ASSERT_EQ(activePage()->objectName(), "MSNSheet");
    for (const char *name : {"Edit_MSNArea", "Edit_MSNPort1", "Edit_MSNPort2"})
        widget<QLineEdit>(name)->clear();
    auto *data = widget<QLineEdit>("Edit_MSNData");
    data->clear();
    QTest::keyClicks(data, "55x5-123");   // only digits are taken
    EXPECT_EQ(data->text(), "555123");
    // Lines in slots beyond the number slots are not sent by a quick setup.
    f->commandSlots[16] = "AT#I1=9\r";
    f->commandSlots[0] = "AT*E=1\r";
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*P3=555123\r", "at&wz!\r"}) + kReadBack);
    EXPECT_EQ(activePage()->objectName(), "CongratsSheet");
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(Save, InputRulesOfNumberEdits)
{
    auto *area = widget<QLineEdit>("Edit_SpidAreaCode");
    QTest::keyClicks(area, "12a3b45678");
    EXPECT_EQ(area->text(), "12345");
    auto *number = widget<QLineEdit>("Edit_SpidDN1");
    QTest::keyClicks(number, "0123456789012345678901234");
    EXPECT_EQ(number->text().size(), 20);
    QTest::keyClick(number, Qt::Key_Backspace);
    EXPECT_EQ(number->text().size(), 19);
}

TEST_F(Save, LeavingChangedDataPageAsks)
{
    click("ConfigureBtn");
    ASSERT_EQ(activePage()->objectName(), "DataSheet");
    widget<QComboBox>("Combo_DataOutgoing")->setCurrentIndex(2);
    ui.messageAnswers = {IDYES};
    click("ConfigureBtn");
    EXPECT_EQ(ui.messages().value(0), "Do you want to save changes?");
    EXPECT_EQ(activePage()->objectName(), "BasicSheet");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.value(0), "AT*VO=6\r");
    EXPECT_EQ(ta.received.value(1), "at&w\r");
}

TEST_F(Save, UnchangedPagesAskNothing)
{
    click("ConfigureBtn");
    click("ConfigureBtn");
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_TRUE(ta.received.isEmpty());
}

// The bottom button follows the page shown: the data page reached from the
// profile page saves the edit, it does not write the internet template.
TEST_F(Save, DataPageReachedFromTheProfilesSavesItsEdit)
{
    click("BtnProfile");
    ASSERT_EQ(activePage()->objectName(), "ProfileSheet");
    ASSERT_EQ(widget<QPushButton>("SaveBtn")->text(), "OK");
    click("ConfigureBtn");
    ASSERT_EQ(activePage()->objectName(), "DataSheet");
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->text(), "Save");
    widget<QComboBox>("Combo_DataOutgoing")->setCurrentIndex(2);
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*VO=6\r", "at&w\r"}) + kReadBack);
    EXPECT_EQ(ui.messages(), QStringList{"Modem Configured Successfully!"});
    pumpEvents(100);
    EXPECT_TRUE(host->messages.isEmpty());
}

// Each write starts with its own flags: a restart asked for by one write is
// not carried into the next, whichever path starts it.
TEST_F(Save, RestartOfAResetTemplateIsNotCarriedIntoAPreset)
{
    click("ConfigureBtn");
    for (int i = 0; i < widget<TPageControl>("PageControl1")->tabBar()->count(); ++i)
        if (widget<TPageControl>("PageControl1")->tabBar()->tabText(i) == "Reset")
            widget<TPageControl>("PageControl1")->tabBar()->setCurrentIndex(i);
    ASSERT_EQ(activePage()->objectName(), "ResetSheet");
    widget<QComboBox>("Combo_Reset")->setCurrentIndex(4);
    click("ResetBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    ASSERT_EQ(ta.received.mid(0, 2), QStringList({"AT&F5\r", "at&wz!\r"}));
    ui.shown.clear();
    ta.received.clear();

    click("ConfigureBtn");
    click("ConfigureBtn");
    click("PPPBtn");
    widget<QComboBox>("PPPmode_ComboBox")->setCurrentIndex(3);
    click("PPPDBABtn");
    ASSERT_EQ(activePage()->objectName(), "ThresholdSheet");
    click("BitBtnConversative");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*D1=10*D2=120*D3=75*D4=50*A1=15*A2=180*A3=75*A4=10\r", "at&w\r"}) +
                               kReadBack);
}

// A quick setup whose number line went unanswered ends there: a later save
// sends all its lines and reports its own outcome.
TEST_F(Save, FailedQuickSetupDoesNotLimitTheNextSave)
{
    q.show(1, 1, "MSNWizard", "Germany");
    ASSERT_TRUE(waitFor([&] { return !progressVisible() && ta.received.contains("ati12\r"); }));
    ASSERT_EQ(activePage()->objectName(), "MSNSheet");
    for (const char *name : {"Edit_MSNArea", "Edit_MSNPort2", "Edit_MSNData"})
        widget<QLineEdit>(name)->clear();
    auto *port1 = widget<QLineEdit>("Edit_MSNPort1");
    port1->clear();
    QTest::keyClicks(port1, "4711");
    ta.dropFirst["at*p1=4711"] = 2;
    ta.received.clear();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty(); })) << ta.received.join("|").toStdString();
    ASSERT_TRUE(waitSaveEnd());
    EXPECT_EQ(ta.received, QStringList({"AT*P1=4711\r", "AT*P1=4711\r"}) + kReadBack);
    EXPECT_EQ(ui.messages(), QStringList{"Error while trying to configure the modem!"});

    // The host shows the configuration again; basic and voice pages changed.
    q.show(0, 1, "", "");
    ASSERT_TRUE(showApplication());
    ui.shown.clear();
    ta.received.clear();
    widget<QComboBox>("CBox_BasicPort2")->setCurrentIndex(0);
    ui.messageAnswers = {IDNO};
    openVoicePage();
    QTest::mouseClick(widget<QCheckBox>("CkBox_ADP1_CallerID"), Qt::LeftButton, {}, QPoint(5, 8));
    ui.shown.clear();
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT#R2=0\r", "AT#I1=9\r", "at&w\r"}) + kReadBack);
    EXPECT_EQ(ui.messages(), QStringList{"Modem Configured Successfully!"});
    EXPECT_EQ(activePage()->objectName(), "VoiceSheet");
}

// The host takes the form away while a write is under way: the write is
// finished and stored first, without the read-back, and nothing follows.
TEST_F(Save, DestroyingTheFormDuringASaveStoresTheSettingsFirst)
{
    openVoicePage();
    widget<QCheckBox>("CkBox_ADP1_CallerID")->click();
    click("SaveBtn");   // the first line is out, its answer not yet read
    q.destroy();
    EXPECT_EQ(form(), nullptr);
    EXPECT_EQ(ta.received, QStringList({"AT#I1=9\r", "at&w\r"}));
    pumpEvents(200);
    EXPECT_EQ(ta.received, QStringList({"AT#I1=9\r", "at&w\r"}));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(Save, HidingTheFormWhileAProfileWaitsStoresTheProfileFirst)
{
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck", "WaitAndYield", "on");
    initialize();
    click("BtnProfile");
    widget<QListWidget>("ListBox_Profiles")->setCurrentRow(1);
    // The host hides the form as soon as the profile's line has reached the
    // TA, whose answer comes a moment later.
    QStringList whenHidden;
    ta.hook = [&](const QString &line) -> std::optional<QByteArray> {
        if (line != "AT*PPP=0S67=0")
            return std::nullopt;
        QTimer::singleShot(0, form(), [&] {
            q.show(0, 1, "APPLICATION", "US/Canada External");
            whenHidden = ta.received;
        });
        QTimer::singleShot(50, form(), [&] { ta.send("\r\nOK\r\n"); });
        return QByteArray();
    };
    click("SaveBtn");
    pumpEvents(200);
    EXPECT_EQ(whenHidden, QStringList({"AT*PPP=0S67=0\r", "AT&W\r"}));
    EXPECT_EQ(ta.received, whenHidden);
    EXPECT_FALSE(form()->isVisible());
    EXPECT_TRUE(ui.messages().isEmpty());

    // A TA that stops answering: the user is told the profile was not stored.
    q.show(1, 1, "APPLICATION", "US/Canada External");
    ASSERT_TRUE(waitChainEnd());
    ASSERT_TRUE(waitFor([&] { return quillon()->clockSet && !quillon()->linkBusy(); }));
    click("BtnProfile");
    widget<QListWidget>("ListBox_Profiles")->setCurrentRow(1);
    ta.received.clear();
    ta.hook = [&](const QString &line) -> std::optional<QByteArray> {
        if (line != "AT*PPP=0S67=0")
            return std::nullopt;
        ta.silent = true;
        QTimer::singleShot(0, form(), [&] { q.show(0, 1, "APPLICATION", "US/Canada External"); });
        return QByteArray();
    };
    click("SaveBtn");
    EXPECT_EQ(ui.messages(), QStringList({"The changed settings were not saved: the ISDN TA did not confirm them."}));
    EXPECT_EQ(ta.received, QStringList({"AT*PPP=0S67=0\r"}));
    EXPECT_FALSE(form()->isVisible());
}

// While the hide finishes the write, the host shows the form again: the
// hide is out of date then, and the form stays shown.
TEST_F(Save, AFormShownAgainWhileItsHideFinishesTheWriteStaysShown)
{
    openVoicePage();
    widget<QCheckBox>("CkBox_ADP1_CallerID")->click();
    click("SaveBtn");
    QTimer::singleShot(0, form(), [&] { q.show(1, 1, "APPLICATION", "US/Canada External"); });
    q.show(0, 1, "APPLICATION", "US/Canada External");
    EXPECT_TRUE(form()->isVisible());
    EXPECT_EQ(ta.received.mid(0, 2), QStringList({"AT#I1=9\r", "at&w\r"}));
    EXPECT_TRUE(waitChainEnd());
}
