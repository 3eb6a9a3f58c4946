// The read-back chain against a scripted TA: order, branches, retries and
// the failures a TA can produce.
#include "formtest.h"

#include "clock.h"
#include "quillonform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTabBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class Readback : public QuillonFormTest {
protected:
    QStringList queries() const
    {
        QStringList out;
        for (const QString &line : ta.received)
            if (line.startsWith("ati"))
                out.append(line);
        return out;
    }
    static inline const QString kNoAnswer =
        "Failed to recieve response from modem.  Please verify the connection!";
};

TEST_F(Readback, DomesticChainSkipsCallForwardingAndSetsClockOnce)
{
    initialize();
    ASSERT_TRUE(showApplication());
    EXPECT_EQ(queries(), (QStringList{"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati19\r", "ati4\r"}));
    ASSERT_TRUE(waitFor([&] { return ta.received.size() >= 8; }));
    EXPECT_TRUE(ta.received[6].startsWith("AT#T="));
    EXPECT_TRUE(ta.received[7].startsWith("AT#D="));
    // US/Canada: month first.
    const QDate today = QDate::currentDate();
    EXPECT_EQ(ta.received[7], QStringLiteral("AT#D=%1:%2:%3\r").arg(today.month()).arg(today.day())
                                  .arg(today.year() % 100, 2, 10, QLatin1Char('0')));
    EXPECT_FALSE(widget<QWidget>("CallForwardBtn")->isVisibleTo(form()));
    EXPECT_FALSE(widget<QWidget>("Basic_CallFBtn")->isVisibleTo(form()));
    EXPECT_TRUE(widget<QWidget>("CallScreenBtn")->isVisibleTo(widget<QWidget>("VoiceSheet")));
    EXPECT_TRUE(form()->isEnabled());
    // The basic page shows what was read.
    EXPECT_EQ(widget<QComboBox>("Outgoing_Combo")->currentIndex(), 2);
    EXPECT_EQ(widget<QComboBox>("DVO_Combo")->currentIndex(), 1);
    EXPECT_EQ(widget<QComboBox>("CBox_BasicPort1")->currentIndex(), 1);
    EXPECT_EQ(widget<QComboBox>("CBox_BasicPort1")->count(), 3);
    EXPECT_EQ(widget<QComboBox>("CBox_BasicPort1")->itemText(1), "5551001 (DN1)");
    EXPECT_TRUE(widget<QRadioButton>("RadioBtn_64K")->isChecked());

    // A second chain on the same form does not set the clock again.
    ASSERT_TRUE(waitFor([&] { return qobject_cast<TQuillonForm *>(form())->clockSet; }));
    const int before = int(ta.received.size());
    q.show(0, 1, "APPLICATION", "US/Canada");
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(waitFor([&] { return ta.received.size() >= before + 6 && !progressVisible(); }));
    pumpEvents(150);
    EXPECT_EQ(ta.received.size(), before + 6);
    EXPECT_FALSE(ta.received.last().startsWith("AT#"));
}

TEST_F(Readback, EuroIsdnAsksCallForwardingFirst)
{
    ta.loadStandardReplies(0);
    initialize("European");
    q.show(1, 1, "APPLICATION", "Germany Internal");
    ASSERT_TRUE(waitChainEnd());
    EXPECT_EQ(queries(), (QStringList{"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati20\r", "ati19\r", "ati4\r"}));
    EXPECT_TRUE(widget<QWidget>("Basic_CallFBtn")->isVisibleTo(form()));
    EXPECT_EQ(widget<QComboBox>("CBox_BasicPort1")->count(), 4);   // DN3 on EuroISDN
    EXPECT_EQ(q.europeanStatus(), 1);
    EXPECT_EQ(q.helpId(), 201);
    // Day first outside US/Canada.
    ASSERT_TRUE(waitFor([&] { return ta.received.size() >= 9; }));
    const QDate today = QDate::currentDate();
    EXPECT_EQ(ta.received[8], QStringLiteral("AT#D=%1:%2:%3\r").arg(today.day()).arg(today.month())
                                  .arg(today.year() % 100, 2, 10, QLatin1Char('0')));
}

