// The ISDN line wizard against the scripted TA: the SPID step's checks and
// command, the detection polls and what their status texts lead to, the
// record of the TAs set up on this PC, Stop, the country step of a European
// first installation and the detection page's animation.
#include "formtest.h"

#include "clock.h"
#include "quillonform.h"
#include "registry.h"

#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
const QString kPortdeckKey = QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck");
const QString kSerialKey = QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\ISDN TA");
} // namespace

class Wizard : public QuillonFormTest {
protected:
    void SetUp() override
    {
        // Polls every 200 ms instead of 5 s; the form's timers take the factor when they are made.
        previousScale_ = tl::timeScale();
        tl::setTimeScale(0.04);
        QuillonFormTest::SetUp();
        reg::writeString(RegRoot::LocalMachine, kPortdeckKey, "Logging", "on");
        // After the line set-up, each ati12 shows the next status text; the last one stays.
        ta.hook = [this](const QString &command) -> std::optional<QByteArray> {
            const QString c = command.toLower();
            if (c.startsWith("at*z") && c.size() > 4) {
                polling = true;
                next = 0;
            } else if (c == "ati12" && polling) {
                const QString status = statuses.value(std::min(next, int(statuses.size()) - 1));
                ++next;
                seenAtPoll.append(activePage()->objectName() + "|" + widget<QLabel>("InfoText")->text());
                QByteArray reply = ta.replies.value("ati12");
                reply.replace("Device Status: Ready", "Device Status: " + status.toLatin1());
                return reply;
            }
            return std::nullopt;
        };
        initialize();
    }
    void TearDown() override
    {
        QuillonFormTest::TearDown();
        tl::setTimeScale(previousScale_);
    }

    TQuillonForm *quillon() const { return qobject_cast<TQuillonForm *>(form()); }
    void click(const char *name) { QTest::mouseClick(widget<QPushButton>(name), Qt::LeftButton); }
    QString page() const { return activePage()->objectName(); }
    int polls() const { return int(ta.received.count("ati12\r")); }
    QByteArray log() const
    {
        QFile f(root.file("drive_c/pdlog.txt"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Mode "SPID" up to the filled page, with what was sent so far forgotten.
    void startSpid()
    {
        q.show(1, 1, "SPID", "US/Canada External");
        ASSERT_TRUE(waitFor([&] { return !progressVisible() && widget<QPushButton>("SaveBtn")->isEnabled() &&
                                         widget<QLineEdit>("Edit_SpidAreaCode")->text() == "555"; }));
        ASSERT_EQ(page(), "SpidSheet");
        ta.received.clear();
    }
    void enter(const char *edit, const char *text)
    {
        widget<QLineEdit>(edit)->clear();
        QTest::keyClicks(widget<QLineEdit>(edit), text);
    }
    bool waitMessages(int count, int timeoutMs = 8000)
    {
        return waitFor([&] { return ui.messages().size() >= count; }, timeoutMs);
    }

    QStringList statuses{"Ready"};
    bool polling = false;
    int next = 0;
    QStringList seenAtPoll;   // page and InfoText when each detection poll arrived
    double previousScale_ = 1.0;
};

TEST_F(Wizard, MissingAreaCodeOrNumberIsRefusedAndNothingIsSent)
{
    startSpid();
    enter("Edit_SpidAreaCode", "55");
    click("SaveBtn");
    EXPECT_EQ(ui.messages(), QStringList{"Please provide your appropriate area code."});
    enter("Edit_SpidAreaCode", "555");
    widget<QLineEdit>("Edit_SpidDN1")->clear();
    click("SaveBtn");
    EXPECT_EQ(ui.messages().value(1), "Please provide your phone number1.");
    pumpEvents(300);
    EXPECT_TRUE(ta.received.isEmpty()) << ta.received.join("|").toStdString();
    EXPECT_EQ(page(), "SpidSheet");
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->text(), "&Next >");
}

TEST_F(Wizard, TwoReadyResultsCompleteANewTaOnTheCongratulationsPage)
{
    reg::writeString(RegRoot::LocalMachine, kSerialKey, "Serial Number1", "77777");
    statuses = {"Looking for ISDN Line", "Ready", "Ready"};
    startSpid();
    enter("Edit_SpidDN1", "5551234");
    widget<QLineEdit>("Edit_SpidDN2")->clear();
    click("SaveBtn");
    // One number: exactly one comma; nothing listens for the command's own answer.
    ASSERT_TRUE(waitReceived(1));
    ASSERT_EQ(ta.received.value(0), "at*Z555,5551234\r");
    EXPECT_EQ(page(), "DetectionSheet");
    EXPECT_FALSE(widget<QPushButton>("SaveBtn")->isVisible());
    EXPECT_EQ(widget<QPushButton>("Btn_CancelCongrats")->text(), "Stop");

    ASSERT_TRUE(waitFor([&] { return page() == "CongratsSheet"; })) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"at*Z555,5551234\r", "ati12\r", "ati12\r", "ati12\r"}));
    // The first "Ready" only led to another poll.
    EXPECT_EQ(seenAtPoll.value(2), "DetectionSheet|Ready");
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, kSerialKey, "Serial Number2"), "12345");
    EXPECT_EQ(quillon()->wizardState, "FirstTimeConfiguredQuillon");
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join("|").toStdString();
    EXPECT_EQ(widget<QLabel>("DN1Text")->text(), "5551001");
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->text(), "OK");   // a domestic line

    const QByteArray lines = log();
    EXPECT_TRUE(lines.contains("SPID output=ati12\n"));
    EXPECT_TRUE(lines.contains("spid wizard output = [at*Z555,5551234\r]\n"));
    EXPECT_TRUE(lines.contains("SendSpidWizardCommand() = 1\n"));
    EXPECT_EQ(lines.count("Detect_TimerTimer output=ati12\n"), 3);
    EXPECT_EQ(lines.count("Found SPID Ready\n"), 2);
    EXPECT_TRUE(lines.contains("Ready found\n"));
    EXPECT_TRUE(lines.contains("device_status=[FirstTimeConfiguredQuillon]\n"));
    pumpEvents(500);
    EXPECT_EQ(polls(), 3);
}

