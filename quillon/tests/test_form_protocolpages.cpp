// The PPP, dynamic bandwidth and X.75 pages driven through their widgets:
// what they show from the stored replies, their enabling rules and the exact
// lines a save sends.
#include "formtest.h"

#include "quillonform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

class ProtocolPages : public QuillonFormTest {
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
    void openFromDataPage(const char *button, const char *page)
    {
        click("ConfigureBtn");
        ASSERT_EQ(activePage()->objectName(), "DataSheet");
        click(button);
        ASSERT_EQ(activePage()->objectName(), page);
    }
    void typeInto(QSpinBox *spin, const char *text)
    {
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, text);
        QTest::keyClick(spin, Qt::Key_Return);
    }
    bool waitSaveEnd() { return waitFor([&] { return ta.received.contains("ati4\r") && !progressVisible(); }); }
    static inline const QStringList kReadBack = {"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati19\r", "ati4\r"};
    TQuillonForm *quillon() const { return qobject_cast<TQuillonForm *>(form()); }
};

TEST_F(ProtocolPages, PppPageShowsReadValuesAndFollowsItsEnablingRules)
{
    openFromDataPage("PPPBtn", "PPPSheet");
    auto *mode = widget<QComboBox>("PPPmode_ComboBox");
    EXPECT_EQ(mode->count(), 4);
    EXPECT_EQ(mode->currentIndex(), 1);   // "*PPP =2"
    EXPECT_EQ(widget<QComboBox>("Combo_PPPCompression")->currentIndex(), 1);
    EXPECT_EQ(widget<QComboBox>("Combo_PPPEndpoint")->currentIndex(), 0);
    EXPECT_FALSE(widget<QLineEdit>("Edit_PPPEndpoint")->isEnabled());
    EXPECT_FALSE(widget<QCheckBox>("BACP_CkBox")->isChecked());
    EXPECT_FALSE(widget<QLineEdit>("Edit_PPPLocal")->isEnabled());
    EXPECT_FALSE(widget<QLineEdit>("Edit_PPPLongDist")->isEnabled());
    EXPECT_FALSE(widget<QPushButton>("PPPDBABtn")->isEnabled());

    mode->setCurrentIndex(3);
    EXPECT_TRUE(widget<QPushButton>("PPPDBABtn")->isEnabled());
    widget<QComboBox>("Combo_PPPEndpoint")->setCurrentIndex(4);
    EXPECT_TRUE(widget<QLineEdit>("Edit_PPPEndpoint")->isEnabled());
    widget<QCheckBox>("BACP_CkBox")->click();
    EXPECT_TRUE(widget<QLineEdit>("Edit_PPPLocal")->isEnabled());
    EXPECT_TRUE(widget<QLineEdit>("Edit_PPPLongDist")->isEnabled());
    mode->setCurrentIndex(2);
    EXPECT_FALSE(widget<QPushButton>("PPPDBABtn")->isEnabled());
}

TEST_F(ProtocolPages, PppSaveSendsItsTwoSlotsInOrder)
{
    openFromDataPage("PPPBtn", "PPPSheet");
    widget<QComboBox>("PPPmode_ComboBox")->setCurrentIndex(2);
    auto *bacp = widget<QCheckBox>("BACP_CkBox");
    QTest::mouseClick(bacp, Qt::LeftButton, {}, QPoint(5, bacp->height() / 2));
    ASSERT_TRUE(bacp->isChecked());
    QTest::keyClicks(widget<QLineEdit>("Edit_PPPLocal"), "9x");
    QTest::keyClicks(widget<QLineEdit>("Edit_PPPLongDist"), "01");
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*C2=01\r", "AT*PPP=3*B=1*C1=9\r", "at&w\r"}) + kReadBack);
    EXPECT_EQ(ui.messages(), QStringList{"Modem Configured Successfully!"});
}

TEST_F(ProtocolPages, LongDistancePrefixWithoutBacpSendsNothing)
{
    openFromDataPage("PPPBtn", "PPPSheet");
    // The edit is disabled while BACP/BAP is off; a value set anyway is not sent.
    widget<QLineEdit>("Edit_PPPLongDist")->setText("01");
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList{"AT\r"} + kReadBack);
}

