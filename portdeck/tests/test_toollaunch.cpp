// The buttons that start programs: Patchwell takes the device's port while it
// runs and Portdeck takes it back afterwards; the User's Manual is found on
// the CD, asked for when missing, and not started twice. Small shell scripts
// play the programs and write down how they were started.

#include "clock.h"
#include "dialogs.h"
#include "formfixture.h"
#include "paths.h"
#include "process.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <csignal>

namespace {

const char *const kPatchwellKey = "Software\\Varnel\\Patchwell\\Products\\Patchwell";

// An executable script at the place a program path of the original platform maps to.
void writeProgram(const QString &platformPath, const QByteArray &body)
{
    const QString file = tl::mapPath(tl::moduleFileName(platformPath));
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
}

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class ToolLaunch : public PortdeckForm {
protected:
    void TearDown() override
    {
        // Whatever a script left running ends with the test.
        for (const QString &line : readText(root.file("pids")).split('\n', Qt::SkipEmptyParts))
            ::kill(line.toInt(), SIGTERM);
        PortdeckForm::TearDown();
    }
    void openModem()
    {
        modem = &device(FakeProduct::Modem56k, 2);
        modem->setSerial("TL0310003");
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem",
                         "Serial Number1", "TL0310003");
        start();
        frame->createDialogs();   // the restore box, as the program entry makes it
        detected();
        click(button(0));
        ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
        ASSERT_TRUE(waitFor([this] { return frame->updatebtn->isEnabled(); }));
    }
    void installPatchwell(const QByteArray &body)
    {
        reg::writeString(RegRoot::LocalMachine, kPatchwellKey, "InstallDirectory", "C:\\Varnel\\Patchwell");
        writeProgram("C:\\Varnel\\Patchwell\\Patchwell.exe", body);
    }
    QString file(const char *name) { return root.file(QLatin1String(name)); }

    FakeDevice *modem = nullptr;
};

TEST(PatchwellPath, EachSeparatorDoubled)
{
    EXPECT_EQ(TcontainerFrame::patchwellProgramPath("C:\\Varnel\\Patchwell"),
              "C:\\\\Varnel\\\\Patchwell\\Patchwell.exe");
    EXPECT_EQ(TcontainerFrame::patchwellProgramPath(""), "\\Patchwell.exe");
}

TEST_F(ToolLaunch, PatchwellNotInstalledIsReportedAndNothingStarts)
{
    openModem();
    click(frame->updatebtn);
    EXPECT_EQ(ui.messages().last(), "The Patchwell has not been installed on your system.\n\nPlease run the SETUP "
                                    "program for Patchwells.");
    EXPECT_FALSE(logHas("start of ShellExecuteEx\n"));
    EXPECT_TRUE(frame->ApdComPort1->isOpen());
    EXPECT_TRUE(frame->updatebtn->isEnabled());
    EXPECT_TRUE(frame->appwizBtn->isEnabled());
}

TEST_F(ToolLaunch, PatchwellGetsThePortAndPortdeckTakesItBackAfterwards)
{
    // The first start hands over and quits at once; the second runs a moment.
    const QString counter = file("starts");
    installPatchwell(QStringLiteral("echo \"$@\" >> '%1'\n"
                                    "[ $(wc -l < '%1') -ge 2 ] && sleep 0.5\n"
                                    "exit 0\n")
                         .arg(counter)
                         .toUtf8());
    openModem();
    const QString device = frame->selectedDeviceName;
    const int ati7Before = modem->count("ati7\r");
    // The first second after the start is measured on a slower clock, so that a
    // busy machine still sees the first copy end within it.
    const double scale = tl::timeScale();
    tl::setTimeScale(std::max(scale, 0.5));
    click(frame->updatebtn);
    tl::setTimeScale(scale);
    EXPECT_EQ(readText(counter), QStringLiteral("-C %1\n-C %1\n").arg(device));
    EXPECT_TRUE(logHas("immediate WaitForSingleObject break out after execute so re-execute it\n"));
    EXPECT_TRUE(logHas("start of wait loop\n"));
    EXPECT_TRUE(logHas("WaitForSingleObject break out\n"));
    EXPECT_TRUE(logHas("end of wait loop\n"));
    EXPECT_FALSE(frame->isMinimized());
    EXPECT_FALSE(frame->NonModalMsgBox->isVisible());
    // The port is Portdeck's again and the modem is asked who it is.
    EXPECT_TRUE(frame->ApdComPort1->isOpen());
    EXPECT_TRUE(waitFor([&] { return modem->count("ati7\r") > ati7Before; }));
    EXPECT_TRUE(frame->updatebtn->isEnabled());
    EXPECT_EQ(frame->control, "None");
}

