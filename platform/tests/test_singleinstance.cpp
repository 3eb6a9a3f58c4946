#include "singleinstance.h"

#include "fresh_root.h"
#include "paths.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

QString helperProgram() { return tl::programDirectory() + QStringLiteral("/tlplatform_helper"); }

// Starts a helper that takes the lock and reports whether it got it.
QString holdInHelper(QProcess &p, const QString &name)
{
    p.start(helperProgram(), {"hold", name});
    if (!p.waitForReadyRead(20000))
        return {};
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

} // namespace

TEST_F(FreshRootTest, OneHolderAtATimeAcrossProcesses)
{
    const QString name = QStringLiteral("Portdeck.exe");
    EXPECT_FALSE(NamedMutex::exists(name));
    NamedMutex mine(name);
    ASSERT_TRUE(mine.create());
    EXPECT_TRUE(mine.isHeld());
    EXPECT_TRUE(NamedMutex::exists(name));
    EXPECT_EQ(QProcess::execute(helperProgram(), {"exists", name}), 0);

    QProcess other;
    EXPECT_EQ(holdInHelper(other, name), QStringLiteral("busy"));
    other.kill();
    other.waitForFinished();

    mine.release();
    EXPECT_FALSE(NamedMutex::exists(name));
    EXPECT_EQ(QProcess::execute(helperProgram(), {"exists", name}), 1);
}

TEST_F(FreshRootTest, TheLockOfAProcessThatDiedIsTakenOver)
{
    const QString name = QStringLiteral("Patchwell");
    QProcess holder;
    ASSERT_EQ(holdInHelper(holder, name), QStringLiteral("held"));
    EXPECT_TRUE(NamedMutex::exists(name));
    NamedMutex mine(name);
    EXPECT_FALSE(mine.create());

    holder.kill();                  // dies without releasing anything
    holder.waitForFinished();
    EXPECT_FALSE(NamedMutex::exists(name));
    EXPECT_TRUE(mine.create());
}

TEST_F(FreshRootTest, ALockIsNotInheritedByProgramsWeStart)
{
    NamedMutex mine(QStringLiteral("Inherit"));
    ASSERT_TRUE(mine.create());
    QProcess child;                 // outlives our hold on the lock
    child.start(helperProgram(), {"hold", "Other"});
    ASSERT_TRUE(child.waitForReadyRead(20000));
    mine.release();
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("Inherit")));
    child.kill();
    child.waitForFinished();
}