TEST_F(ProtocolPages, EndpointClassWithoutValueStopsTheSave)
{
    openFromDataPage("PPPBtn", "PPPSheet");
    widget<QComboBox>("Combo_PPPEndpoint")->setCurrentIndex(2);
    click("SaveBtn");
    EXPECT_EQ(ui.messages(), QStringList{"Please provide an Endpoint Discriminator value in the PPP Settings."});
    EXPECT_TRUE(ta.received.isEmpty());
    EXPECT_TRUE(widget<QPushButton>("SaveBtn")->isEnabled());

    // Only a decimal number other than 0: no blank, no sign.
    auto *edit = widget<QLineEdit>("Edit_PPPEndpoint");
    for (const char *typed : {" 42", "+42", "-42", "42 ", "0", "00", "4x2"}) {
        edit->clear();
        QTest::keyClicks(edit, typed);
        ui.shown.clear();
        click("SaveBtn");
        EXPECT_EQ(ui.messages(), QStringList{"Please provide an Endpoint Discriminator value in the PPP Settings."})
            << typed;
    }
    pumpEvents(50);
    EXPECT_TRUE(ta.received.isEmpty()) << ta.received.join("|").toStdString();
    edit->clear();
    QTest::keyClicks(edit, "77");
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.value(0), "AT*U=2,77\r");
}

TEST_F(ProtocolPages, ThresholdsFromThePppPage)
{
    openFromDataPage("PPPBtn", "PPPSheet");
    widget<QComboBox>("PPPmode_ComboBox")->setCurrentIndex(3);
    click("PPPDBABtn");
    ASSERT_EQ(activePage()->objectName(), "ThresholdSheet");
    EXPECT_EQ(widget<QSpinBox>("Edit_AddMinB1")->value(), 0);
    EXPECT_EQ(widget<QSpinBox>("Edit_AddSecB1")->value(), 15);
    EXPECT_EQ(widget<QSpinBox>("Edit_DropMinB1")->value(), 3);
    EXPECT_EQ(widget<QSpinBox>("Edit_DropSecB1")->value(), 0);
    EXPECT_EQ(widget<QSlider>("TrackBar_AddThreshold_B2")->value(), 75);
    EXPECT_EQ(widget<QSpinBox>("Edit_DropThresholdB2")->value(), 50);

    typeInto(widget<QSpinBox>("Edit_DropSecB1"), "5");
    widget<QSlider>("TrackBar_AddThreshold_B2")->setValue(80);
    EXPECT_EQ(widget<QSpinBox>("Edit_AddThresholdB2")->value(), 80);
    click("Threshold_BackBtn");
    EXPECT_EQ(activePage()->objectName(), "PPPSheet");
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*PPP=4\r", "AT*A2=185*D3=80\r", "at&w\r"}) + kReadBack);
}

TEST_F(ProtocolPages, X75TypedValuesAreBoundedAndSent)
{
    openFromDataPage("X75Btn", "X75Sheet");
    auto *frame = widget<QSpinBox>("Edit_Frame");
    auto *window = widget<QSpinBox>("Edit_Window");
    EXPECT_EQ(frame->value(), 2048);
    EXPECT_EQ(window->value(), 7);
    EXPECT_EQ(widget<QComboBox>("Combo_Layer3")->currentIndex(), 0);

    typeInto(window, "9");
    EXPECT_EQ(window->value(), 7);
    typeInto(window, "0");
    EXPECT_EQ(window->value(), 1);
    typeInto(frame, "5000");
    EXPECT_EQ(frame->value(), 2048);
    typeInto(frame, "2a56");
    EXPECT_EQ(frame->value(), 256);
    widget<QComboBox>("Combo_Layer3")->setCurrentIndex(2);
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*X0=256*X1=1*X3=4\r", "at&w\r"}) + kReadBack);
}