TEST_F(Readback, ErrorToCallForwardingAndScreeningHidesTheirButtons)
{
    ta.loadStandardReplies(0);
    ta.replies["ati20"] = "\r\nERROR\r\n";
    ta.replies["ati19"] = "\r\nERROR\r\n";
    initialize("European");
    q.show(1, 1, "APPLICATION", "Germany");
    ASSERT_TRUE(waitChainEnd());
    EXPECT_EQ(queries(), (QStringList{"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati20\r", "ati19\r", "ati4\r"}));
    EXPECT_FALSE(widget<QWidget>("Basic_CallFBtn")->isVisibleTo(form()));
    EXPECT_FALSE(widget<QWidget>("CallForwardBtn")->isVisibleTo(form()));
    EXPECT_FALSE(widget<QWidget>("CallScreenBtn")->isVisibleTo(widget<QWidget>("VoiceSheet")));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(Readback, SilentTaReportsOnceAndLeavesFormUsable)
{
    ta.silent = true;
    initialize();
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty(); }));
    EXPECT_EQ(ui.messages(), QStringList{kNoAnswer});
    EXPECT_EQ(ta.received, (QStringList{"ati12\r", "ati12\r"}));
    EXPECT_FALSE(progressVisible());
    EXPECT_TRUE(form()->isEnabled());
    EXPECT_EQ(activePage()->objectName(), "BasicSheet");
    pumpEvents(300);
    EXPECT_EQ(ta.received.size(), 2);
    // The form still moves between pages.
    QTest::mouseClick(widget<QPushButton>("ConfigureBtn"), Qt::LeftButton);
    EXPECT_EQ(activePage()->objectName(), "DataSheet");
}

TEST_F(Readback, SingleLostReplyIsRetried)
{
    ta.dropFirst["ati16"] = 1;
    initialize();
    ASSERT_TRUE(showApplication());
    EXPECT_EQ(queries(), (QStringList{"ati12\r", "ati15\r", "ati16\r", "ati16\r", "ati7\r", "ati19\r", "ati4\r"}));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(Readback, GarbageInsteadOfReportFails)
{
    ta.replies["ati15"] = "\r\n#$%&garbage\x01\x02 no report here\r\n";
    initialize();
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty(); }));
    EXPECT_EQ(ui.messages(), QStringList{kNoAnswer});
    EXPECT_EQ(queries(), (QStringList{"ati12\r", "ati15\r", "ati15\r"}));
    EXPECT_TRUE(form()->isEnabled());
}

TEST_F(Readback, GarbageAroundReportsIsIgnored)
{
    const QByteArray report = ta.replies["ati15"];
    ta.replies["ati15"] = "\x7f\x80zz" + report + "junk";
    ta.replies["ati16"] = "noise\r\n" + ta.replies["ati16"];
    initialize();
    ASSERT_TRUE(showApplication());
    EXPECT_EQ(queries(), (QStringList{"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati19\r", "ati4\r"}));
    EXPECT_EQ(widget<QComboBox>("CBox_BasicPort2")->currentIndex(), 2);
}

TEST_F(Readback, HalfAReportIsRetriedThenReported)
{
    ta.replies["ati7"] = "\r\nVarnel Brenmoor ISDN Hardware Profile\r\nProduct type  US/Ca";
    initialize();
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty(); }));
    EXPECT_EQ(ui.messages(), QStringList{kNoAnswer});
    EXPECT_EQ(queries().mid(3), (QStringList{"ati7\r", "ati7\r"}));
    EXPECT_TRUE(form()->isEnabled());
}

TEST_F(Readback, ErrorReplyShortensTheWait)
{
    initialize();
    auto *timer = form()->findChild<ScaledTimer *>("DataTimer");
    ASSERT_NE(timer, nullptr);
    ta.replies["ati16"] = "\r\nERROR\r\n";
    ta.dropFirst["ati16"] = 0;
    q.show(1, 1, "APPLICATION", "US/Canada");
    // After the error the pending query is asked again at once and then reported.
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty(); }));
    EXPECT_EQ(queries(), (QStringList{"ati12\r", "ati15\r", "ati16\r", "ati16\r"}));
    EXPECT_EQ(timer->interval(), 5000);
}

