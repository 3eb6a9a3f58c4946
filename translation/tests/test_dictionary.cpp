// The dictionary: lookup with fallback to the source text, language selection
// by identifier, primary and sub-language, locale binding, the one-time report
// of a missing or damaged file, and the dictionary the build ships.

#include "dictionary.h"

#include <QFileInfo>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using tl::Dictionary;

namespace {

const QByteArray kSample = "@language 409 English (United States)\n"
                           "@language 809 English (United Kingdom)\n"
                           "@language 407 Deutsch\n"
                           "> Color\n409: Color\n809: Colour\n407: Farbe\n"
                           "> Number of products found: %d\n407: Anzahl gefundener Produkte: %d\n"
                           "> Back\n409: Back\n";

struct DictionaryTest : ::testing::Test {
    Dictionary dictionary;
    void SetUp() override { ASSERT_TRUE(dictionary.loadData(kSample, "sample.mld")); }
};

} // namespace

TEST_F(DictionaryTest, TranslatesAndFallsBackToTheSource)
{
    EXPECT_EQ(dictionary.language(), 0x409);   // before any selection: US English
    EXPECT_EQ(dictionary.translate("Color"), "Color");

    dictionary.selectLanguage(0x407);
    EXPECT_EQ(dictionary.translate("Color"), "Farbe");
    EXPECT_EQ(dictionary.translate("Back"), "Back");              // no German line
    EXPECT_EQ(dictionary.translate("Not in the file"), "Not in the file");
    const QString format = dictionary.translate("Number of products found: %d");
    EXPECT_EQ(QString::asprintf(qPrintable(format), 3), "Anzahl gefundener Produkte: 3");

    dictionary.selectLanguage(0xc07);      // Austrian German: same primary language
    EXPECT_EQ(dictionary.effectiveLanguage(), 0x407);
    EXPECT_EQ(dictionary.translate("Color"), "Farbe");
    dictionary.selectLanguage(0x40c);      // French: not in the file
    EXPECT_EQ(dictionary.effectiveLanguage(), 0);
    EXPECT_EQ(dictionary.translate("Color"), "Color");
}

TEST_F(DictionaryTest, PrimaryAndSubLanguageComposeTheIdentifier)
{
    // The stored "9" (English without sub-language), resolved to UK English.
    dictionary.selectLanguage(0x10009);    // only the low 16 bits count
    dictionary.setPrimaryLanguage(9);
    EXPECT_EQ(dictionary.language(), 9);
    EXPECT_EQ(dictionary.subLanguage(), 0);
    dictionary.setSubLanguage(2);
    EXPECT_EQ(dictionary.language(), 0x809);
    EXPECT_EQ(dictionary.translate("Color"), "Colour");
    dictionary.setSubLanguage(1);
    EXPECT_EQ(dictionary.language(), 0x409);
    EXPECT_EQ(dictionary.primaryLanguage(), 9);

    dictionary.selectLanguage(0x407);
    dictionary.setPrimaryLanguage(9);      // keeps the sub-language 1
    EXPECT_EQ(dictionary.language(), 0x409);

    const QList<LanguageChoice> languages = dictionary.languages();
    ASSERT_EQ(languages.size(), 3);
    EXPECT_EQ(languages[2].languageId, 0x407);
    EXPECT_EQ(languages[2].name, "Deutsch");
    EXPECT_EQ(dictionary.languageName(0x809), "English (United Kingdom)");
}

TEST_F(DictionaryTest, LocaleBindingAndLanguageChangedSignal)
{
    QSignalSpy changed(&dictionary, &Dictionary::languageChanged);

    // Unbound: the locale is only stored.
    dictionary.setLocale(0x407);
    EXPECT_EQ(dictionary.language(), 0x409);
    EXPECT_EQ(changed.count(), 0);

    // Bound the way the ISDN TA library sets it: locale first, then language.
    dictionary.setBindingMode(tl::BindingMode::LanguageToLocale);
    dictionary.setLocale(0x10407);         // sort order above the identifier
    EXPECT_EQ(dictionary.language(), 0x407);
    dictionary.selectLanguage(0x809);
    EXPECT_EQ(dictionary.locale(), 0x809u);
    EXPECT_EQ(dictionary.translate("Color"), "Colour");
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(1).at(0).toInt(), 0x809);

    dictionary.selectLanguage(0x809);      // no change, no signal
    EXPECT_EQ(changed.count(), 2);
    EXPECT_FALSE(dictionary.isActive());
    dictionary.activate();                 // always announces, so forms refresh
    EXPECT_TRUE(dictionary.isActive());
    EXPECT_EQ(changed.count(), 3);
}

