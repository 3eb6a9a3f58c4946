#include "sharedmemory.h"

#include "fresh_root.h"
#include "paths.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cstring>

namespace {
QString helperProgram() { return tl::programDirectory() + QStringLiteral("/tlplatform_helper"); }
}

TEST_F(FreshRootTest, ABlockIsSharedBetweenProcesses)
{
    // Another process creates the block and writes; we read it.
    QProcess writer;
    writer.start(helperProgram(), {"shmwrite", "VarnelPWEventMsg", "ISDN TA on COM3"});
    ASSERT_TRUE(writer.waitForReadyRead(20000));
    SharedMemoryBlock block(QStringLiteral("VarnelPWEventMsg"));
    ASSERT_TRUE(block.open());
    EXPECT_GE(block.size(), 100u);
    EXPECT_STREQ(static_cast<const char *>(block.data()), "ISDN TA on COM3");

    // We write; another process reads.
    std::strcpy(static_cast<char *>(block.data()), "56K modem");
    QProcess reader;
    reader.start(helperProgram(), {"shmread", "VarnelPWEventMsg"});
    ASSERT_TRUE(reader.waitForFinished(20000));
    EXPECT_EQ(reader.exitCode(), 0);
    EXPECT_EQ(reader.readAllStandardOutput().trimmed(), QByteArray("56K modem"));
    writer.kill();
    writer.waitForFinished();
}

TEST_F(FreshRootTest, ABlockNobodyHoldsStartsAfreshAndCannotBeOpened)
{
    SharedMemoryBlock none(QStringLiteral("Nothing"));
    EXPECT_FALSE(none.open());
    {
        SharedMemoryBlock first(QStringLiteral("Block"));
        ASSERT_TRUE(first.create(100));
        std::strcpy(static_cast<char *>(first.data()), "old");
        SharedMemoryBlock second(QStringLiteral("Block"));
        ASSERT_TRUE(second.create(50));          // opens the existing block
        EXPECT_STREQ(static_cast<const char *>(second.data()), "old");
    }
    SharedMemoryBlock later(QStringLiteral("Block"));
    EXPECT_FALSE(later.open());                  // the last user closed it
    ASSERT_TRUE(later.create(100));
    EXPECT_EQ(static_cast<const char *>(later.data())[0], '\0');
    later.close();
    EXPECT_FALSE(later.isOpen());
}
