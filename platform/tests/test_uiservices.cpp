#include "uiservices.h"

#include "fresh_root.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

TEST(UiServices, ScriptedServicesAnswerFromTheScriptAndRecordWhatWasShown)
{
    ScriptedUiServices scripted;
    setUiServices(&scripted);
    scripted.messageAnswers = {IDNO};
    scripted.fileAnswers = {QStringLiteral("/tmp/a.bin")};
    scripted.languageAnswers = {0x407};
    scripted.helpExists = false;

    EXPECT_EQ(ui().messageBox(nullptr, QStringLiteral("Save changes?"), QStringLiteral("Quillon"), MB_YESNO, MB_ICONQUESTION), IDNO);
    EXPECT_EQ(ui().messageBox(nullptr, QStringLiteral("Again?"), QString(), MB_YESNO, 0), IDYES);
    EXPECT_EQ(ui().messageBox(nullptr, QStringLiteral("Retry?"), QString(), MB_RETRYCANCEL, 0), IDCANCEL);
    EXPECT_EQ(ui().messageBox(nullptr, QStringLiteral("Done"), QString(), MB_OK, 0), IDOK);
    EXPECT_EQ(ui().openFileName(nullptr, QStringLiteral("Open"), QString(), QStringLiteral("Bin (*.bin)|*.bin")), QStringLiteral("/tmp/a.bin"));
    EXPECT_EQ(ui().saveFileName(nullptr, QStringLiteral("Save"), QString(), QString()), QString());
    EXPECT_FALSE(ui().showHelp(nullptr, QStringLiteral("isdnta.hlp"), 130));
    EXPECT_EQ(ui().chooseLanguage(nullptr, {{0x409, "English"}, {0x407, "Deutsch"}}, 0x409), 0x407);
    EXPECT_EQ(ui().chooseLanguage(nullptr, {}, 0x409), -1);

    EXPECT_EQ(scripted.messages(), (QStringList{"Save changes?", "Again?", "Retry?", "Done"}));
    ASSERT_EQ(scripted.shown.size(), 9);
    EXPECT_EQ(scripted.shown[0].caption, QStringLiteral("Quillon"));
    EXPECT_EQ(scripted.shown[0].number, MB_YESNO);
    EXPECT_EQ(scripted.shown[4].kind, QStringLiteral("open"));
    EXPECT_EQ(scripted.shown[4].caption, QStringLiteral("Bin (*.bin)|*.bin"));
    EXPECT_EQ(scripted.shown[6].kind, QStringLiteral("help"));
    EXPECT_EQ(scripted.shown[6].text, QStringLiteral("isdnta.hlp"));
    EXPECT_EQ(scripted.shown[6].number, 130);
    EXPECT_EQ(scripted.shown[7].number, 0x409);

    setUiServices(nullptr);
    EXPECT_NE(&ui(), static_cast<UiServices *>(&scripted));
}

TEST(UiServices, HelpPagesAreFoundByContextThenByHelpFile)
{
    FreshRoot root;
    qputenv("TALLYLINE_HELP_DIR", QFile::encodeName(root.path()));
    QDir().mkpath(root.file(QStringLiteral("isdnta")));
    for (const char *page : {"isdnta/130.html", "isdnta.html", "analog.html"}) {
        QFile f(root.file(QLatin1String(page)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<html><body>help</body></html>");
    }
    EXPECT_EQ(helpPagePath(QStringLiteral("isdnta.hlp"), 130), root.file(QStringLiteral("isdnta/130.html")));
    EXPECT_EQ(helpPagePath(QStringLiteral("ISDNTA.HLP"), 130), root.file(QStringLiteral("isdnta/130.html")));
    EXPECT_EQ(helpPagePath(QStringLiteral("isdnta.hlp"), 7), root.file(QStringLiteral("isdnta.html")));
    EXPECT_EQ(helpPagePath(QStringLiteral("c:\\help\\analog.hlp"), 44), root.file(QStringLiteral("analog.html")));
    EXPECT_EQ(helpPagePath(QStringLiteral("nodevice.hlp"), 10), QString());

    // The default viewer shows a page that exists and reports one that does not.
    EXPECT_TRUE(ui().showHelp(nullptr, QStringLiteral("analog.hlp"), 44));
    EXPECT_FALSE(ui().showHelp(nullptr, QStringLiteral("nodevice.hlp"), 10));
    qunsetenv("TALLYLINE_HELP_DIR");
}
