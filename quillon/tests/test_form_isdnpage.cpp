// The ISDN line page driven through its widgets: the switch type chosen
// re-lays out the page and decides which lines a save writes.
#include "formtest.h"

#include "clock.h"
#include "quillonform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

class IsdnPage : public QuillonFormTest {
protected:
    void SetUp() override
    {
        QuillonFormTest::SetUp();
        initialize();
        ASSERT_TRUE(showApplication());
        ASSERT_TRUE(waitFor([&] { return quillon()->clockSet; }));
        ta.received.clear();
    }
    void click(const char *name) { QTest::mouseClick(widget<QPushButton>(name), Qt::LeftButton); }
    void clickTab(const char *caption)
    {
        auto *pc = widget<TPageControl>("PageControl1");
        for (int i = 0; i < pc->tabBar()->count(); ++i)
            if (pc->tabBar()->tabText(i) == caption)
                pc->tabBar()->setCurrentIndex(i);
    }
    void openLinePage()
    {
        click("ConfigureBtn");
        clickTab("ISDN Line");
        ASSERT_EQ(activePage()->objectName(), "ISDNSheet");
    }
    void chooseSwitchType(int index)
    {
        auto *box = widget<QComboBox>("Switch_Combo");
        box->setCurrentIndex(index);
        emit box->activated(index);   // as a choice made by the user
    }
    bool waitSaveEnd() { return waitFor([&] { return ta.received.contains("ati4\r") && !progressVisible(); }); }
    static inline const QStringList kReadBack = {"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati19\r", "ati4\r"};
    TQuillonForm *quillon() const { return qobject_cast<TQuillonForm *>(form()); }
};

TEST_F(IsdnPage, ShowsTheDomesticSettingsRead)
{
    openLinePage();
    EXPECT_TRUE(widget<QWidget>("GBox_Domestic")->isVisible());
    EXPECT_EQ(widget<QComboBox>("Switch_Combo")->currentIndex(), 2);
    EXPECT_EQ(widget<QLineEdit>("Edit_IsdnArea")->text(), "555");
    EXPECT_EQ(widget<QLineEdit>("Edit_IsdnDN1")->text(), "5551001");
    EXPECT_EQ(widget<QLineEdit>("Edit_IsdnSpid2")->text(), "01555100200");
    EXPECT_EQ(widget<QComboBox>("TEIDN1_Combo")->currentIndex(), 0);
    EXPECT_FALSE(widget<QSpinBox>("DN1_SpinEdit")->isEnabled());
    EXPECT_FALSE(widget<QCheckBox>("CkBox_IsdnDataLink")->isChecked());   // S67 =6: bit 4 clear
}

TEST_F(IsdnPage, DomesticChangesEachGoOnTheirOwnLine)
{
    openLinePage();
    auto *spid = widget<QLineEdit>("Edit_IsdnSpid1");
    spid->selectAll();
    QTest::keyClicks(spid, "0155510x0199");
    widget<QComboBox>("TEIDN2_Combo")->setCurrentIndex(1);
    auto *tei = widget<QSpinBox>("DN2_SpinEdit");
    EXPECT_TRUE(tei->isEnabled());
    EXPECT_EQ(tei->value(), 63);
    QTest::keyClicks(tei, "7");   // typed keys do not change a TEI
    EXPECT_EQ(tei->value(), 63);
    tei->stepDown();
    widget<QCheckBox>("CkBox_IsdnDataLink")->click();
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"ATS67.4=1\r", "AT*S1=01555100199\r", "AT*T2=62\r", "at&wz!\r"}) + kReadBack);
}

TEST_F(IsdnPage, SwitchingToEuroIsdnShowsTheEuropeanSetAndRestartsTheTa)
{
    openLinePage();
    chooseSwitchType(0);
    EXPECT_TRUE(widget<QWidget>("GBox_Euro")->isVisible());
    EXPECT_FALSE(widget<QWidget>("GBox_Domestic")->isVisible());
    EXPECT_EQ(widget<QLineEdit>("Edit_IsdnMSN2")->text(), "5551002");
    // The European edit and the domestic one share their value.
    auto *msn1 = widget<QLineEdit>("Edit_IsdnMSN1");
    msn1->clear();
    QTest::keyClicks(msn1, "4711");
    EXPECT_EQ(widget<QLineEdit>("Edit_IsdnDN1")->text(), "4711");
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*W=0\r", "AT*P1=4711\r", "at&wz!\r"}) + kReadBack);
}

TEST_F(IsdnPage, LeavingAfterASwitchTypeChangeAsks)
{
    openLinePage();
    chooseSwitchType(4);
    ui.messageAnswers = {IDYES};
    clickTab("Data");
    EXPECT_EQ(ui.messages().value(0), "Do you want to save changes?");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 2), QStringList({"AT*W=4\r", "at&wz!\r"}));
}

