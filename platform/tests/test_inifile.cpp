#include "inifile.h"

#include "fresh_root.h"
#include "other_user.h"
#include "paths.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class IniTest : public FreshRootTest {
protected:
    const QString file = QStringLiteral("c:\\Patchwell\\PWENU.INI");
    QString real() const { return root.file(QStringLiteral("drive_c/Patchwell/PWENU.INI")); }
    void put(const QByteArray &text)
    {
        QDir().mkpath(root.file(QStringLiteral("drive_c/Patchwell")));
        QFile f(real());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QByteArray content() const
    {
        QFile f(real());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(IniTest, ValuesAreFoundIgnoringLetterCaseAndBlanks)
{
    put("; language texts\r\n[AppAbout]\r\nCaption = About Patchwell \r\nQuoted=\"  spaced  \"\r\n"
        "[appcommon]\nAppNameVersion=Patchwell Version \nRetries=12 times\nHex=0x1F\nNeg=-5\nWord=abc\n");
    EXPECT_EQ(GetPrivateProfileString("APPABOUT", "caption", "Default", file), QStringLiteral("About Patchwell"));
    EXPECT_EQ(GetPrivateProfileString("AppAbout", "Quoted", "Default", file), QStringLiteral("  spaced  "));
    EXPECT_EQ(GetPrivateProfileString("AppCommon", "AppNameVersion", "Default", file), QStringLiteral("Patchwell Version"));
    EXPECT_EQ(GetPrivateProfileString("AppAbout", "AppNameVersion", "Default", file), QStringLiteral("Default"));
    EXPECT_EQ(GetPrivateProfileInt("AppCommon", "Retries", -999, file), 12);
    EXPECT_EQ(GetPrivateProfileInt("AppCommon", "Hex", -999, file), 31);
    EXPECT_EQ(GetPrivateProfileInt("AppCommon", "Neg", -999, file), -5);
    EXPECT_EQ(GetPrivateProfileInt("AppCommon", "Word", -999, file), 0);
    EXPECT_EQ(GetPrivateProfileInt("AppCommon", "Missing", -999, file), -999);
    EXPECT_EQ(GetPrivateProfileSectionNames(file), (QStringList{"AppAbout", "appcommon"}));
    EXPECT_EQ(GetPrivateProfileSection("AppAbout", file), (QStringList{"Caption=About Patchwell", "Quoted=  spaced  "}));
}

TEST_F(IniTest, MissingOrDamagedFilesGiveTheDefaults)
{
    EXPECT_EQ(GetPrivateProfileString("A", "B", "Default", QStringLiteral("c:\\none.ini")), QStringLiteral("Default"));
    EXPECT_EQ(GetPrivateProfileInt("A", "B", -999, QStringLiteral("c:\\none.ini")), -999);
    EXPECT_TRUE(GetPrivateProfileSectionNames(QStringLiteral("c:\\none.ini")).isEmpty());
    static const char damaged[] = "\x00\xff[\x01=\n=\n[Unclosed\nkey=v\xe9\n";
    put(QByteArray(damaged, sizeof damaged - 1));
    EXPECT_EQ(GetPrivateProfileString("A", "B", "Default", file), QStringLiteral("Default"));
    EXPECT_EQ(GetPrivateProfileString("Unclosed", "key", "Default", file), QString::fromLatin1("v\xe9"));
}

TEST_F(IniTest, WritesChangeOnlyTheirLineAndKeepTheRest)
{
    put("; keep me\r\n[LanguageSupport]\r\nENU=1\r\n\r\n[Other]\r\nx=1\r\n");
    EXPECT_TRUE(WritePrivateProfileString("languagesupport", "enu", "2", file));
    EXPECT_TRUE(WritePrivateProfileString("LanguageSupport", "DEU", "1", file));
    EXPECT_TRUE(WritePrivateProfileString("New", "Key", "Value", file));
    EXPECT_EQ(content(), QByteArray("; keep me\r\n[LanguageSupport]\r\nenu=2\r\nDEU=1\r\n\r\n[Other]\r\nx=1\r\n[New]\r\nKey=Value\r\n"));

    EXPECT_TRUE(WritePrivateProfileString("LanguageSupport", "DEU", QString(), file));
    EXPECT_TRUE(WritePrivateProfileString("Other", QString(), QString(), file));
    EXPECT_EQ(GetPrivateProfileSectionNames(file), (QStringList{"LanguageSupport", "New"}));
    EXPECT_EQ(GetPrivateProfileString("LanguageSupport", "DEU", "Default", file), QStringLiteral("Default"));

    // A file that does not exist yet is created, directory included.
    EXPECT_TRUE(WritePrivateProfileString("S", "k", "v", QStringLiteral("c:\\new\\dir\\a.ini")));
    EXPECT_EQ(GetPrivateProfileString("s", "K", "", QStringLiteral("C:\\NEW\\DIR\\A.INI")), QStringLiteral("v"));
    EXPECT_TRUE(QDir(root.file(QStringLiteral("drive_c/new/dir"))).entryList(QDir::Files) == QStringList{"a.ini"});
}

TEST_F(IniTest, AFileOver16MegabytesKeepsItsTailOnAWrite)
{
    QByteArray text = "[Head]\r\nk=1\r\n[Filler]\r\n";
    const QByteArray filler = "line=" + QByteArray(90, 'x') + "\r\n";
    while (text.size() < 17 * 1024 * 1024)
        text += filler;
    text += "[Tail]\r\nLast=kept\r\n";
    put(text);
    EXPECT_EQ(GetPrivateProfileString("Tail", "Last", "lost", file), QStringLiteral("kept"));
    ASSERT_TRUE(WritePrivateProfileString("Head", "k", "2", file));
    EXPECT_TRUE(content() == "[Head]\r\nk=2" + text.mid(11));
    EXPECT_EQ(GetPrivateProfileString("Tail", "Last", "lost", file), QStringLiteral("kept"));
}

TEST_F(IniTest, EachLineKeepsItsOwnEncodingAndUntouchedLinesTheirBytes)
{
    // A UTF-8 file with one line in the ANSI code page, as after a hand edit.
    const QByteArray text = "\xEF\xBB\xBF[AppAbout]\r\nName=Caf\xc3\xa9\r\nLegacy=\xe9t\xe9\r\n  odd  line  \r\n"
                            "[Other]\r\nx=\xe2\x82\xac\r\n";
    put(text);
    EXPECT_EQ(GetPrivateProfileString("AppAbout", "Name", "", file), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(GetPrivateProfileString("AppAbout", "Legacy", "", file), QStringLiteral("\u00e9t\u00e9"));
    EXPECT_EQ(GetPrivateProfileString("Other", "x", "", file), QStringLiteral("\u20ac"));

    ASSERT_TRUE(WritePrivateProfileString("Other", "y", QStringLiteral("M\u00fcller"), file));
    ASSERT_TRUE(WritePrivateProfileString("Other", "z", QStringLiteral("\u20ac"), file));
    // The file is partly ANSI: a new text goes in ANSI where it can, in UTF-8 where it cannot.
    EXPECT_EQ(content(), text + "y=M\xfcller\r\nz=\xe2\x82\xac\r\n");
    EXPECT_EQ(GetPrivateProfileString("Other", "y", "", file), QStringLiteral("M\u00fcller"));
    EXPECT_EQ(GetPrivateProfileString("Other", "z", "", file), QStringLiteral("\u20ac"));
    EXPECT_EQ(GetPrivateProfileString("AppAbout", "Name", "", file), QStringLiteral("Caf\u00e9"));
}

TEST_F(IniTest, WritesKeepTheFilesLineEnds)
{
    put("[A]\nx=1\n\n[B]\ny=2");   // plain line ends, none after the last line
    ASSERT_TRUE(WritePrivateProfileString("A", "x", "3", file));
    ASSERT_TRUE(WritePrivateProfileString("B", "z", "4", file));
    ASSERT_TRUE(WritePrivateProfileString("C", "w", "5", file));
    EXPECT_EQ(content(), QByteArray("[A]\nx=3\n\n[B]\ny=2\nz=4\n[C]\nw=5\n"));
    ASSERT_TRUE(WritePrivateProfileString("B", QString(), QString(), file));
    EXPECT_EQ(content(), QByteArray("[A]\nx=3\n\n[C]\nw=5\n"));
}

TEST_F(IniTest, AFileThatCannotBeReadIsNotWrittenOver)
{
    QString why;
    const auto user = otherUser(&why);
    if (!user)
        GTEST_SKIP() << qPrintable(why);
    put("[Settings]\r\nPassword=secret\r\n");
    ASSERT_TRUE(QFile::setPermissions(real(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(handOver(root.path(), root.file(QStringLiteral("drive_c")), *user)
                && handOver(root.path(), root.file(QStringLiteral("drive_c/Patchwell")), *user));

    QByteArray err;
    const QString helper = tl::programDirectory() + QStringLiteral("/tlplatform_helper");
    EXPECT_EQ(runAsOtherUser(*user, helper, {"iniwrite", file, "Settings", "Language", "ENU"}, nullptr, &err), 1);
    EXPECT_TRUE(err.contains("cannot read")) << err.constData();
    EXPECT_EQ(content(), QByteArray("[Settings]\r\nPassword=secret\r\n"));
}
