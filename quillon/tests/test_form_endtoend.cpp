// End to end against the device emulator: a full save whose transcript, as
// the emulator recorded it, is compared with the expected command sequence,
// and a second read-back that shows the new values.
#include "emulatorfixture.h"

#include "clock.h"
#include "paths.h"
#include "quillonform.h"
#include "registry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTest>

TEST_F(EndToEnd, SaveWritesChangedSettingsAndReadsThemBack)
{
    q.show(1, 1, "APPLICATION", "US/Canada External");
    ASSERT_TRUE(readBack());
    ASSERT_TRUE(ui.messages().isEmpty()) << ui.messages().join("|").toStdString();
    const QStringList readBackLines = {"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati19\r", "ati4\r"};
    QStringList first = commandsIn(logFile);
    ASSERT_GE(first.size(), 8);
    EXPECT_EQ(first.mid(0, 6), readBackLines);
    EXPECT_TRUE(first[6].startsWith("AT#T=") && first[7].startsWith("AT#D="));

    // Basic page: X.75 outgoing, port 2 answers DN1.
    widget<QComboBox>("Outgoing_Combo")->setCurrentIndex(4);
    widget<QComboBox>("CBox_BasicPort2")->setCurrentIndex(1);
    ui.messageAnswers = {IDNO};
    QTest::mouseClick(widget<QPushButton>("ConfigureBtn"), Qt::LeftButton);
    // Voice page: caller ID off on port 1, receive volume 8 on port 2, advanced calls on port 2.
    openTab("Voice ");
    ASSERT_EQ(activePage()->objectName(), "VoiceSheet");
    widget<QCheckBox>("CkBox_ADP1_CallerID")->click();
    widget<QSlider>("TrackBar_ADP2_RecieveVol")->setValue(8);
    widget<QCheckBox>("AdvCall2_CkBox")->click();
    QTest::mouseClick(widget<QPushButton>("SaveBtn"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return ui.messages().size() >= 2; }, 20000));
    EXPECT_EQ(ui.messages(), QStringList({"Do you want to save changes?", "Modem Configured Successfully!"}));
    ASSERT_TRUE(waitFor([&] { return !progressVisible(); }));

    const QStringList all = commandsIn(logFile);
    const QStringList save = all.mid(first.size());
    EXPECT_EQ(save, QStringList({"AT*VO=6S67.1=0#R2=1\r", "AT#I1=0#VR2=8#S2=1\r", "at&w\r"}) + readBackLines)
        << save.join("|").toStdString();

    // The second read-back shows the new values on the voice page.
    EXPECT_FALSE(widget<QCheckBox>("CkBox_ADP1_CallerID")->isChecked());
    EXPECT_EQ(widget<QSlider>("TrackBar_ADP2_RecieveVol")->value(), 8);
    EXPECT_TRUE(widget<QCheckBox>("AdvCall2_CkBox")->isChecked());
    EXPECT_TRUE(widget<QPushButton>("AdvVoice2Btn")->isEnabled());
    // And a fresh show reads the basic values the TA now holds.
    q.show(0, 1, "APPLICATION", "US/Canada External");
    q.show(1, 1, "APPLICATION", "US/Canada External");
    ASSERT_TRUE(waitFor([&] { return commandsIn(logFile).size() >= all.size() + 6 && !progressVisible(); }, 20000));
    EXPECT_EQ(widget<QComboBox>("Outgoing_Combo")->currentIndex(), 4);
    EXPECT_EQ(widget<QComboBox>("CBox_BasicPort2")->currentIndex(), 1);
}

TEST_F(EndToEnd, EuroIsdnLineReadsForwardingAndScreening)
{
    emulator.terminate();
    emulator.waitForFinished(5000);
    emulator.setArguments({"--product", "isdnta", "--com", "9", "--switch", "0", "--log", logFile});
    emulator.start();
    ASSERT_TRUE(waitFor([&] { return emulator.canReadLine(); }, 5000));
    port->close();
    port->open();
    q.show(1, 1, "APPLICATION", "Germany Internal");
    ASSERT_TRUE(readBack());
    const QStringList lines = commandsIn(logFile);
    EXPECT_EQ(lines.mid(0, 7), QStringList({"ati12\r", "ati15\r", "ati16\r", "ati7\r", "ati20\r", "ati19\r", "ati4\r"}));
    EXPECT_EQ(q.europeanStatus(), 1);
    EXPECT_TRUE(quillon()->screenRead.rejectListed[0]);
    EXPECT_EQ(quillon()->forwardRead.msn[2][0].number, "");
    EXPECT_TRUE(ui.messages().isEmpty());
}

// The SPID step against the emulator's line: it walks its status texts after
// "at*Z" and reports "Ready" only for numbers a North American switch takes.
class SpidEndToEnd : public EndToEnd {
protected:
    void SetUp() override
    {
        EndToEnd::SetUp();
        if (IsSkipped())
            return;
        // A new form on a fast clock: polls every 200 ms instead of 5 s.
        previousScale_ = tl::timeScale();
        q.destroy();
        tl::setTimeScale(0.04);
        initialize();
        q.show(1, 1, "SPID", "US/Canada External");
        ASSERT_TRUE(waitFor([&] { return !progressVisible() && widget<QPushButton>("SaveBtn")->isEnabled(); }, 10000));
        ASSERT_EQ(activePage()->objectName(), "SpidSheet");
    }
    void TearDown() override
    {
        EndToEnd::TearDown();
        tl::setTimeScale(previousScale_);
    }
    void runWith(const char *area, const char *number)
    {
        for (const char *name : {"Edit_SpidAreaCode", "Edit_SpidDN1", "Edit_SpidDN2"})
            widget<QLineEdit>(name)->clear();
        QTest::keyClicks(widget<QLineEdit>("Edit_SpidAreaCode"), area);
        QTest::keyClicks(widget<QLineEdit>("Edit_SpidDN1"), number);
        before_ = int(commandsIn(logFile).size());
        QTest::mouseClick(widget<QPushButton>("SaveBtn"), Qt::LeftButton);
    }
    QStringList sentSince() const { return commandsIn(logFile).mid(before_); }

    double previousScale_ = 1.0;
    int before_ = 0;
};

TEST_F(SpidEndToEnd, LineComesUpAndTheTaIsRecorded)
{
    runWith("201", "5551234");
    ASSERT_TRUE(waitFor([&] { return activePage()->objectName() == "CongratsSheet"; }, 15000))
        << sentSince().join("|").toStdString();
    // Looking for ISDN Line, Initializing Data Link, Ready, Ready.
    EXPECT_EQ(sentSince(), QStringList({"at*Z201,5551234\r", "ati12\r", "ati12\r", "ati12\r", "ati12\r"}));
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\ISDN TA",
                              "Serial Number1"), "12345");
    EXPECT_EQ(widget<QLabel>("DN1Text")->text(), "5551234");
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join("|").toStdString();
}