TEST_F(ToolLaunch, RestoreEndsTheWaitWhilePatchwellKeepsRunning)
{
    installPatchwell(QStringLiteral("echo $$ >> '%1'\nexec sleep 30\n").arg(file("pids")).toUtf8());
    openModem();
    QTimer restore;
    QObject::connect(&restore, &QTimer::timeout, [&] {
        if (frame->NonModalMsgBox->isVisible())
            emit frame->NonModalMsgBox->restoreClicked();
    });
    restore.start(20);
    click(frame->updatebtn);
    EXPECT_TRUE(logHas("User clicked restore PD\n"));
    EXPECT_FALSE(frame->bPatchwellWaitRunning);
    EXPECT_TRUE(frame->ApdComPort1->isOpen());
    // Patchwell was left running.
    const int pid = readText(file("pids")).trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, 0), 0);
}

TEST_F(ToolLaunch, ComingBackToPortdecksWindowEndsTheWaitToo)
{
    installPatchwell(QStringLiteral("echo $$ >> '%1'\nexec sleep 30\n").arg(file("pids")).toUtf8());
    openModem();
    QTimer comeBack;
    QObject::connect(&comeBack, &QTimer::timeout, [&] {
        if (frame->bPatchwellWaitRunning && frame->isMinimized()) {
            frame->showNormal();
            frame->activateWindow();
        }
    });
    comeBack.start(20);
    click(frame->updatebtn);
    EXPECT_TRUE(logHas("PD is ForegroundWindow\n"));
    EXPECT_FALSE(logHas("User clicked restore PD\n"));
    EXPECT_TRUE(frame->ApdComPort1->isOpen());
}

// While Patchwell runs, Portdeck answers events all along (a screen reader,
// a click), not once per look at the process. The wait runs at the real
// clock here, where a look is half a second.
TEST_F(ToolLaunch, EventsAreHandledAllThroughThePatchwellWait)
{
    installPatchwell(QStringLiteral("echo $$ >> '%1'\nexec sleep 1.5\n").arg(file("pids")).toUtf8());
    openModem();
    const double scale = tl::timeScale();
    int ticksDuringWait = 0;
    bool sawWait = false;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (frame->bPatchwellWaitRunning) {
            if (!sawWait)
                tl::setTimeScale(1.0);
            sawWait = true;
            ++ticksDuringWait;
        } else if (sawWait) {
            tl::setTimeScale(scale);
        }
    });
    tick.start(10);
    click(frame->updatebtn);
    tl::setTimeScale(scale);
    ASSERT_TRUE(sawWait);
    EXPECT_TRUE(logHas("WaitForSingleObject break out\n"));
    // About a hundred at a 10 ms tick; a loop that looks only every 500 ms sees three.
    EXPECT_GT(ticksDuringWait, 30);
}