TEST_F(IsdnPage, IdslFromNationalIsdn2Gives128K)
{
    ta.replies["ati12"].replace("*W =2", "*W =3");
    click("SaveBtn");   // re-read with the new switch type
    ASSERT_TRUE(waitSaveEnd());
    ta.received.clear();
    openLinePage();
    ASSERT_EQ(widget<QComboBox>("Switch_Combo")->count(), 7);   // leased-line capable TA
    chooseSwitchType(6);
    EXPECT_TRUE(widget<QWidget>("GBox_LeasedLine")->isVisible());
    EXPECT_TRUE(widget<QRadioButton>("RadioBtn_128K_2BC")->isChecked());
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 2), QStringList({"AT*W=7\r", "at&wz!\r"}));
}

TEST_F(IsdnPage, LeasedLineBandwidthChosen)
{
    ta.replies["ati12"].replace("*W =2 National ISDN-1", "*W =7 IDSL");
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd());
    ta.received.clear();
    openLinePage();
    ASSERT_TRUE(widget<QRadioButton>("RadioBtn_128K_2BC")->isChecked());
    auto *k144 = widget<QRadioButton>("RadioBtn_144K_2BC_D");
    ASSERT_TRUE(k144->isVisible());
    QTest::mouseClick(k144, Qt::LeftButton, {}, QPoint(5, k144->height() / 2));
    ASSERT_TRUE(k144->isChecked());
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 2), QStringList({"AT*W=8\r", "at&wz!\r"}));
}

// Leaving for the Location tab saves the switch type first; the country list
// is asked for only once the save and its read-back are through.
TEST_F(IsdnPage, SaveOnTheWayToTheLocationTabRunsToItsEnd)
{
    ta.replies["at~c?"] = "\r\n00:US/Canada\r\n01:Germany\r\n\r\nOK\r\n";
    openLinePage();
    chooseSwitchType(4);
    ui.messageAnswers = {IDYES};
    clickTab("Location");
    ASSERT_EQ(activePage()->objectName(), "CountrySheet");
    ASSERT_TRUE(waitFor([&] { return ta.received.contains("at~c?\r") && !progressVisible() &&
                                     !quillon()->DataTimer->isEnabled(); }))
        << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*W=4\r", "at&wz!\r"}) + kReadBack + QStringList{"at~c?\r"});
    EXPECT_EQ(ui.messages(), QStringList({"Do you want to save changes?", "Modem Configured Successfully!"}));
    EXPECT_TRUE(form()->isEnabled());
    EXPECT_EQ(widget<QComboBox>("Combo_Country")->count(), 2);
    EXPECT_FALSE(widget<QPushButton>("SaveBtn")->isEnabled());   // nothing to save on this page
    EXPECT_TRUE(widget<QPushButton>("CountryBtn")->isEnabled());
}

// The country page disables Save; the next page enables it again.
TEST_F(IsdnPage, SaveComesBackAfterTheLocationTab)
{
    ta.replies["at~c?"] = "\r\n00:US/Canada\r\n01:Germany\r\n\r\nOK\r\n";
    click("ConfigureBtn");
    clickTab("Location");
    ASSERT_EQ(activePage()->objectName(), "CountrySheet");
    EXPECT_FALSE(widget<QPushButton>("SaveBtn")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return widget<QComboBox>("Combo_Country")->count() == 2 &&
                                     !quillon()->DataTimer->isEnabled(); }));
    clickTab("Voice ");
    ASSERT_EQ(activePage()->objectName(), "VoiceSheet");
    EXPECT_TRUE(widget<QPushButton>("SaveBtn")->isEnabled());
    ta.received.clear();
    widget<QCheckBox>("CkBox_ADP2_CallerID")->click();
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT#I2=0\r", "at&w\r"}) + kReadBack);
}

// A leased-line TA without the IDSL item shows its type as the last item;
// choosing that item again changes nothing and writes nothing.
TEST_F(IsdnPage, RechoosingTheShownTypeWithoutTheIdslItemWritesNothing)
{
    ta.replies["ati12"].replace("*W =2 National ISDN-1", "*W =7 IDSL");
    ta.replies["ati7"].replace("00524001", "00524000");   // not leased-line capable
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd());
    ta.received.clear();
    ui.shown.clear();
    openLinePage();
    auto *box = widget<QComboBox>("Switch_Combo");
    ASSERT_EQ(box->count(), 6);
    ASSERT_EQ(box->currentIndex(), 5);
    chooseSwitchType(5);
    clickTab("Data");
    EXPECT_TRUE(ui.messages().isEmpty());   // no change to ask about
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList{"AT\r"} + kReadBack);
}