TEST(DictionaryFile, MissingOrDamagedFileIsReportedOnceAndLeavesAnEmptyDictionary)
{
    QTemporaryDir dir;
    Dictionary dictionary;
    dictionary.selectLanguage(0x407);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(dictionary.load(dir.filePath("pd30dic.mld")));
    EXPECT_FALSE(dictionary.load(dir.filePath("pd30dic.mld")));
    const std::string missing = testing::internal::GetCapturedStderr();
    EXPECT_NE(missing.find("pd30dic.mld cannot be read"), std::string::npos) << missing;
    EXPECT_EQ(missing.find("pd30dic.mld", missing.find('\n')), std::string::npos) << "reported twice";
    EXPECT_TRUE(dictionary.isEmpty());
    EXPECT_EQ(dictionary.translate("Color"), "Color");

    // Good contents first, then a damaged file: nothing of either remains.
    ASSERT_TRUE(dictionary.loadData(kSample, "good.mld"));
    EXPECT_EQ(dictionary.translate("Color"), "Farbe");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(dictionary.loadData(kSample + "407: Farbe\n> Color\n407: Farbton\n", "damaged.mld"));
    const std::string damaged = testing::internal::GetCapturedStderr();
    EXPECT_NE(damaged.find("damaged.mld is damaged (damaged.mld:14: second, different 407"),
              std::string::npos) << damaged;
    EXPECT_TRUE(dictionary.isEmpty());
    EXPECT_TRUE(dictionary.languages().isEmpty());
    EXPECT_EQ(dictionary.translate("Color"), "Color");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(dictionary.loadData(QByteArray("\xff\xfe\x00garbage", 10), "binary.mld"));
    EXPECT_FALSE(dictionary.loadData(QByteArray(), "empty.mld"));   // no language at all
    const std::string other = testing::internal::GetCapturedStderr();
    EXPECT_NE(other.find("binary.mld is damaged"), std::string::npos) << other;
    EXPECT_NE(other.find("empty.mld is damaged"), std::string::npos) << other;
}

TEST(DictionaryFile, ShippedDictionaryLiesBesideTheProgramAndHasGerman)
{
    EXPECT_EQ(QFileInfo(Dictionary::defaultPath()).canonicalFilePath(),
              QFileInfo(QStringLiteral(TL_DICTIONARY_FILE)).canonicalFilePath());
    Dictionary dictionary;
    ASSERT_TRUE(dictionary.load());
    EXPECT_GT(dictionary.textCount(), 60);
    const QList<LanguageChoice> languages = dictionary.languages();
    ASSERT_EQ(languages.size(), 3);
    EXPECT_EQ(languages[0].languageId, 0x409);
    EXPECT_EQ(languages[1].languageId, 0x809);
    EXPECT_EQ(languages[2].languageId, 0x407);

    dictionary.selectLanguage(0x407);
    EXPECT_EQ(dictionary.translate("Portdeck is already running"), "Portdeck wird bereits ausgeführt");
    EXPECT_EQ(QString::asprintf(qPrintable(dictionary.translate("Version %s (Build: %s)")), "3.2", "3.02.05"),
              "Version 3.2 (Build: 3.02.05)");
    EXPECT_TRUE(dictionary.translate("The following file is missing or corrupted: %s.\n\n"
                                     "Please re-install the software for your product.")
                    .startsWith("Die folgende Datei fehlt"));
    dictionary.selectLanguage(0x809);
    EXPECT_EQ(dictionary.translate("Click a button from the left panel to access a particular tool."),
              "Click a button from the left panel to access a particular tool.");
}

TEST(DictionaryFile, SeparateInstancesAndTheActiveDictionary)
{
    Dictionary portdeck, library;
    ASSERT_TRUE(portdeck.loadData(kSample, "a.mld"));
    ASSERT_TRUE(library.loadData(kSample, "b.mld"));
    portdeck.selectLanguage(0x407);
    EXPECT_EQ(library.translate("Color"), "Color");   // a library's own, until handed over

    tl::setActiveDictionary(&portdeck);
    EXPECT_EQ(&tl::dictionary(), &portdeck);
    EXPECT_EQ(tl::translate("Color"), "Farbe");
    tl::setActiveDictionary(nullptr);
    EXPECT_NE(&tl::dictionary(), &portdeck);
}

TEST(LanguageId, UserDefaultFollowsTheDefaultLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(tl::userDefaultLanguageId(), 0x809);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(tl::userDefaultLanguageId(), 0x409);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Austria));
    EXPECT_EQ(tl::userDefaultLanguageId(), 0xc07);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(tl::userDefaultLanguageId(), 0x407);
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    EXPECT_EQ(tl::userDefaultLanguageId(), 0x409);
    QLocale::setDefault(saved);
    EXPECT_EQ(tl::primaryLanguageOf(0x809), 9);
    EXPECT_EQ(tl::subLanguageOf(0x809), 2);
}