TEST_F(Readback, ErrorScanRestartsWithEveryBatch)
{
    initialize();
    auto *timer = form()->findChild<ScaledTimer *>("DataTimer");
    ASSERT_NE(timer, nullptr);
    ta.silent = true;
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(waitReceived(1));
    // "E" directly before "ERROR\r" hides it from the scan.
    ta.send("EERROR\r");
    pumpEvents(30);
    EXPECT_EQ(timer->interval(), 5000);
    // Split over two batches it is not seen either.
    ta.send("ERR");
    pumpEvents(30);
    ta.send("OR\r");
    pumpEvents(30);
    EXPECT_EQ(timer->interval(), 5000);
    ta.send("xxERROR\r\n");
    ASSERT_TRUE(waitFor([&] { return timer->interval() == 500 || ta.received.size() > 1; }, 2000));
}

TEST_F(Readback, CountryPageAsksForTheListOnce)
{
    ta.replies["at~c?"] = "\r\n00:US/Canada\r\n01:Germany\r\n02:United Kingdom\r\n\r\nOK\r\n";
    initialize();
    ASSERT_TRUE(showApplication());
    ASSERT_TRUE(waitReceived(8));
    pumpEvents(50);
    QTest::mouseClick(widget<QPushButton>("ConfigureBtn"), Qt::LeftButton);
    auto *pc = widget<TPageControl>("PageControl1");
    ASSERT_TRUE(pc->isTabVisible(widget<QWidget>("CountrySheet")));
    for (int i = 0; i < pc->tabBar()->count(); ++i)
        if (pc->tabBar()->tabText(i) == "Location")
            pc->tabBar()->setCurrentIndex(i);
    ASSERT_EQ(activePage()->objectName(), "CountrySheet");
    EXPECT_FALSE(widget<QPushButton>("SaveBtn")->isEnabled());
    auto *combo = widget<QComboBox>("Combo_Country");
    ASSERT_TRUE(waitFor([&] { return combo->count() == 3; }));
    EXPECT_EQ(combo->itemText(2), "02:United Kingdom");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(widget<QLabel>("LabelCountry")->text(), "US/Canada");
    EXPECT_EQ(q.helpId(), 330);
    EXPECT_EQ(ta.received.count("at~c?\r"), 1);
}

TEST_F(Readback, InternetSetupNotifiesHost)
{
    initialize();
    ASSERT_TRUE(showApplication());
    ASSERT_TRUE(waitReceived(8));
    pumpEvents(50);
    ta.received.clear();
    auto *save = widget<QPushButton>("SaveBtn");
    save->setText("OK");   // the caption the wizard's end gives it
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty(); }));
    EXPECT_EQ(ta.received.value(0), "AT&F4&w\r");
    EXPECT_EQ(ta.received.value(1), "ati12\r");
    EXPECT_EQ(ui.messages(), QStringList{"ISDN TA Configured Successfully for the Internet Access!."});
    EXPECT_EQ(q.getOverride(), 120);
    EXPECT_TRUE(waitFor([&] { return host->messages.contains(kNotifyMessage); }, 2000));
}

TEST_F(Readback, NationalIsdn1VoiceLayoutShowsVoiceMail)
{
    initialize();
    ASSERT_TRUE(showApplication());
    QWidget *voice = widget<QWidget>("VoiceSheet");
    auto *mail = widget<QCheckBox>("CkBox_VoiceMail");
    EXPECT_TRUE(mail->isVisibleTo(voice));
    EXPECT_EQ(mail->y(), 232);
    EXPECT_EQ(widget<QWidget>("GBox_Port1")->height(), 170);
    EXPECT_EQ(widget<QWidget>("Combo_Voice_DVO")->y(), 195);
    EXPECT_EQ(widget<QWidget>("AdvVoice1Btn")->y(), 135);
}

TEST_F(Readback, OtherSwitchTypesHideVoiceMail)
{
    ta.loadStandardReplies(3);
    initialize();
    ASSERT_TRUE(showApplication());
    QWidget *voice = widget<QWidget>("VoiceSheet");
    EXPECT_FALSE(widget<QWidget>("CkBox_VoiceMail")->isVisibleTo(voice));
    EXPECT_EQ(widget<QWidget>("GBox_Port1")->height(), 201);
    EXPECT_EQ(widget<QWidget>("SText_DynVO")->y(), 224);
    EXPECT_EQ(widget<QWidget>("AdvVoice1Btn")->y(), 160);
}