TEST_F(Wizard, TaRecordedBeforeGetsTheCompletionMessageAndNoRegistryWrite)
{
    reg::writeString(RegRoot::LocalMachine, kSerialKey, "Serial Number1", "77777");
    reg::writeString(RegRoot::LocalMachine, kSerialKey, "Serial Number2", "12345");
    QFile store(root.file("registry/HKEY_LOCAL_MACHINE.reg"));
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    const QByteArray before = store.readAll();
    store.close();
    statuses = {"Ready"};
    startSpid();
    enter("Edit_SpidDN2", "5555678");
    click("SaveBtn");
    ASSERT_TRUE(waitReceived(1));
    EXPECT_EQ(ta.received.value(0), "at*Z555,5551001,5555678\r");
    ASSERT_TRUE(waitMessages(1)) << ta.received.join("|").toStdString();
    EXPECT_EQ(ui.messages(), QStringList{"SPID Wizard completed successfully!"});
    EXPECT_EQ(quillon()->wizardState, "DetectedQuillon");
    EXPECT_EQ(page(), "DetectionSheet");
    EXPECT_EQ(widget<QLabel>("InfoText")->text(), "SPID Wizard Completed Successfully!");
    EXPECT_EQ(widget<QPushButton>("Btn_CancelCongrats")->text(), "OK");
    EXPECT_FALSE(widget<QPushButton>("SaveBtn")->isVisible());
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    EXPECT_EQ(store.readAll(), before);
    EXPECT_TRUE(log().contains("device_status=[DetectedQuillon]\n"));

    click("Btn_CancelCongrats");
    EXPECT_TRUE(waitFor([&] { return host->messages.contains(kNotifyMessage); }, 2000));
}