TEST_F(ProtocolPages, AodiPageEnablingAndTei)
{
    openFromDataPage("Btn_AODI", "AODISheet");
    auto *group = widget<QGroupBox>("GBox_AODI");
    auto *spin = widget<QSpinBox>("CSpinEdit_AODI_TEI");
    EXPECT_FALSE(widget<QCheckBox>("CkBox_EnAODI")->isChecked());
    EXPECT_FALSE(group->isEnabled());
    EXPECT_EQ(widget<QComboBox>("Combo_AODI_TEI")->currentIndex(), 0);   // "*TD =255"
    EXPECT_EQ(widget<QComboBox>("Combo_AODI_Bandwidth")->currentIndex(), 2);

    widget<QCheckBox>("CkBox_EnAODI")->click();
    EXPECT_TRUE(group->isEnabled());
    EXPECT_FALSE(spin->isEnabled());
    widget<QComboBox>("Combo_AODI_TEI")->setCurrentIndex(1);
    EXPECT_TRUE(spin->isEnabled());
    EXPECT_EQ(spin->value(), 21);
    // A typed key is not taken as a digit: it sets the TEI to 0.
    spin->setFocus();
    QTest::keyClicks(spin, "5");
    EXPECT_EQ(spin->value(), 0);
    spin->stepUp();
    EXPECT_EQ(spin->value(), 1);
    spin->setValue(80);
    EXPECT_EQ(spin->value(), 63);
}

TEST_F(ProtocolPages, AodiSaveWritesItsSlotsAndRestartsTheTa)
{
    openFromDataPage("Btn_AODI", "AODISheet");
    widget<QCheckBox>("CkBox_EnAODI")->click();
    QTest::keyClicks(widget<QLineEdit>("Edit_AODI_Provider"), "10XXY");
    QTest::keyClicks(widget<QLineEdit>("Edit_AODI_DN"), "555-0100");
    widget<QComboBox>("Combo_AODI_TEI")->setCurrentIndex(1);
    widget<QComboBox>("Combo_AODI_Bandwidth")->setCurrentIndex(1);
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*A=1\r", "AT*A0=1\r", "AT*C0=10XX\r", "AT*PD=5550100\r",
                                        "AT*TD=21\r", "at&wz!\r"}) +
                               kReadBack);
}

TEST_F(ProtocolPages, AodiSwitchedOffSendsOnlyTheSwitch)
{
    ta.replies["ati12"].replace("*A =0", "*A =1");
    ta.replies["ati12"].replace("*PD = ", "*PD =5550100 ");
    // A fresh read-back with AO/DI on: saving the untouched basic page re-reads.
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd());
    ta.received.clear();
    openFromDataPage("Btn_AODI", "AODISheet");
    ASSERT_TRUE(widget<QCheckBox>("CkBox_EnAODI")->isChecked());
    EXPECT_EQ(widget<QLineEdit>("Edit_AODI_DN")->text(), "5550100");
    widget<QLineEdit>("Edit_AODI_DN")->setText("5559999");
    widget<QCheckBox>("CkBox_EnAODI")->click();
    EXPECT_FALSE(widget<QGroupBox>("GBox_AODI")->isEnabled());
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*A=0\r", "at&wz!\r"}) + kReadBack);
}

TEST_F(ProtocolPages, RestartOfAnEarlierResetTemplateDoesNotCarryOver)
{
    click("ConfigureBtn");
    widget<TPageControl>("PageControl1")->setActivePage(widget<QWidget>("ResetSheet"));
    quillon()->enterPage(widget<QWidget>("ResetSheet"));
    widget<QComboBox>("Combo_Reset")->setCurrentIndex(4);
    click("ResetBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    ASSERT_EQ(ta.received.value(1), "at&wz!\r");
    ta.received.clear();
    quillon()->showSubPage(widget<QWidget>("X75Sheet"));
    widget<QComboBox>("Combo_Layer3")->setCurrentIndex(1);
    click("SaveBtn");
    ASSERT_TRUE(waitSaveEnd()) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"AT*X3=2\r", "at&w\r"}) + kReadBack);
}
