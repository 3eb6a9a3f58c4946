// The shared code of the sheet: language files, product records and their
// write-back to the engine, and the start-up entry.

#include "fresh_root.h"
#include "inifile.h"
#include "langtext.h"
#include "patchwellctrl.h"
#include "productlist.h"
#include "recordingengine.h"
#include "startupshortcut.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class InstallDir : public ::testing::Test {
protected:
    FreshRoot root;
    QTemporaryDir dir;
    void write(const QString &name, const QByteArray &text)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
    }
    QString path() const { return dir.path(); }
};

} // namespace

TEST(LanguageNames, LocalesGiveThePlatformsThreeLetters)
{
    EXPECT_EQ(pwlang::abbreviatedLanguageName(QLocale(QLocale::English, QLocale::UnitedStates)), "ENU");
    EXPECT_EQ(pwlang::abbreviatedLanguageName(QLocale(QLocale::English, QLocale::UnitedKingdom)), "ENG");
    EXPECT_EQ(pwlang::abbreviatedLanguageName(QLocale(QLocale::German, QLocale::Germany)), "DEU");
    EXPECT_EQ(pwlang::abbreviatedLanguageName(QLocale(QLocale::German, QLocale::Austria)), "DEA");
}

TEST_F(InstallDir, TheSupportListDecidesTheLanguageFile)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    // No list at all: English.
    EXPECT_EQ(pwlang::languageCode(path(), german), "ENU");
    // Listed as entry 7 but not supported: English.
    write("LangSupp.ini", "[LanguageSupport]\nLanguage7=deu\nSupported7=0\nLanguage8=DEU\nSupported8=1\n");
    EXPECT_EQ(pwlang::languageCode(path(), german), "ENU");
    // Entry 7 without its supported value is skipped: entry 8 decides.
    write("LangSupp.ini", "[LanguageSupport]\nLanguage7=DEU\nLanguage8=DEU\nSupported8=1\n");
    EXPECT_EQ(pwlang::languageCode(path(), german), "DEU");
    // Entry 36 is never read.
    write("LangSupp.ini", "[LanguageSupport]\nLanguage36=DEU\nSupported36=1\n");
    EXPECT_EQ(pwlang::languageCode(path(), german), "ENU");
    write("LangSupp.ini", "[LanguageSupport]\nLanguage35=DEU\nSupported35=1\n");
    EXPECT_EQ(pwlang::languageCode(path(), german), "DEU");
    EXPECT_EQ(pwlang::languageFile(path(), "PW", "DEU"), path() + "\\PWDEU.INI");
}

TEST_F(InstallDir, TextsReadDefaultAndMissingAsEmpty)
{
    write("PWENU.INI", "[AppMenu]\nExit=E&xit\nAboutPatchwell=Default\nSpaced=\"  a  \"\n");
    const CLangText menu(path(), "PW", "AppMenu");
    EXPECT_EQ(menu.Get("Exit"), "E&xit");
    EXPECT_EQ(menu.Get("AboutPatchwell"), "");
    EXPECT_EQ(menu.Get("Missing"), "");
    EXPECT_EQ(menu.Get("Spaced"), "  a  ");
    EXPECT_EQ(CLangText(path(), "PW", "NoSuchSection").Get("Exit"), "");
    // A damaged file gives empty texts, not a crash.
    write("PWENU.INI", QByteArray("\xff\xfe[App\0Menu\nExit\n=\n[[[", 22));
    EXPECT_EQ(CLangText(path(), "PW", "AppMenu").Get("Exit"), "");
}

TEST(ShippedTexts, EveryLanguageFileHasTheSameSectionsAndKeys)
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const char *section : {"AppInitInstanceMsg", "AppMenu", "AppAbout", "AppCommon", "CommonPage",
                                "SchedulingPage", "ConnectionPage", "GeneralPage", "DunStatusDialog",
                                "DownloadProgressDialog", "UpdateEventMessage", "ProductInfo", "UpdateEventLogging",
                                "Accessibility"}) {
        const QStringList english = GetPrivateProfileSection(section, dir + "\\PWENU.INI");
        const QStringList german = GetPrivateProfileSection(section, dir + "\\PWDEU.INI");
        EXPECT_FALSE(english.isEmpty()) << section;
        QStringList ek, gk;
        for (const QString &l : english)
            ek << l.section('=', 0, 0);
        for (const QString &l : german)
            gk << l.section('=', 0, 0);
        EXPECT_EQ(ek, gk) << section;
    }
}

TEST(ShippedTexts, EachTabHasAMnemonicOfItsOwn)
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const char *code : {"ENU", "DEU"}) {
        QStringList seen;
        for (const char *section : {"CommonPage", "SchedulingPage", "ConnectionPage", "GeneralPage"}) {
            const QString caption = GetPrivateProfileString(section, "Caption", QString(),
                                                            dir + "\\PW" + code + ".INI");
            const qsizetype amp = caption.indexOf('&');
            ASSERT_GE(amp, 0) << code << section;
            const QString m = caption.mid(amp + 1, 1).toLower();
            EXPECT_FALSE(seen.contains(m)) << code << " " << section << " repeats " << m.toStdString();
            seen << m;
        }
    }
}

