#include "process.h"

#include "fresh_root.h"
#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

TEST(Process, AProgramIsStartedAndItsEndAwaitedWhileEventsRun)
{
    ProcessHandle p = CreateProcess(QStringLiteral("tlplatform_helper exit 3"));
    ASSERT_NE(p, nullptr);
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    EXPECT_TRUE(WaitForProcess(p, 20000, true));
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(p->exitCode(), 3);
    closeProcess(p);

    p = ShellExecute(QStringLiteral("tlplatform_helper"), {"exit", "4"});
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(WaitForProcess(p, 20000, false));
    EXPECT_EQ(p->exitCode(), 4);
    closeProcess(p);
}

TEST(Process, AWaitEndsAtItsTimeOutAndClosingDoesNotEndTheProgram)
{
    FreshRoot root;
    ProcessHandle p = CreateProcess(QStringLiteral("\"tlplatform_helper\" hold X"));
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(WaitForProcess(p, 500, true));
    EXPECT_FALSE(WaitForProcess(p, 500, false));
    const qint64 pid = p->processId();
    closeProcess(p);
    EXPECT_TRUE(QFile::exists(QStringLiteral("/proc/%1").arg(pid)));
    QProcess::execute(QStringLiteral("kill"), {QString::number(pid)});
}

TEST(Process, MissingProgramsAndDocumentsStartNothing)
{
    EXPECT_EQ(ShellExecute(QStringLiteral("Nowhere.exe")), nullptr);
    EXPECT_EQ(ShellExecute(QStringLiteral("c:\\missing\\manual.pdf")), nullptr);
    EXPECT_EQ(CreateProcess(QStringLiteral("   ")), nullptr);
    EXPECT_FALSE(WaitForProcess(nullptr, 10, true));
}

TEST(Process, DocumentsAndAddressesGoToTheOpener)
{
    FreshRoot root;
    const QString log = root.file(QStringLiteral("opened.txt"));
    const QString opener = root.file(QStringLiteral("opener.sh"));
    QFile script(opener);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(log).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("TALLYLINE_OPENER", QFile::encodeName(opener));

    QDir().mkpath(root.file(QStringLiteral("drive_c/Manual")));
    QFile doc(root.file(QStringLiteral("drive_c/Manual/guide.pdf")));
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
    doc.close();
    ProcessHandle p = ShellExecute(QStringLiteral("C:\\Manual\\Guide.PDF"));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(WaitForProcess(p, 20000, true));
    closeProcess(p);

    EXPECT_TRUE(OpenURL(QStringLiteral("http://www.example.com/")));
    QFile result(log);
    for (int i = 0; i < 200 && !(result.open(QIODevice::ReadOnly) && result.readAll().count('\n') == 2); ++i) {
        result.close();
        QThread::msleep(10);
    }
    result.close();
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(result.readAll()),
              doc.fileName() + QStringLiteral("\nhttp://www.example.com/\n"));
    qunsetenv("TALLYLINE_OPENER");
}

TEST(Process, TheTextViewerTakesTheRestOfItsCommandLineAsOneDocument)
{
    FreshRoot root;
    const QString log = root.file(QStringLiteral("viewed.txt"));
    const QString opener = root.file(QStringLiteral("viewer.sh"));
    QFile script(opener);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho \"$#:$1\" >> '%1'\n").arg(log).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("TALLYLINE_OPENER", QFile::encodeName(opener));

    const QStringList commands{
        QStringLiteral("notepad c:\\My Logs\\Patchwell.log"),
        QStringLiteral("NOTEPAD.EXE   \"c:\\My Logs\\read me.txt\"  "),
        QStringLiteral("\"notepad\" /var/tmp/two  blanks.txt"),
    };
    for (const QString &command : commands) {
        ProcessHandle p = CreateProcess(command);
        ASSERT_NE(p, nullptr) << command.toStdString();
        EXPECT_TRUE(WaitForProcess(p, 20000, true));
        closeProcess(p);
    }
    // Nothing to show: nothing is started.
    EXPECT_EQ(CreateProcess(QStringLiteral("notepad   ")), nullptr);

    QFile result(log);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(result.readAll()),
              QStringLiteral("1:%1/drive_c/My Logs/Patchwell.log\n"
                             "1:%1/drive_c/My Logs/read me.txt\n"
                             "1:/var/tmp/two  blanks.txt\n").arg(root.path()));
    qunsetenv("TALLYLINE_OPENER");
}