TEST_F(Wizard, IncorrectSpidFailsBackToTheSpidPage)
{
    statuses = {"Initializing Data Link", "Incorrect SPID"};
    startSpid();
    enter("Edit_SpidDN1", "123");
    click("SaveBtn");
    ASSERT_TRUE(waitMessages(1)) << ta.received.join("|").toStdString();
    EXPECT_EQ(ui.messages(), QStringList{"SPID Wizard Failed. Incorrect Phone Numbers."});
    EXPECT_EQ(page(), "SpidSheet");
    EXPECT_EQ(widget<QLineEdit>("Edit_SpidDN1")->text(), "123");   // what the user entered stays
    EXPECT_TRUE(widget<QPushButton>("SaveBtn")->isVisible());
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->text(), "&Next >");
    EXPECT_EQ(widget<QPushButton>("Btn_CancelCongrats")->text(), "Cancel");
    EXPECT_FALSE(quillon()->Animation_Timer->isEnabled());
    EXPECT_FALSE(quillon()->wizardCommandSent);
    EXPECT_EQ(polls(), 2);
    pumpEvents(500);
    EXPECT_EQ(polls(), 2);

    // A second run with the right number: the status walk starts again.
    statuses = {"Ready", "Ready"};
    enter("Edit_SpidDN1", "5551234");
    widget<QLineEdit>("Edit_SpidDN2")->clear();
    ta.received.clear();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return page() == "CongratsSheet"; })) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"at*Z555,5551234\r", "ati12\r", "ati12\r"}));
}

TEST_F(Wizard, LineThatStaysDownFailsAfterNinePolls)
{
    statuses = {"Looking for ISDN Line"};
    startSpid();
    click("SaveBtn");
    ASSERT_TRUE(waitMessages(1, 15000)) << ta.received.join("|").toStdString();
    EXPECT_EQ(ui.messages(), QStringList{"SPID Wizard failed. Please make sure that the ISDN Line is "
                                         "connected properly to your modem."});
    // Results 1 to 9 keep polling; the tenth, after more than 8 further polls, fails.
    EXPECT_EQ(polls(), 10);
    EXPECT_EQ(page(), "SpidSheet");
    EXPECT_EQ(quillon()->pollCount, 0);
}

TEST_F(Wizard, StopAbortsTheDetection)
{
    statuses = {"Initializing Data Link"};
    startSpid();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return polls() >= 1; }));
    ASSERT_EQ(widget<QPushButton>("Btn_CancelCongrats")->text(), "Stop");
    click("Btn_CancelCongrats");
    ASSERT_TRUE(waitMessages(1)) << ta.received.join("|").toStdString();
    EXPECT_EQ(ui.messages(), QStringList{"SPID Wizard Aborted!"});
    EXPECT_TRUE(ta.received.contains("AT*z\r"));
    EXPECT_EQ(page(), "SpidSheet");
    EXPECT_FALSE(quillon()->abortPending);
    const int sent = int(ta.received.size());
    pumpEvents(600);
    EXPECT_EQ(ta.received.size(), sent) << ta.received.join("|").toStdString();   // no more polls
    EXPECT_EQ(ta.received.last(), "AT*z\r");
}

TEST_F(Wizard, UnansweredStopIsReportedAndSwallowsNoLaterAnswer)
{
    statuses = {"Initializing Data Link"};
    ta.dropFirst["at*z"] = 2;
    startSpid();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return polls() >= 1; }));
    click("Btn_CancelCongrats");
    ASSERT_TRUE(waitMessages(1)) << ta.received.join("|").toStdString();
    EXPECT_EQ(ui.messages(), QStringList{"Failed to recieve response from modem.  Please verify the connection!"});
    EXPECT_EQ(ta.received.count("AT*z\r"), 2);
    EXPECT_FALSE(quillon()->abortPending);
    EXPECT_EQ(page(), "SpidSheet");
    pumpEvents(400);
    EXPECT_EQ(ta.received.last(), "AT*z\r");   // no read-back started behind it
}

