// The dictionary compiler as the build runs it: module files in, one
// dictionary out; a malformed line or a conflict fails with file and line.

#include "dictionary.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CompileResult {
    int exitCode = -1;
    QString errors;
};

struct DictcTest : ::testing::Test {
    QTemporaryDir dir;

    QString write(const QString &name, const QByteArray &content)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    CompileResult compile(const QStringList &inputs)
    {
        QProcess process;
        process.start(QStringLiteral(TLDICTC_PATH), QStringList{"-o", output()} + inputs);
        EXPECT_TRUE(process.waitForFinished(20000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

    QString output() const { return dir.filePath("pd30dic.mld"); }
};

} // namespace

TEST_F(DictcTest, CompilesModuleFilesIntoOneDictionary)
{
    const QString languages = write("languages.txt", "@language 409 English (United States)\n@language 407 Deutsch\n");
    const QString a = write("a.txt", "> Exit\n409: Exit\n407: Beenden\n");
    const QString b = write("b.txt", "# the same text again, same wording: merged\n> Exit\n407: Beenden\n"
                                     "> Help\n409: Help\n");
    const CompileResult run = compile({b, a, languages});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("b.txt:4: note: no translation for Deutsch")) << run.errors.toStdString();

    tl::Dictionary dictionary;
    ASSERT_TRUE(dictionary.load(output()));
    EXPECT_EQ(dictionary.textCount(), 2);
    dictionary.selectLanguage(0x407);
    EXPECT_EQ(dictionary.translate("Exit"), "Beenden");
    EXPECT_EQ(dictionary.translate("Help"), "Help");
}

TEST_F(DictcTest, MalformedLineFailsWithFileAndLineAndWritesNothing)
{
    const QString languages = write("languages.txt", "@language 407 Deutsch\n");
    const QString good = write("good.txt", "> Exit\n407: Beenden\n");
    ASSERT_EQ(compile({languages, good}).exitCode, 0);

    const QString bad = write("bad.txt", "> Back\n407 Zurück\n");
    const CompileResult run = compile({languages, good, bad});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(dir.filePath("bad.txt") + ":2: unrecognised line")) << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(output())) << "a stale dictionary must not survive a failed build";
}

TEST_F(DictcTest, ConflictingDuplicatesAcrossFilesFail)
{
    const QString languages = write("languages.txt", "@language 407 Deutsch\n");
    const QString a = write("a.txt", "> Back\n407: Zurück\n");
    const QString b = write("b.txt", "\n> Back\n407: Rückwärts\n");
    const CompileResult run = compile({languages, a, b});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("b.txt:3: second, different 407 translation of \"Back\"")) << run.errors.toStdString();

    const CompileResult noLanguage = compile({a});
    EXPECT_EQ(noLanguage.exitCode, 1);
    EXPECT_TRUE(noLanguage.errors.contains("407 is not declared")) << noLanguage.errors.toStdString();
}
