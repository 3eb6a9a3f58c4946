// The language choice at start-up over the registry store.

#include "debuglog.h"
#include "fresh_root.h"
#include "language.h"
#include "registry.h"
#include "uiservices.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\Language");

struct RecordingDictionary : LanguageDictionary {
    QStringList calls;
    int current = 0x409;
    void selectLanguage(int id) override { calls << QString::asprintf("select %x", id); current = id; }
    void setPrimaryLanguage(int p) override { calls << QString::asprintf("primary %d", p); }
    void setSubLanguage(int s) override { calls << QString::asprintf("sub %d", s); }
    void activate() override { calls << "activate"; }
    QString translate(const QString &s) const override { return s; }
    QList<LanguageChoice> languages() const override { return {{0x409, "English"}, {0x407, "Deutsch"}}; }
    int currentLanguage() const override { return current; }
};

class LanguageChoiceTest : public FreshRootTest {
protected:
    void SetUp() override { setUiServices(&ui_); log_.setEnabled(true); log_.start(); }
    void TearDown() override { setUiServices(nullptr); }
    QString logText()
    {
        QFile f(log_.filePath());
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }
    QString stored(const char *name) { return reg::readString(RegRoot::LocalMachine, kKey, name).value_or("<none>"); }
    ScriptedUiServices ui_;
    DebugLog log_;
    RecordingDictionary dict_;
};

} // namespace

TEST_F(LanguageChoiceTest, EnglishWithoutSubLanguageResolvedFromUsUserDefault)
{
    reg::writeString(RegRoot::LocalMachine, kKey, "ID", "9");
    chooseLanguage(dict_, log_, nullptr, [] { return 0x409; });
    EXPECT_EQ(stored("ID"), "409");
    EXPECT_EQ(stored("SubLanguage"), "US English");
    EXPECT_EQ(dict_.calls, QStringList({"select 9", "primary 9", "sub 1", "activate"}));
    EXPECT_TRUE(logText().contains("  :English sublang == 0 and GetUserDefaultLangID returns 409\n"));
    EXPECT_TRUE(logText().contains("  :sublanguage=4\n"));
    EXPECT_TRUE(ui_.shown.isEmpty());
}

TEST_F(LanguageChoiceTest, EnglishOnGermanSystemStaysAndUsesUkEnglish)
{
    reg::writeString(RegRoot::LocalMachine, kKey, "ID", "9");
    chooseLanguage(dict_, log_, nullptr, [] { return 0x407; });
    EXPECT_EQ(stored("ID"), "9");
    EXPECT_EQ(stored("SubLanguage"), "<none>");
    EXPECT_TRUE(dict_.calls.contains("sub 2"));
}

TEST_F(LanguageChoiceTest, EnglishOtherSubLanguageWrittenAsUk)
{
    reg::writeString(RegRoot::LocalMachine, kKey, "ID", "9");
    chooseLanguage(dict_, log_, nullptr, [] { return 0xC09; });
    EXPECT_EQ(stored("ID"), "809");
    EXPECT_EQ(stored("SubLanguage"), "UK English");
    EXPECT_TRUE(dict_.calls.contains("sub 2"));
}

TEST_F(LanguageChoiceTest, StoredLanguagesAreUsedAsTheyAre)
{
    reg::writeString(RegRoot::LocalMachine, kKey, "ID", "409");
    chooseLanguage(dict_, log_, nullptr, [] { return 0x407; });
    EXPECT_EQ(dict_.calls, QStringList({"select 409", "primary 9", "sub 1", "activate"}));
    dict_.calls.clear();
    reg::writeString(RegRoot::LocalMachine, kKey, "ID", "407");
    chooseLanguage(dict_, log_, nullptr, [] { return 0x409; });
    EXPECT_EQ(dict_.calls, QStringList({"select 407", "primary 7", "activate"}));
    EXPECT_EQ(stored("ID"), "407");
}

TEST_F(LanguageChoiceTest, MissingIdAsksTheUser)
{
    ui_.languageAnswers << 0x407;
    chooseLanguage(dict_, log_, nullptr, [] { return 0x409; });
    ASSERT_EQ(ui_.shown.size(), 1);
    EXPECT_EQ(ui_.shown[0].kind, "language");
    EXPECT_EQ(reg::readDword(RegRoot::LocalMachine, kKey, "Language").value_or(0), 0x407u);
    EXPECT_TRUE(dict_.calls.contains("select 407"));
}

TEST_F(LanguageChoiceTest, CancelledDialogWritesNothing)
{
    chooseLanguage(dict_, log_, nullptr, [] { return 0x409; });
    EXPECT_FALSE(reg::valueExists(RegRoot::LocalMachine, kKey, "Language"));
    EXPECT_FALSE(reg::valueExists(RegRoot::LocalMachine, kKey, "ID"));
    EXPECT_EQ(dict_.calls, QStringList({"activate"}));
}