TEST_F(ToolLaunch, ExitDuringThePatchwellWaitEndsTheProgram)
{
    installPatchwell(QStringLiteral("echo $$ >> '%1'\nexec sleep 30\n").arg(file("pids")).toUtf8());
    openModem();
    QTimer exit;
    QObject::connect(&exit, &QTimer::timeout, [&] {
        if (frame->bPatchwellWaitRunning && frame->TerminateBtn->isEnabled())
            click(frame->TerminateBtn);
    });
    exit.start(20);
    click(frame->updatebtn);
    // The exit waited for the Patchwell wait to return, and is done once it has.
    EXPECT_TRUE(waitFor([&] { return terminated && !frame->exitPending(); }));
    EXPECT_TRUE(logHas("end of wait loop\n"));
    EXPECT_FALSE(logHas("in while try open loop\n"));
    // The exit is carried out in full: the libraries go and it is logged.
    EXPECT_TRUE(logHas("Terminated in TerminateBtnClick()\n"));
    EXPECT_EQ(frame->libs.quillon.module, nullptr);
    EXPECT_EQ(frame->libs.updater.module, nullptr);
}

// The device is told missing once, however long it stays away; one that
// comes back is taken again, one that does not is given up.
TEST_F(ToolLaunch, TheIsdnTaOnATapiLineIsNamedOnceWhileItsPortIsAwayAfterPatchwell)
{
    installPatchwell("exit 0\n");
    FakeDevice &isdn = device(FakeProduct::IsdnTa, 1);
    tapiName("0000", "Varnel Brenmoor ISDN TA", 1);
    start({"/l", "/t"});
    frame->createDialogs();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("ISDNTA"); }));
    ASSERT_TRUE(waitFor([this] { return frame->updatebtn->isEnabled(); }));
    isdn.vanish();
    ui.onMessage = [&](const QString &) {
        QTimer::singleShot(tl::ticksToMs(100), frame.get(), [&] { isdn.comeBack(); });
    };
    click(frame->updatebtn);
    EXPECT_EQ(ui.messages(), QStringList({"Cannot Communicate With Quillon"}));
    EXPECT_TRUE(waitFor([this] { return frame->TapiConnection; }));

    // Gone for good: still one box, then the tools are back.
    isdn.vanish();
    ui.shown.clear();
    ui.onMessage = nullptr;
    click(frame->updatebtn);
    EXPECT_EQ(ui.messages(), QStringList({"Cannot Communicate With Quillon"}));
    EXPECT_TRUE(logHas("port did not come back after patchwell\n"));
    EXPECT_FALSE(frame->bPortWait);
    EXPECT_TRUE(frame->updatebtn->isEnabled());
    EXPECT_TRUE(frame->backbtn->isEnabled());
}

TEST_F(ToolLaunch, ManualFromARemovedCdIsAskedForThenBrowsedToAndStartedOnce)
{
    const QString marker = file("manual-starts");
    writeProgram("C:\\Manuals\\Manual.exe",
                 QStringLiteral("echo started >> '%1'\necho $$ >> '%2'\nexec sleep 30\n")
                     .arg(marker, file("pids"))
                     .toUtf8());
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Manual", "General",
                     "D:\\CD\\MANUAL.EXE");
    start();
    frame->createDialogs();
    detected();
    // The CD is not there: the prompt asks for it; Browse leads to the file dialog.
    QTimer browse;
    QObject::connect(&browse, &QTimer::timeout, [&] {
        if (frame->PromptMsgForm->isVisible())
            frame->PromptMsgForm->BrowseBtn->click();
    });
    browse.start(20);
    // Once the manual runs, the user comes back to Portdeck's window.
    QTimer comeBack;
    QObject::connect(&comeBack, &QTimer::timeout, [&] {
        if (!readText(marker).isEmpty())
            frame->activateWindow();
    });
    comeBack.start(20);
    ui.fileAnswers << "C:\\Manuals\\Manual.exe";
    click(frame->OnlineManualBtn);
    EXPECT_TRUE(logHas("PD is ForegroundWindow\n"));
    EXPECT_TRUE(logHas("OnLineManualFileLocation[C:\\Manuals\\Manual.exe]\n"));
    EXPECT_TRUE(logHas("OnlineManualProcessHandle = "));
    ASSERT_TRUE(waitFor([&] { return readText(marker) == "started\n"; }));
    EXPECT_TRUE(frame->manualProgram.running);

    // Still running: a second click starts nothing, and the path chosen is kept for the run.
    click(frame->OnlineManualBtn);
    QTest::qWait(200);
    EXPECT_EQ(readText(marker), "started\n");
    EXPECT_EQ(frame->manualProgram.path, "C:\\Manuals\\Manual.exe");
}