namespace {

class Records : public ::testing::Test {
protected:
    FreshRoot root;
    RecordingEngine *engine = new RecordingEngine;
    CPatchwellCtrl ctrl;
    CProductList list;
    QList<bool> shortcut;
    Records()
    {
        engine->products = {"Modem", "ISDN TA", "Portdeck"};
        ctrl.Attach(engine);
        list.updateShortcut = [this](bool wanted) { shortcut << wanted; };
    }
};

} // namespace

TEST_F(Records, LoadingAsksForEveryFieldInItsOrder)
{
    engine->values[{pw::DispGetUserNameEnabled, 1}] = true;
    list.LoadAll(ctrl);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.currentPosition(), 0);
    using namespace pw;
    const QList<int> plain = {DispGetLogAllEvents, DispGetProductSiteEnabled, DispGetProductSite, DispGetUserNameEnabled,
                              DispGetProductName, DispGetRunFromStartUp, DispGetUpdateInterval, DispGetNextUpdate,
                              DispGetPreviousUpdate, DispGetConnectionType, DispGetPreferredConnection, DispGetPhonebook,
                              DispGetUserName, DispGetPassword, DispGetConfirmAllUpdates};
    QList<int> expected = {DispDetectProducts, DispGetProductCount};
    expected += plain;
    QList<int> withUser = plain;
    withUser.insert(4, DispGetPassword);
    withUser.insert(4, DispGetUserName);
    expected += withUser;
    expected += plain;
    EXPECT_EQ(engine->ids(), expected);
    EXPECT_TRUE(list.at(0)->changedFields.isEmpty());
}

TEST_F(Records, WriteBackGoesByChangeIdWithStartUpAsTheOrOfAllRecords)
{
    list.LoadAll(ctrl);
    engine->calls.clear();
    CProductSettings &isdn = *list.at(1);
    isdn.SetLogAllEvents(true, changeid::LogAllEvents);
    isdn.SetUpdateInterval(7, changeid::Interval);
    isdn.SetConfirmAllUpdates(true, changeid::ConfirmAllUpdates);
    isdn.SetProductSite("http://x/", changeid::ProductSite);
    list.at(2)->SetRunFromStartUp(true, changeid::RunFromStartUp);
    isdn.SetRunFromStartUp(false, changeid::RunFromStartUp);
    list.WriteBack(isdn, ctrl);
    EXPECT_EQ(engine->writes(), (QStringList{"3:1,T", "39:1,http://x/", "15:1,T", "19:1,7", "30:T"}));
    EXPECT_TRUE(isdn.changedFields.isEmpty());
    EXPECT_EQ(shortcut, QList<bool>{true});
    // A record with nothing changed writes nothing, but the shortcut is still brought in line.
    engine->calls.clear();
    list.WriteBack(*list.at(0), ctrl);
    EXPECT_TRUE(engine->calls.isEmpty());
    EXPECT_EQ(shortcut, (QList<bool>{true, true}));
}

TEST_F(Records, OkWritesTheCurrentRecordFirstThenEveryRecordInListOrder)
{
    list.LoadAll(ctrl);
    list.SetCurrent(2);
    for (int i = 0; i < 3; ++i)
        list.at(i)->SetUpdateInterval(10 + i, changeid::Interval);
    engine->calls.clear();
    list.WriteBackAll(ctrl, true);
    EXPECT_EQ(engine->writes(), (QStringList{"19:2,12", "19:0,10", "19:1,11"}));
}

TEST_F(Records, CancelPutsTheLoadedPhonebookAndConnectionBack)
{
    engine->values[{pw::DispGetPhonebook, -1}] = "old.pbk";
    engine->values[{pw::DispGetPreferredConnection, -1}] = "Office";
    list.LoadAll(ctrl);
    list.at(0)->SetPhonebook("new.pbk", changeid::Phonebook);
    list.at(0)->SetPreferredConnection("Home", changeid::PreferredConnection);
    list.at(0)->SetUpdateInterval(3, changeid::Interval);
    engine->calls.clear();
    list.RestoreAll(ctrl);
    EXPECT_EQ(engine->writes(), (QStringList{"41:0,old.pbk", "18:0,Office"}));
    EXPECT_EQ(list.at(0)->changedFields, QSet<int>{changeid::Interval});
}

TEST(StartUpEntry, CreatedOnceKeptWhileWantedAndMovedAwayWhenNot)
{
    // The entry and the trash it goes to stay inside the test's folders.
    QTemporaryDir config, data;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME"), previousData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    const QString entry = config.path() + "/autostart/patchwell.desktop";
    EXPECT_EQ(startup::ShortcutPath(1), entry);
    EXPECT_EQ(startup::ShortcutPath(0), "");
    EXPECT_EQ(startup::UpdateShortcut(true, 1, "/opt/my tools/patchwell"), 0);
    QFile f(entry);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("Exec=\"/opt/my tools/patchwell\"\n"));
    EXPECT_TRUE(text.contains("Name=Patchwell\n"));
    f.close();
    const auto stamp = QFileInfo(entry).lastModified();
    EXPECT_EQ(startup::UpdateShortcut(true, 1, "/other"), 0);   // kept as it was
    EXPECT_EQ(QFileInfo(entry).lastModified(), stamp);
    EXPECT_EQ(startup::UpdateShortcut(false, 1, "/other"), 0);
    EXPECT_FALSE(QFileInfo::exists(entry));
    qputenv("XDG_CONFIG_HOME", previous);
    qputenv("XDG_DATA_HOME", previousData);
}
