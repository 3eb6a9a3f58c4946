// The publisher's tool, run as a publisher runs it: a site it builds and signs
// is taken by the engine, and its check finds what the engine would refuse.

#include "enginefixture.h"

#include <QProcess>

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

void writeFileForTool(const QString &path, const QByteArray &content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

Result tool(const QStringList &args, const QString &dir = {})
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(PATCHWELL_SITE), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST_F(Engine, ASiteThePublishersToolBuildsAndSignsIsInstalledAndItsCheckFindsFaults)
{
    TestSigningKey key, other;
    ASSERT_TRUE(key.valid() && other.valid()) << "minisign is needed (scripts/deps)";
    QTemporaryDir work;
    const QByteArray image = bytes(70000, 5);
    writeFileForTool(work.filePath("isdnta.bin"), image);
    writeFileForTool(work.filePath("notes.txt"), "What is new");
    const QString dir = work.filePath("site/isdnta");
    const QString tomorrow = QDate::currentDate().addDays(1).toString(Qt::ISODate);
    Result r = tool({"build", dir, "--product", kProduct, "--version", "2.0", "--readme", "notes.txt", "--restart",
                     "--sign", key.secretKeyFile, "--expires=" + tomorrow, "isdnta.bin"},
                    work.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("good")) << r.out.toStdString();
    EXPECT_EQ(tool({"check", dir, "--key", key.publicKeyFile}).status, 0);
    r = tool({"check", dir, "--key", key.publicKey, "--product", kProduct});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("signature good for " + QString(kProduct) + " until " + tomorrow)) << r.out.toStdString();

    // The engine takes what the tool wrote.
    registerProduct(QUrl::fromLocalFile(dir).toString());
    reg::writeString(RegRoot::LocalMachine, productKey(), "UpdatePublicKey", key.publicKey);
    start();
    EXPECT_EQ(runUpdate(), 11);
    EXPECT_TRUE(kinds().contains(10));
    EXPECT_EQ(installed(), "2.0");

    // What the engine would refuse, the check names.
    r = tool({"check", dir, "--key", other.publicKey});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("signature made by another key")) << r.err.toStdString();
    r = tool({"check", dir, "--key", key.publicKey, "--product", "Portdeck"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("signature for another product")) << r.err.toStdString();
    writeFileForTool(dir + "/isdnta.bin", bytes(70000, 6));
    r = tool({"check", dir, "--key", key.publicKeyFile});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("isdnta.bin: SHA-256 digest does not match")) << r.err.toStdString();
    QFile::remove(dir + "/update.ini.minisig");
    r = tool({"check", dir, "--key", key.publicKeyFile});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("update.ini: signature missing")) << r.err.toStdString();
}

TEST(PublisherTool, WrongUsageIsToldInTheUsualWay)
{
    QTemporaryDir work;
    writeFileForTool(work.filePath("a.bin"), "x");
    const struct {
        QStringList args;
        QString says;
    } wrong[] = {
        {{}, "a command is needed"},
        {{"publish"}, "unknown command 'publish'"},
        {{"build", "out", "--version", "1", "a.bin"}, "--product is needed"},
        {{"build", "out", "--product", "P", "--version", "9/../../x", "a.bin"}, "--version '9/../../x'"},
        {{"build", "out", "--product", "P", "--version", "1", "--sign", "k.key", "a.bin"}, "--sign and --expires go together"},
        {{"build", "out", "--product", "P", "--version", "1", "--sign", "k", "--expires", "2030-02-30", "a.bin"}, "not a date"},
        {{"build", "out", "--product", "P", "--version", "1"}, "no files given"},
        {{"build", "out", "--product", "P", "--version", "1", "--fast", "a.bin"}, "unknown option '--fast'"},
        {{"build", "out", "--product"}, "option '--product' needs a value"},
        {{"check"}, "the site's folder DIR is needed"},
        {{"check", "out", "--key", "RWQnotakey"}, "--key RWQnotakey: not a minisign public key"},
    };
    for (const auto &w : wrong) {
        const Result r = tool(w.args, work.path());
        EXPECT_EQ(r.status, 2) << w.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("patchwell-site: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(w.says)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("Try 'patchwell-site --help'")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(work.filePath("out")));
    const Result help = tool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: patchwell-site build DIR"));
    // A missing file is a failure, not wrong usage; so is a site that is not there.
    EXPECT_EQ(tool({"build", "out", "--product", "P", "--version", "1", "gone.bin"}, work.path()).err,
              "patchwell-site: gone.bin: No such file or directory\n");
    EXPECT_EQ(tool({"check", "nowhere"}, work.path()).status, 1);
}