TEST_F(ToolLaunch, ExitWhileTheCdPromptWaitsClosesItAndEnds)
{
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Manual", "Support",
                     "D:\\CD\\SUPPORT.EXE");
    start();
    frame->createDialogs();
    detected();
    bool exited = false;
    QTimer exit;
    QObject::connect(&exit, &QTimer::timeout, [&] {
        if (!exited && frame->PromptMsgForm->isVisible()) {
            exited = true;
            click(frame->ExitBtn);
        }
    });
    exit.start(20);
    // A user who got no answer would give up on the prompt after a while.
    bool gaveUp = false;
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        if (frame->PromptMsgForm->isVisible()) {
            gaveUp = true;
            frame->PromptMsgForm->CancelBtn->click();
        }
    });
    giveUp.start(5000);
    click(frame->supportBtn);
    EXPECT_TRUE(exited);
    EXPECT_TRUE(waitFor([&] { return terminated; }, 3000));
    EXPECT_FALSE(gaveUp);
    EXPECT_FALSE(frame->PromptMsgForm->isVisible());
    EXPECT_TRUE(logHas("Terminated in TerminateBtnClick()\n"));
    EXPECT_FALSE(logHas("start of ShellExecuteEx\n"));
}

TEST_F(ToolLaunch, CancelledCdPromptStartsNothing)
{
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Manual", "Support",
                     "D:\\CD\\SUPPORT.EXE");
    start();
    frame->createDialogs();
    detected();
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (frame->PromptMsgForm->isVisible())
            frame->PromptMsgForm->CancelBtn->click();
    });
    cancel.start(20);
    click(frame->supportBtn);
    EXPECT_FALSE(logHas("start of ShellExecuteEx\n"));
    EXPECT_FALSE(logHas("CustSupportFileLocation["));
    EXPECT_FALSE(frame->supportProgram.running);
}

TEST_F(ToolLaunch, APortThatComesBackLateIsWaitedForAndOneThatNeverDoesIsGivenUp)
{
    installPatchwell("exit 0\n");
    openModem();
    // Unplugged while Patchwell runs; plugged in again a few seconds after the user was told.
    modem->vanish();
    ui.onMessage = [&](const QString &) {
        QTimer::singleShot(tl::ticksToMs(90), frame.get(), [&] { modem->comeBack(); });
    };
    click(frame->updatebtn);
    EXPECT_EQ(ui.messages(), QStringList({"Cannot Communicate With Corvane"}));
    EXPECT_TRUE(logHas("in while(!IsPortAvailable) loop\n"));
    EXPECT_TRUE(frame->ApdComPort1->isOpen());
    EXPECT_FALSE(frame->bPortWait);

    // Gone for good: told once, then given up, and the tools are back.
    modem->vanish();
    ui.shown.clear();
    ui.onMessage = nullptr;
    click(frame->updatebtn);
    EXPECT_EQ(ui.messages(), QStringList({"Cannot Communicate With Corvane"}));
    EXPECT_TRUE(logHas("port did not come back after patchwell\n"));
    EXPECT_FALSE(frame->ApdComPort1->isOpen());
    EXPECT_TRUE(frame->updatebtn->isEnabled());
    EXPECT_TRUE(frame->backbtn->isEnabled());
}
