// The version file a site offers, and how versions compare.

#include "eventlog.h"
#include "versioninfo.h"

#include <gtest/gtest.h>

using namespace pw;

TEST(VersionInfo, AGoodFileAndItsFlags)
{
    VersionInfo info;
    QString why;
    ASSERT_TRUE(parseVersionInfo("; sample\r\n[Update]\r\nVersion = 1999.06.30\r\nReadme=readme.txt\r\nRestart=yes\r\n"
                                 "Files=1\r\n[File1]\r\nName=fw.bin\r\nSize=12\r\nSHA256="
                                 "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\r\n",
                                 info, &why))
        << why.toStdString();
    EXPECT_EQ(info.version, "1999.06.30");
    EXPECT_TRUE(info.restart);
    EXPECT_FALSE(info.userStep);
    ASSERT_EQ(info.files.size(), 1);
    EXPECT_EQ(info.files[0].size, 12);
}

TEST(VersionInfo, UnsafeOrIncompleteFilesAreRefusedWithAReason)
{
    const char *digest = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    const QString bad[] = {
        "",
        "[Update]\nFiles=1\n",
        "[Update\nVersion=1\n",
        "[Update]\nVersion=1\nFiles=1\n",
        "[Update]\nVersion=1\nFiles=0\n",
        QString("[Update]\nVersion=1\nFiles=1\n[File1]\nName=../x\nSize=1\nSHA256=%1\n").arg(digest),
        QString("[Update]\nVersion=1\nFiles=1\n[File1]\nName=/etc/x\nSize=1\nSHA256=%1\n").arg(digest),
        QString("[Update]\nVersion=1\nFiles=1\n[File1]\nName=x\nSize=-1\nSHA256=%1\n").arg(digest),
        "[Update]\nVersion=1\nFiles=1\n[File1]\nName=x\nSize=1\nSHA256=abc\n",
        QString("[Update]\nVersion=1\nFiles=2\n[File1]\nName=x\nSize=1\nSHA256=%1\n[File2]\nName=X\nSize=1\nSHA256=%1\n").arg(digest),
        "[Update]\nVersion=1\nReadme=../../secret\nFiles=0\nBrowser=1\nBrowserPage=p.html\n",
        QString(70000, QChar('x')),
    };
    for (const QString &text : bad) {
        VersionInfo info;
        QString why;
        EXPECT_FALSE(parseVersionInfo(text.toUtf8(), info, &why)) << text.left(80).toStdString();
        EXPECT_FALSE(why.isEmpty());
    }
}

TEST(VersionInfo, VersionsCompareByNumberPartByPart)
{
    EXPECT_GT(compareVersions("1999.10.01", "1999.9.30"), 0);
    EXPECT_EQ(compareVersions("3.2", "3.2.0"), 0);
    EXPECT_LT(compareVersions("1999.04.12", "2000.01.01"), 0);
    EXPECT_GT(compareVersions("3.02.05", "3.2"), 0);
}

TEST(EventLogFile, RecordsKeepTheirTextsThroughTheFile)
{
    EventRecord r{QDateTime(QDate(2026, 12, 9), QTime(14, 5, 30)), 11, "a\tb\\c", "line\nbreak "};
    EventRecord back;
    ASSERT_TRUE(EventLog::decode(EventLog::encode(r), back));
    EXPECT_EQ(back.kind, 11);
    EXPECT_EQ(back.first, r.first);
    EXPECT_EQ(back.second, r.second);
    EXPECT_EQ(back.time, r.time);
    EXPECT_FALSE(EventLog::decode("garbage", back));
    EXPECT_FALSE(EventLog::decode("2026-01-01T00:00:00.000Z\t99\ta\tb", back));
}