TEST_F(Readback, LeasedLineBandwidthButtons)
{
    ta.loadStandardReplies(7);
    initialize("Leased Line");
    ASSERT_TRUE(showApplication());
    EXPECT_TRUE(widget<QRadioButton>("RadioBtn_128K_2BC")->isChecked());
    // Product ID 00524001: leased-line capable, so the 144K choice is offered.
    EXPECT_EQ(widget<QWidget>("GroupBox22")->height(), 120);
    EXPECT_TRUE(widget<QWidget>("RadioBtn_144K_2BC_D")->isVisibleTo(widget<QWidget>("GroupBox22")));
    EXPECT_EQ(widget<QComboBox>("Switch_Combo")->count(), 7);
    EXPECT_EQ(widget<QComboBox>("Switch_Combo")->currentIndex(), 6);

    ta.replies["ati7"] = "\r\nHardware Profile\r\nProduct type  US/Canada External\r\nProduct ID    00524000\r\n\r\nOK\r\n";
    q.show(0, 1, "APPLICATION", "US/Canada");
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(waitFor([&] { return ta.received.count("ati4\r") == 2 && !progressVisible(); }));
    EXPECT_EQ(widget<QWidget>("GroupBox22")->height(), 73);
    EXPECT_FALSE(widget<QWidget>("RadioBtn_144K_2BC_D")->isVisibleTo(widget<QWidget>("GroupBox22")));
    EXPECT_EQ(widget<QComboBox>("Switch_Combo")->count(), 6);
}

TEST_F(Readback, CallForwardingPageRefreshesNetworkStatusWithOneQuery)
{
    ta.loadStandardReplies(0);
    initialize("European");
    q.show(1, 1, "APPLICATION", "Germany");
    ASSERT_TRUE(waitChainEnd());
    ASSERT_TRUE(waitFor([&] { return qobject_cast<TQuillonForm *>(form())->clockSet; }));
    ta.received.clear();
    auto *button = widget<QPushButton>("Basic_CallFBtn");
    ASSERT_TRUE(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(activePage()->objectName(), "CallFSheet");
    EXPECT_EQ(q.helpId(), 220);
    pumpEvents(50);
    EXPECT_TRUE(ta.received.isEmpty());   // parsed from the stored reply
    auto *f = qobject_cast<TQuillonForm *>(form());
    EXPECT_EQ(f->forwardRead.msn[0][0].number, "5552000");
    EXPECT_TRUE(f->forwardRead.msn[0][0].userEnabled);
    // Back to the basic page and in again: one fresh ati20, nothing after it.
    QTest::mouseClick(widget<QPushButton>("CallF_BackBtn"), Qt::LeftButton);
    EXPECT_EQ(activePage()->objectName(), "BasicSheet");
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(waitReceived(1));
    pumpEvents(200);
    EXPECT_EQ(ta.received, QStringList{"ati20\r"});
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(Readback, HidingDuringReadBackTakesProgressAway)
{
    ta.silent = true;
    initialize();
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(progressVisible());
    q.show(0, 1, "APPLICATION", "US/Canada");
    EXPECT_FALSE(progressVisible());
    EXPECT_TRUE(form()->isEnabled());
    pumpEvents(300);
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(Readback, EuroIsdnNumberItems)
{
    ta.loadStandardReplies(0);
    ta.replies["ati15"].replace("*R =4", "*R =5");
    initialize("European");
    q.show(1, 1, "APPLICATION", "Germany");
    ASSERT_TRUE(waitChainEnd());
    QTest::mouseClick(widget<QPushButton>("ConfigureBtn"), Qt::LeftButton);
    auto *dn = widget<QComboBox>("Combo_DataDN");
    EXPECT_EQ(dn->count(), 9);
    EXPECT_EQ(dn->itemText(1), "Answer MSN1 - 5551001");
    EXPECT_EQ(dn->currentIndex(), 5);
    EXPECT_EQ(dn->currentText(), "Answer MSN1 or MSN3");
    EXPECT_EQ(widget<QComboBox>("Combo_ADP1_DN")->itemText(3), "5551003 (MSN3)");
    EXPECT_EQ(widget<QComboBox>("CBox_BasicPort2")->itemText(2), "5551002 (MSN2)");
}
