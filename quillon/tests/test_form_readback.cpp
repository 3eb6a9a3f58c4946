// The read-back chain against a scripted TA: order, branches, retries and
// the failures a TA can produce.
#include "formtest.h"

#include "clock.h"
#include "quillonform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
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

// The reply timer at its real length (5000 ms, 500 ms after an "ERROR"), so
// that the two lengths cannot be mistaken for each other.
class ReplyTimer : public Readback {
protected:
    void SetUp() override
    {
        previousScale_ = tl::timeScale();
        tl::setTimeScale(1.0);   // taken by the form's timers when they are made
        Readback::SetUp();
        clock.start();
        ta.hook = [this](const QString &command) -> std::optional<QByteArray> {
            sentAt.append({command, clock.elapsed()});
            return std::nullopt;
        };
    }
    void TearDown() override
    {
        Readback::TearDown();
        tl::setTimeScale(previousScale_);
    }
    QElapsedTimer clock;
    QList<QPair<QString, qint64>> sentAt;   // each line the TA got, with its time
    double previousScale_ = 1.0;
};

TEST_F(ReplyTimer, ErrorReplyShortensTheWaitForTheRetryAndTheReport)
{
    ta.replies["ati16"] = "\r\nERROR\r\n";
    initialize();
    q.show(1, 1, "APPLICATION", "US/Canada");
    qint64 reportedAt = -1;
    ui.onMessage = [&](const QString &) { reportedAt = clock.elapsed(); };
    ASSERT_TRUE(waitFor([&] { return reportedAt >= 0; }, 8000));
    EXPECT_EQ(queries(), (QStringList{"ati12\r", "ati15\r", "ati16\r", "ati16\r"}));
    EXPECT_EQ(ui.messages(), QStringList{kNoAnswer});
    ASSERT_EQ(sentAt.size(), 4);
    // Each wait after an "ERROR" is about 500 ms, far below the 5000 ms of a silence.
    const qint64 retryWait = sentAt[3].second - sentAt[2].second;
    const qint64 reportWait = reportedAt - sentAt[3].second;
    EXPECT_GE(retryWait, 400);
    EXPECT_LT(retryWait, 2500);
    EXPECT_GE(reportWait, 400);
    EXPECT_LT(reportWait, 2500);
    EXPECT_EQ(form()->findChild<ScaledTimer *>("DataTimer")->interval(), 5000);
}

TEST_F(ReplyTimer, ErrorScanRestartsWithEveryBatch)
{
    initialize();
    ta.silent = true;
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(waitReceived(1));
    const qint64 queryAt = clock.elapsed();
    // "E" directly before "ERROR\r" hides it from the scan.
    ta.send("EERROR\r");
    pumpEvents(300);
    // Split over two batches it is not seen either.
    ta.send("ERR");
    pumpEvents(300);
    ta.send("OR\r");
    pumpEvents(900);
    EXPECT_EQ(ta.received.size(), 1) << "retried after " << clock.elapsed() << " ms";
    // Now a whole "ERROR\r" in one batch: the retry follows within about 500 ms,
    // well before the 5000 ms the first query started.
    const qint64 errorAt = clock.elapsed();
    ta.send("xxERROR\r\n");
    ASSERT_TRUE(waitFor([&] { return ta.received.size() >= 2; }, 6000));
    const qint64 retryAt = clock.elapsed();
    EXPECT_EQ(ta.received.value(1), "ati12\r");
    EXPECT_LT(retryAt - errorAt, 2000);
    EXPECT_LT(retryAt - queryAt, 4500);
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

// The internet setup is the role of an "OK" caption outside the profile and
// congratulations pages. Since the caption follows the page shown, no page
// offers it any longer (see Save.DataPageReachedFromTheProfilesSavesItsEdit);
// the role is kept and driven here through that caption.
class InternetSetup : public QuillonFormTest {
protected:
    void SetUp() override
    {
        QuillonFormTest::SetUp();
        initialize();
        ASSERT_TRUE(showApplication());
        ASSERT_TRUE(waitFor([&] { return qobject_cast<TQuillonForm *>(form())->clockSet; }));
        ta.received.clear();
    }
    void pressOk()
    {
        auto *save = widget<QPushButton>("SaveBtn");
        save->setText("OK");
        QTest::mouseClick(save, Qt::LeftButton);
    }
};

TEST_F(InternetSetup, ConfirmedSetupNotifiesHost)
{
    pressOk();
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty(); }));
    EXPECT_EQ(ta.received.value(0), "AT&F4&w\r");
    EXPECT_EQ(ta.received.value(1), "ati12\r");
    EXPECT_EQ(ui.messages(), QStringList{"ISDN TA Configured Successfully for the Internet Access!."});
    EXPECT_EQ(q.getOverride(), 120);
    EXPECT_TRUE(waitFor([&] { return host->messages.contains(kNotifyMessage); }, 2000));
}

TEST_F(InternetSetup, UnansweredTemplateIsReportedAsAFailure)
{
    ta.dropFirst["at&f4&w"] = 2;
    pressOk();
    ASSERT_TRUE(waitFor([&] { return !ui.messages().isEmpty() && !progressVisible(); }));
    EXPECT_EQ(ta.received.mid(0, 3), QStringList({"AT&F4&w\r", "AT&F4&w\r", "ati12\r"}));
    EXPECT_EQ(ui.messages(), QStringList{"Error while trying to configure the modem!"});
    EXPECT_EQ(q.getOverride(), 0);
    pumpEvents(200);
    EXPECT_TRUE(host->messages.isEmpty());
}

// Each caption of the voice page stands on the line of its controls.
static void expectCaptionsBesideControls(QWidget *page, bool voiceMail)
{
    QList<std::pair<const char *, const char *>> pairs = {
        {"SText_DN", "Combo_ADP1_DN"},           {"SText_CallerID", "CkBox_ADP1_CallerID"},
        {"SText_BearerCap", "Combo_ADP1_Bearer"}, {"SText_ReceiveVol", "TrackBar_ADP1_RecieveVol"},
        {"SText_AdvCall", "AdvCall1_CkBox"},      {"SText_DynVO", "Combo_Voice_DVO"}};
    if (voiceMail)
        pairs.append(std::pair{"STextVoiceMail", "CkBox_VoiceMail"});
    for (const auto &[captionName, controlName] : pairs) {
        auto *caption = page->findChild<QLabel *>(captionName);
        auto *control = page->findChild<QWidget *>(controlName);
        ASSERT_TRUE(caption && control);
        // A caption's (first) line: centred in its height, or at its top when it may wrap.
        const int captionTop = caption->mapTo(page, QPoint()).y();
        const int captionMiddle = caption->alignment() & Qt::AlignTop
                                      ? captionTop + caption->fontMetrics().height() / 2
                                      : captionTop + caption->height() / 2;
        const int controlMiddle = control->mapTo(page, QPoint(0, control->height() / 2)).y();
        EXPECT_LE(std::abs(captionMiddle - controlMiddle), 4) << captionName << " beside " << controlName;
    }
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
    expectCaptionsBesideControls(voice, true);
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
    expectCaptionsBesideControls(voice, false);
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
