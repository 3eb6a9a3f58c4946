// Portdeck's Patchwell button with the real Patchwell: it starts with "-C" and
// the device's name, holds Portdeck in its wait while its sheet is open, and
// Portdeck takes its port back once it has ended.

#include "formfixture.h"
#include "windowclass.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <csignal>

namespace {

// The Patchwell of this test: the process of the build's patchwell whose
// machine state is the test's own (other tests may run theirs meanwhile).
QList<int> patchwellsOf(const QString &root)
{
    QList<int> pids;
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath("patchwell");
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok || QFile::symLinkTarget("/proc/" + entry + "/exe") != program)
            continue;
        QFile env("/proc/" + entry + "/environ");
        if (env.open(QIODevice::ReadOnly) && env.readAll().split('\0').contains("TALLYLINE_ROOT=" + root.toUtf8()))
            pids << pid;
    }
    return pids;
}

QStringList commandLineOf(int pid)
{
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    QStringList words;
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &w : f.readAll().split('\0'))
            words << QString::fromUtf8(w);
    if (!words.isEmpty() && words.last().isEmpty())
        words.removeLast();
    return words;
}

} // namespace

class PatchwellRoundTrip : public PortdeckForm {};

TEST_F(PatchwellRoundTrip, TheRealPatchwellOpensForTheDeviceAndPortdeckResumesWhenItEnds)
{
    FakeDevice &modem = device(FakeProduct::Modem56k, 2);
    modem.setSerial("TL0310003");
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem", "Serial Number1",
                     "TL0310003");
    // Installed beside Portdeck, as the engine's registration records it.
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Patchwell\\Products\\Patchwell", "InstallDirectory",
                     QCoreApplication::applicationDirPath());
    start();
    frame->createDialogs();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
    ASSERT_TRUE(waitFor([this] { return frame->updatebtn->isEnabled(); }));
    const QString device = frame->selectedDeviceName;
    const int ati7Before = modem.count("ati7\r");

    QStringList seenArguments;
    bool portFreeMeanwhile = false;
    // Polled from a timer while Portdeck waits: Patchwell is up (its window
    // class exists) and holds its sheet open; then it is asked to end. A wait
    // of the test's own would sit above Portdeck's and stop it.
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!FindWindowClass("MyNewClass"))
            return;
        const QList<int> pids = patchwellsOf(root.path());
        if (pids.isEmpty())
            return;
        poll.stop();
        seenArguments = commandLineOf(pids.first()).mid(1);
        portFreeMeanwhile = !frame->ApdComPort1->isOpen();
        QTimer::singleShot(300, [pids] {
            for (int pid : pids)
                ::kill(pid, SIGTERM);
        });
    });
    poll.start();
    click(frame->updatebtn);
    ASSERT_TRUE(waitFor([&] { return logHas("end of wait loop\n"); }, 30000));
    // "-C", two blanks and the name: the command line splits at the blanks.
    EXPECT_EQ(seenArguments, QStringList{"-C"} + device.split(' '));
    EXPECT_TRUE(portFreeMeanwhile);
    EXPECT_TRUE(logHas("WaitForSingleObject break out\n"));
    EXPECT_TRUE(waitFor([&] { return patchwellsOf(root.path()).isEmpty(); }));
    // Patchwell ended cleanly: its engine is unregistered again.
    EXPECT_FALSE(reg::keyExists(RegRoot::ClassesRoot, "CLSID\\{CCFDE578-9BE0-11D1-8E3E-00A02450872B}"));
    EXPECT_TRUE(frame->ApdComPort1->isOpen());
    EXPECT_TRUE(waitFor([&] { return modem.count("ati7\r") > ati7Before; }));
    EXPECT_TRUE(frame->updatebtn->isEnabled());
}