TEST_F(Wizard, FirstSuccessfulLookWalksThroughTheStages)
{
    // A "Ready" left from an aborted run counts: the next run's first report completes it.
    statuses = {"Ready"};
    startSpid();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return quillon()->readyCount == 1; }));
    click("Btn_CancelCongrats");
    ASSERT_TRUE(waitMessages(1));
    ASSERT_EQ(page(), "SpidSheet");
    ASSERT_EQ(quillon()->readyCount, 1);
    ta.received.clear();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return page() == "CongratsSheet"; })) << ta.received.join("|").toStdString();
    EXPECT_EQ(polls(), 1);
    EXPECT_EQ(widget<QLabel>("InfoText")->text(), "Ready...");
}

TEST_F(Wizard, DetectionAnimationPhases)
{
    statuses = {"Initializing Data Link"};
    startSpid();
    click("SaveBtn");
    TQuillonForm *f = quillon();
    ASSERT_TRUE(f->Animation_Timer->isEnabled());
    f->Animation_Timer->setEnabled(false);   // phases stepped by hand from here
    const QWidget *sheet = widget<QWidget>("DetectionSheet");
    for (int phase = 1; phase <= 6; ++phase) {
        emit f->Animation_Timer->timeout();
        const int n = (phase - 1) % 5 + 1;
        for (int i = 1; i <= 5; ++i)
            EXPECT_EQ(widget<QFrame>(QByteArray("Shape_Data" + QByteArray::number(i)).constData())->isVisibleTo(sheet),
                      i == n) << "phase " << phase << " shape " << i;
        const QColor expected = n % 2 == 1 ? QColor(0x80, 0xff, 0x80) : QColor(0x80, 0x80, 0x80);
        for (const char *light : {"Shape_Light1", "Shape_Light2"}) {
            EXPECT_TRUE(widget<QFrame>(light)->isVisibleTo(sheet));
            EXPECT_EQ(widget<QFrame>(light)->palette().color(QPalette::Window), expected) << "phase " << phase;
        }
    }
    click("Btn_CancelCongrats");
    ASSERT_TRUE(waitMessages(1));
    // Outside the detection the congratulations markers take turns in groups of three.
    const QWidget *congrats = widget<QWidget>("CongratsSheet");
    f->congratsFrame = 0;
    for (int phase = 1; phase <= 3; ++phase) {
        emit f->Animation_Timer->timeout();
        for (int i = 1; i <= 9; ++i)
            EXPECT_EQ(widget<QFrame>(QByteArray("Shape" + QByteArray::number(i)).constData())->isVisibleTo(congrats),
                      (i - 1) / 3 + 1 == phase);
    }
}

// --- Country step of a European first installation ----------------------------------------

class CountryWizard : public Wizard {
protected:
    void SetUp() override
    {
        Wizard::SetUp();
        // With wait-and-yield the scripted TA answers the country change during its wait.
        reg::writeString(RegRoot::LocalMachine, kPortdeckKey, "WaitAndYield", "on");
        initialize("European");
        ta.replies["at~c?"] = "\r\n00:US/Canada\r\n01:Germany\r\n02:United Kingdom\r\n\r\nOK\r\n";
    }
    void showCountryPage()
    {
        q.show(1, 1, "FIRST_EUROPEAN_INSTALL", "Germany Internal");
        ASSERT_EQ(page(), "CountrySheet");
        ASSERT_TRUE(waitFor([&] { return ta.received.size() >= 2 && !quillon()->DataTimer->isEnabled(); }));
        // The list, then the switch settings once.
        ASSERT_EQ(ta.received, QStringList({"at~c?\r", "ati12\r"}));
        ta.received.clear();
    }
};

