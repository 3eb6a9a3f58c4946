// The call forwarding and call screening pages driven through their widgets.
#include "formtest.h"

#include "quillonform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

class ServicePages : public QuillonFormTest {
protected:
    void start(int switchType)
    {
        ta.loadStandardReplies(switchType);
        initialize(switchType == 0 ? "European" : "Domestic");
        ASSERT_TRUE(showApplication());
        ASSERT_TRUE(waitFor([&] { return quillon()->clockSet; }));
        ta.received.clear();
    }
    void click(const char *name) { QTest::mouseClick(widget<QPushButton>(name), Qt::LeftButton); }
    bool waitSaveEnd() { return waitFor([&] { return ta.received.contains("ati4\r") && !progressVisible(); }); }
    TQuillonForm *quillon() const { return qobject_cast<TQuillonForm *>(form()); }
};

TEST_F(ServicePages, ForwardingOfMsn2EnabledToANumber)
{
    start(0);
    click("Basic_CallFBtn");
    ASSERT_EQ(activePage()->objectName(), "CallFSheet");
    EXPECT_TRUE(widget<QCheckBox>("CkBox_CallForward_MSN1_Uncond")->isChecked());
    EXPECT_EQ(widget<QLineEdit>("Edit_CallForward_MSN1_Uncond")->text(), "5552000");
    EXPECT_EQ(widget<QLabel>("Label_CallForward_MSN1_Uncond")->text(), "Disabled");
    EXPECT_FALSE(widget<QCheckBox>("CkBox_CallForward_MSN1_Busy")->isEnabled());

    widget<QTabWidget>("Call_PageControl")->setCurrentIndex(1);
    auto *box = widget<QCheckBox>("CkBox_CallForward_MSN2_Uncond");
    EXPECT_FALSE(box->isEnabled());
    QTest::keyClicks(widget<QLineEdit>("Edit_CallForward_MSN2_Uncond"), "5557000");
    EXPECT_TRUE(box->isEnabled());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    ASSERT_TRUE(box->isChecked());
    ta.received.clear();
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 4), QStringList({"AT#GU2=5557000\r", "AT#EU2=1\r", "at&w\r", "ati12\r"}));
}

TEST_F(ServicePages, ScreeningListsAndUnlistsEntries)
{
    start(2);
    click("ConfigureBtn");
    quillon()->showAdvancedSet(widget<QWidget>("VoiceSheet"));
    click("CallScreenBtn");
    ASSERT_EQ(activePage()->objectName(), "CLIDSheet");
    EXPECT_EQ(widget<QComboBox>("Combo_CLIDPort1")->currentIndex(), 1);   // "-ADP1": Reject
    EXPECT_EQ(widget<QComboBox>("Combo_CLIDPort2")->currentIndex(), 0);
    EXPECT_EQ(widget<QLineEdit>("Edit_CLIDNumber01")->text(), "5551234");
    ASSERT_TRUE(widget<QCheckBox>("CkBox_CLID01_Port1")->isChecked());

    widget<QCheckBox>("CkBox_CLID03_DataPort")->click();
    widget<QCheckBox>("CkBox_CLID12_DataPort")->click();
    widget<QCheckBox>("CkBox_CLID01_Port1")->click();
    QTest::keyClicks(widget<QLineEdit>("Edit_CLIDNumber03"), "5550003");
    click("Btn_CLIDAcceptAll2");   // nothing listed for port 2 was listed before: only its policy
    EXPECT_EQ(widget<QComboBox>("Combo_CLIDPort2")->currentIndex(), 1);
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 6), QStringList({"AT@X2=0\r", "AT@A3=3,12\r", "AT@D1=1\r", "AT@Z3=5550003\r",
                                                  "at&w\r", "ati12\r"}));

    // The page stays open after the save and is saved again from the lists read back.
    ta.received.clear();
    ASSERT_EQ(activePage()->objectName(), "CLIDSheet");
    widget<QCheckBox>("CkBox_CLID01_Port2")->click();
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 2), QStringList({"AT@A2=1\r", "at&w\r"}));
}

// A screening list that stops early (a damaged line) leaves the entries after
// it as they were, instead of wiping them.
TEST_F(ServicePages, ScreeningReplyThatStopsEarlyKeepsTheEntriesItDidNotReach)
{
    start(2);
    ta.replies["ati19"] = "\r\nCall Screening\r\nEntry Number                    -ADP1    ADP2     DDP\r\n"
                          "01:5551234                     X                 X\r\n"
                          "02:5552222                              X\r\n"
                          "03:5553333                                       X\r\n\r\nOK\r\n";
    click("SaveBtn");   // nothing changed: "AT" and a read-back
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    ta.received.clear();
    // Now entry 02 arrives without its line end: the list stops after entry 01.
    ta.replies["ati19"] = "\r\nCall Screening\r\nEntry Number                    -ADP1    ADP2     DDP\r\n"
                          "01:5551111                     X\r\n02:5552222  OK\r\n";
    click("SaveBtn");   // nothing changed: "AT" and a read-back
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    click("ConfigureBtn");
    quillon()->showAdvancedSet(widget<QWidget>("VoiceSheet"));
    click("CallScreenBtn");
    ASSERT_EQ(activePage()->objectName(), "CLIDSheet");
    EXPECT_EQ(widget<QLineEdit>("Edit_CLIDNumber01")->text(), "5551111");
    EXPECT_FALSE(widget<QCheckBox>("CkBox_CLID01_DataPort")->isChecked());
    EXPECT_EQ(widget<QLineEdit>("Edit_CLIDNumber02")->text(), "5552222");
    EXPECT_TRUE(widget<QCheckBox>("CkBox_CLID02_Port2")->isChecked());
    EXPECT_EQ(widget<QLineEdit>("Edit_CLIDNumber03")->text(), "5553333");
    EXPECT_TRUE(widget<QCheckBox>("CkBox_CLID03_DataPort")->isChecked());
    // What was kept is taken as read: saving now sends nothing for it.
    ta.received.clear();
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.value(0), "AT\r");
}

// The host hides the screen while the call forwarding page's refresh is still
// unanswered: the next showing reads all the settings again.
TEST_F(ServicePages, RefreshCutShortByHidingDoesNotShortenTheNextReadBack)
{
    start(0);
    ta.dropFirst["ati20"] = 1;
    click("Basic_CallFBtn");   // shown from the list read
    click("CallF_BackBtn");
    click("Basic_CallFBtn");   // refreshed from the TA
    ASSERT_EQ(activePage()->objectName(), "CallFSheet");
    ASSERT_TRUE(waitReceived(1));
    ASSERT_EQ(ta.received, QStringList{"ati20\r"});
    q.show(0, 1, "", "");
    ta.received.clear();
    ASSERT_TRUE(showApplication()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 7),
              QStringList({"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati20\r", "ati19\r", "ati4\r"}));
}
