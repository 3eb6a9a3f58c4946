#include "debuglog.h"

#include "paths.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(tl::mapPath("c:\\pdlog.txt"));
        log.setClock([] { return QTime(14, 5, 7, 310); });
    }
    DebugLog log;
};

TEST_F(DebugLogTest, FileLivesOnTheMappedDriveC)
{
    EXPECT_EQ(log.filePath(), tl::tallylineRoot() + "/drive_c/pdlog.txt");
}

TEST_F(DebugLogTest, StampIsMinutesSecondsHundredthsThenTwoBlanksAndColon)
{
    log.setEnabled(true);
    log.log("ati7 sent\n");
    EXPECT_EQ(readAll(log.filePath()), QByteArray("05:07:31  :ati7 sent\n"));
}

TEST_F(DebugLogTest, StartTruncatesAndWritesTheStartLines)
{
    log.setEnabled(true);
    log.log("old line\n");
    log.start();
    EXPECT_EQ(readAll(log.filePath()), QByteArray("start of log file\n05:07:31  : start\n"));
}

TEST_F(DebugLogTest, EachFormOfTheFamilyFormatsItsArguments)
{
    log.setEnabled(true);
    log.log("deviceName=%s\n", "Varnel Brenmoor ISDN TA");
    log.log("name=%s\n", QString("COM3"));
    log.log("port=%d\n", 29);
    log.log("loopcnt=%d status=%d\n", 3, 1);
    log.log("null=%s\n", static_cast<const char *>(nullptr));
    EXPECT_EQ(readAll(log.filePath()),
              QByteArray("05:07:31  :deviceName=Varnel Brenmoor ISDN TA\n"
                         "05:07:31  :name=COM3\n"
                         "05:07:31  :port=29\n"
                         "05:07:31  :loopcnt=3 status=1\n"
                         "05:07:31  :null=\n"));
}

TEST_F(DebugLogTest, LongArgumentsAreWrittenWhole)
{
    log.setEnabled(true);
    const QByteArray answer(10000, 'x');
    log.log("ModemData [%s]\n", answer.constData());
    EXPECT_EQ(readAll(log.filePath()).size(), 11 + 11 + 10000 + 2);   // stamp, "ModemData [", text, "]\n"
}

TEST_F(DebugLogTest, NothingIsWrittenWhileOff)
{
    QStringList sunk;
    log.setSink([&](const QString &line) { sunk << line; });
    log.start();
    log.log("x\n");
    log.log("%d\n", 1);
    EXPECT_FALSE(QFile::exists(log.filePath()));
    EXPECT_TRUE(sunk.isEmpty());
}

TEST_F(DebugLogTest, SinkGetsStampColonAndMessageWithoutLineFeed)
{
    QStringList sunk;
    log.setEnabled(true);
    log.setSink([&](const QString &line) { sunk << line; });
    log.log("Timer1Timer\n");
    ASSERT_EQ(sunk.size(), 1);
    EXPECT_EQ(sunk.first(), "05:07:31: Timer1Timer");
}

TEST_F(DebugLogTest, FileIsClosedAfterEveryLineSoOthersCanAppend)
{
    log.setEnabled(true);
    DebugLog other;
    other.setEnabled(true);
    other.setClock([] { return QTime(9, 0, 0, 0); });
    log.log("a\n");
    other.log("b\n");
    log.log("c\n");
    EXPECT_EQ(readAll(log.filePath()),
              QByteArray("05:07:31  :a\n00:00:00  :b\n05:07:31  :c\n"));
}

TEST(DebugLogStamp, PadsEachFieldToTwoDigits)
{
    EXPECT_EQ(DebugLog::timeStamp(QTime(0, 1, 2, 30)), "01:02:03");
    EXPECT_EQ(DebugLog::timeStamp(QTime(23, 59, 59, 999)), "59:59:99");
}

} // namespace