TEST_F(CountryWizard, ListFromTheTaAndAnotherCountryLeadsToTheMsnPage)
{
    showCountryPage();
    auto *combo = widget<QComboBox>("Combo_Country");
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(2), "02:United Kingdom");
    EXPECT_EQ(combo->currentIndex(), 1);   // the TA's own country
    EXPECT_EQ(widget<QLabel>("LabelCountry")->text(), "Germany");
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->text(), "&Next >");
    EXPECT_EQ(widget<QPushButton>("Btn_CancelCongrats")->text(), "Cancel");
    EXPECT_FALSE(widget<QPushButton>("CountryBtn")->isVisibleTo(form()));
    EXPECT_FALSE(widget<QPushButton>("ConfigureBtn")->isVisibleTo(form()));
    combo->setCurrentIndex(2);
    click("SaveBtn");
    ASSERT_TRUE(waitReceived(2));
    EXPECT_EQ(ta.received, QStringList({"atc10=2&W\r", "ATZ!\r"}));
    EXPECT_EQ(widget<QLabel>("LabelCountry")->text(), "United Kingdom");
    EXPECT_EQ(page(), "MSNSheet");
    EXPECT_TRUE(quillon()->countryChanged);
    EXPECT_TRUE(quillon()->europeanFlow);
    EXPECT_TRUE(ui.messages().isEmpty());
    // No MSNs given: the European flow goes on with the profiles.
    for (const char *name : {"Edit_MSNArea", "Edit_MSNPort1", "Edit_MSNPort2", "Edit_MSNData"})
        widget<QLineEdit>(name)->clear();
    click("SaveBtn");
    EXPECT_EQ(page(), "ProfileSheet");
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->text(), "&Next >");
}

TEST_F(CountryWizard, UsCanadaLeadsToTheSpidPageAndItsDetection)
{
    showCountryPage();
    widget<QComboBox>("Combo_Country")->setCurrentIndex(0);
    click("SaveBtn");
    ASSERT_TRUE(waitReceived(2));
    EXPECT_EQ(ta.received, QStringList({"atc10=0&W\r", "ATZ!\r"}));
    ASSERT_EQ(page(), "SpidSheet");
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->text(), "&Next >");
    EXPECT_TRUE(widget<QPushButton>("SaveBtn")->isEnabled());

    // The SPID step works from here as in mode "SPID".
    statuses = {"Ready", "Ready"};
    enter("Edit_SpidAreaCode", "201");
    enter("Edit_SpidDN1", "5551234");
    ta.received.clear();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return page() == "CongratsSheet"; })) << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received, QStringList({"at*Z201,5551234\r", "ati12\r", "ati12\r"}));
    // A North American line ends the European flow: the domestic congratulations.
    EXPECT_FALSE(quillon()->europeanFlow);
    EXPECT_EQ(widget<QPushButton>("Btn_CancelCongrats")->text(), "Cancel");
}

TEST_F(CountryWizard, ChangeCountryOnTheAdvancedPageSavesAndRereads)
{
    ta.replies["ati7"] = "\r\nHardware Profile\r\nProduct type  Germany Internal\r\nProduct ID    00524001\r\n\r\nOK\r\n";
    q.show(1, 1, "APPLICATION", "Germany Internal");
    ASSERT_TRUE(waitChainEnd());
    ASSERT_TRUE(waitFor([&] { return quillon()->clockSet; }));
    click("ConfigureBtn");
    quillon()->showAdvancedSet(widget<QWidget>("CountrySheet"));
    ASSERT_TRUE(waitFor([&] { return widget<QComboBox>("Combo_Country")->count() == 3 &&
                                     !quillon()->DataTimer->isEnabled(); }));
    ASSERT_TRUE(widget<QPushButton>("CountryBtn")->isVisible());
    ta.replies["ati7"] = "\r\nHardware Profile\r\nProduct type  United Kingdom Internal\r\nProduct ID    00524001\r\n\r\nOK\r\n";
    ta.received.clear();
    widget<QComboBox>("Combo_Country")->setCurrentIndex(2);
    click("CountryBtn");
    EXPECT_FALSE(widget<QPushButton>("CountryBtn")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return ta.received.contains("ati4\r") && !progressVisible(); }))
        << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 3), QStringList({"atc10=2&W\r", "ATZ!\r", "AT\r"}));
    EXPECT_EQ(ta.received.value(3), "ati12\r");
    EXPECT_EQ(ui.messages(), QStringList{"Modem Configured Successfully!"});
    EXPECT_EQ(quillon()->countryName, "United Kingdom Internal");
    EXPECT_TRUE(widget<QPushButton>("CountryBtn")->isEnabled());
}

// The host hides the screen before the TA confirmed a Stop: the next showing's
// save is no answer to that Stop.
TEST_F(Wizard, UnconfirmedStopEndsWithTheScreen)
{
    statuses = {"Initializing Data Link"};
    ta.dropFirst["at*z"] = 10;
    startSpid();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return polls() >= 1; }));
    click("Btn_CancelCongrats");
    ASSERT_TRUE(waitFor([&] { return ta.received.contains("AT*z\r"); }));
    q.show(0, 1, "", "");
    q.show(1, 1, "APPLICATION", "US/Canada External");
    ASSERT_TRUE(waitChainEnd());
    ASSERT_TRUE(waitFor([&] { return quillon()->clockSet; }));
    ta.received.clear();
    widget<QComboBox>("CBox_BasicPort2")->setCurrentIndex(0);
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return ta.received.contains("ati4\r") && !progressVisible(); }))
        << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 3), QStringList({"AT#R2=0\r", "at&w\r", "ati12\r"}));
    EXPECT_EQ(ui.messages(), QStringList{"Modem Configured Successfully!"});
}

// "Modify" after a successful run reads the TA's settings, so the basic page
// is filled and its edits are saved like any others.
TEST_F(Wizard, ModifyAfterASuccessfulRunSavesTheBasicPage)
{
    statuses = {"Ready", "Ready"};
    startSpid();
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return page() == "CongratsSheet"; })) << ta.received.join("|").toStdString();
    ta.received.clear();
    click("BtnModify");
    EXPECT_EQ(page(), "BasicSheet");
    ASSERT_TRUE(waitChainEnd()) << ta.received.join("|").toStdString();
    ASSERT_TRUE(waitFor([&] { return quillon()->clockSet; }));
    EXPECT_EQ(ta.received.mid(0, 6), QStringList({"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati19\r", "ati4\r"}));
    EXPECT_EQ(widget<QComboBox>("CBox_BasicPort2")->currentIndex(), 2);   // #R2 =2 read
    ta.received.clear();
    widget<QComboBox>("CBox_BasicPort2")->setCurrentIndex(0);
    click("SaveBtn");
    ASSERT_TRUE(waitFor([&] { return ta.received.contains("ati4\r") && !progressVisible(); }))
        << ta.received.join("|").toStdString();
    EXPECT_EQ(ta.received.mid(0, 3), QStringList({"AT#R2=0\r", "at&w\r", "ati12\r"}));
    EXPECT_EQ(ui.messages(), QStringList{"Modem Configured Successfully!"});
    EXPECT_TRUE(widget<QPushButton>("ConfigureBtn")->isEnabled());
    EXPECT_TRUE(widget<QPushButton>("Btn_CancelCongrats")->isEnabled());
}

// Without a product type the country step reads the hardware profile for the
// country, which runs the rest of the read-back; "&Next >" stays usable.
TEST_F(CountryWizard, EmptyProductTypeLeavesNextUsable)
{
    q.show(1, 1, "FIRST_EUROPEAN_INSTALL", "");
    ASSERT_EQ(page(), "CountrySheet");
    ASSERT_TRUE(waitFor([&] { return ta.received.contains("ati4\r") && quillon()->clockSet; }))
        << ta.received.join("|").toStdString();
    auto *next = widget<QPushButton>("SaveBtn");
    EXPECT_EQ(next->text(), "&Next >");
    EXPECT_TRUE(next->isEnabled());
    pumpEvents(300);
    EXPECT_EQ(ta.received.count("at~c?\r"), 1);   // the step's list is asked for once
    ta.received.clear();
    widget<QComboBox>("Combo_Country")->setCurrentIndex(2);
    click("SaveBtn");
    ASSERT_TRUE(waitReceived(2));
    EXPECT_EQ(ta.received, QStringList({"atc10=2&W\r", "ATZ!\r"}));
    EXPECT_EQ(page(), "MSNSheet");
}
