// Signed sites and https: a product that pins keys takes only a version file
// signed by one of them, for itself, not expired; an https site only with a
// certificate of an authority this machine trusts.

#include "enginefixture.h"
#include "sitesignature.h"

#include <QDirIterator>

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString sourceFile(const QString &relative)
{
    return QStringLiteral(TALLYLINE_SOURCE_DIR "/") + relative;
}

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value) : name_(name), had_(qEnvironmentVariableIsSet(name)),
        old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

} // namespace

TEST(SiteSignature, OnlyAPinnedKeyForThisProductBeforeItsExpiryVerifies)
{
    TestSigningKey key, other;
    ASSERT_TRUE(key.valid() && other.valid()) << "minisign is needed (scripts/deps)";
    QTemporaryDir dir;
    const QString file = dir.filePath("update.ini");
    const QByteArray text = "[Update]\nVersion=2\n";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    const QDate expiry(2030, 6, 30);
    const QList<PublicKey> pinned = parsePublicKeys(other.publicKey + "  \n" + key.publicKey);
    ASSERT_EQ(pinned.size(), 2);
    auto check = [&](const QByteArray &message, const QString &product, const QDate &today) {
        const QByteArray sig = readFile(file + ".minisig");
        return checkSignature(message, &sig, pinned, product, today);
    };

    for (bool legacy : {false, true}) {
        SCOPED_TRACE(legacy ? "legacy" : "prehashed");
        ASSERT_TRUE(key.sign(file, "Varnel Brenmoor ISDN TA", "2030-06-30", legacy));
        EXPECT_TRUE(check(text, "Varnel Brenmoor ISDN TA", expiry).ok);          // valid through its day
        EXPECT_TRUE(check(text, "varnel brenmoor isdn ta", expiry).ok);          // key names ignore case
        EXPECT_EQ(check(text, "Varnel Brenmoor ISDN TA", expiry.addDays(1)).why, "signature expired on 2030-06-30");
        EXPECT_EQ(check(text, "Portdeck", expiry).why, "signature for another product (Varnel Brenmoor ISDN TA)");
        EXPECT_EQ(check(text + " ", "Varnel Brenmoor ISDN TA", expiry).why, "signature does not verify");
    }
    // The trusted comment is signed too: a later expiry written in does not verify.
    QByteArray sig = readFile(file + ".minisig");
    sig.replace("expires=2030-06-30", "expires=2099-06-30");
    EXPECT_EQ(checkSignature(text, &sig, pinned, "Varnel Brenmoor ISDN TA", expiry).why, "signature does not verify");

    const QByteArray garbage = "untrusted comment: x\nnot base64\n";
    EXPECT_TRUE(checkSignature(text, &garbage, pinned, "P", expiry).why.startsWith("signature does not verify"));
    EXPECT_EQ(checkSignature(text, nullptr, pinned, "P", expiry).why, "signature missing");
    ASSERT_TRUE(key.sign(file, "P", "2030-06-30"));
    sig = readFile(file + ".minisig");
    EXPECT_TRUE(checkSignature(text, &sig, parsePublicKeys(other.publicKey), "P", expiry)
                    .why.startsWith("signature made by another key"));
    int bad = 0;
    EXPECT_TRUE(parsePublicKeys("RWQ-not-a-key " + key.publicKey.left(20), &bad).isEmpty());
    EXPECT_EQ(bad, 2);
    EXPECT_FALSE(checkSignature(text, &sig, {}, "P", expiry).ok);
    // A whole public key file is read as well as its key line.
    const auto whole = parsePublicKey(QString::fromLatin1(readFile(key.publicKeyFile)));
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(whole->key, pinned[1].key);
}

TEST_F(Engine, APinnedProductTakesOnlyASignedVersionFileAndNothingElseOfARefusedSite)
{
    TestSigningKey key, other;
    ASSERT_TRUE(key.valid() && other.valid()) << "minisign is needed (scripts/deps)";
    const QString tomorrow = QDate::currentDate().addDays(1).toString(Qt::ISODate);
    struct Case {
        const char *name;
        const TestSigningKey *signer;   // none: no signature on the site
        QString product;
        QString expires;
        bool legacy;
        bool tamper;
        long kind;
        QString why;
    } cases[] = {
        {"signed", &key, kProduct, tomorrow, false, false, 11, {}},
        {"signed the older way", &key, kProduct, tomorrow, true, false, 11, {}},
        {"not signed", nullptr, kProduct, tomorrow, false, false, 17, "signature missing"},
        {"changed after signing", &key, kProduct, tomorrow, false, true, 17, "signature does not verify"},
        {"signed by another key", &other, kProduct, tomorrow, false, false, 17, "signature made by another key"},
        {"for another product", &key, "Portdeck", tomorrow, false, false, 17, "signature for another product"},
        {"expired", &key, kProduct, "2020-01-31", false, false, 17, "signature expired on 2020-01-31"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestSite site;
        site.publish("2.0", {{"fw.bin", bytes(6000, 2)}}, "Readme=readme.txt");
        site.put("readme.txt", "notes");
        if (c.signer) {
            ASSERT_TRUE(c.signer->sign(site.path() + "/update.ini", c.product, c.expires, c.legacy));
        }
        if (c.tamper)
            site.put("update.ini", site.get("update.ini").replace("Version=2.0", "Version=2.1"));
        TestHttpServer server(site.path());
        registerProduct(server.url());
        reg::writeString(RegRoot::LocalMachine, productKey(), "UpdatePublicKey", other.publicKey + " " + key.publicKey);
        if (c.signer == &other)
            reg::writeString(RegRoot::LocalMachine, productKey(), "UpdatePublicKey", key.publicKey);
        start();
        EXPECT_EQ(runUpdate(), c.kind);
        if (c.kind == 11) {
            EXPECT_EQ(installed(), "2.0");
        } else {
            EXPECT_EQ(installed(), "1.0");
            EXPECT_EQ(server.requests, (QStringList{"update.ini", "update.ini.minisig"}));
            const QStringList texts = logTexts();
            ASSERT_FALSE(texts.isEmpty());
            EXPECT_TRUE(texts.last().startsWith(c.why)) << texts.last().toStdString();
        }
        control.reset();
        QDir(root.path() + "/patchwell").removeRecursively();
    }
}

TEST_F(Engine, TheSampleSiteVerifiesWithTheSampleKeyThatNoRegistrationFileCarries)
{
    const QString sampleKey =
        QString::fromLatin1(readFile(sourceFile("resources/sample-signing-key/sample-update-key.pub")).split('\n').value(1));
    ASSERT_TRUE(parsePublicKey(sampleKey).has_value());
    // The tests' own preset pins it, as the demo's does.
    registerProduct(sourceFile("resources/updatesite/isdnta"));
    reg::writeString(RegRoot::LocalMachine, productKey(), "UpdatePublicKey", sampleKey);
    start();
    setConfirm(false);
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitForKind(12));
    EXPECT_TRUE(call(DispAnswerCompletionPrompt, {0, true}).toBool());
    ASSERT_TRUE(waitForKind(11));
    EXPECT_EQ(installed(), "1999.11.30");
    // Every sample site is signed for its product; no shipped registration
    // file trusts the sample key.
    QDirIterator sites(sourceFile("resources/updatesite"), {"update.ini"}, QDir::Files, QDirIterator::Subdirectories);
    int signedSites = 0;
    while (sites.hasNext()) {
        const QString ini = sites.next();
        VersionInfo info;
        parseVersionInfo(readFile(ini), info, nullptr);
        const QByteArray sig = readFile(ini + ".minisig");
        const SignatureCheck c = checkSignature(readFile(ini), &sig, parsePublicKeys(sampleKey), info.product,
                                                QDate(2026, 1, 1));
        EXPECT_TRUE(c.ok) << ini.toStdString() << ": " << c.why.toStdString();
        ++signedSites;
    }
    EXPECT_EQ(signedSites, 5);
    QDirIterator registrations(sourceFile("resources/patchwell"), {"*.ini", "*.INI"}, QDir::Files);
    while (registrations.hasNext()) {
        const QString ini = registrations.next();
        EXPECT_FALSE(readFile(ini).contains(sampleKey.toLatin1())) << ini.toStdString();
    }
}

TEST_F(Engine, AnHttpsSiteIsTakenOnlyWithACertificateOfAnAuthorityThisMachineTrusts)
{
    TestCertificates ours, strangers;
    ASSERT_TRUE(ours.valid() && strangers.valid()) << "openssl is needed (scripts/deps)";
    site.publish("2.0", {{"fw.bin", bytes(6000, 3)}});
    TestHttpServer good(site.path(), ours.serverConfiguration());
    TestHttpServer forged(site.path(), strangers.serverConfiguration());
    ScopedEnv trust("SSL_CERT_FILE", QFile::encodeName(ours.caFile()));

    registerProduct(forged.url());
    start();
    EXPECT_EQ(runUpdate(), 20);
    EXPECT_TRUE(forged.requests.isEmpty());
    control.reset();

    // From https to plain http is never followed, not even to the same host.
    TestHttpServer plain(site.path());
    good.setRedirect("update.ini", plain.url() + "update.ini");
    registerProduct(good.url());
    start();
    EXPECT_EQ(runUpdate(), 16);
    EXPECT_TRUE(plain.requests.isEmpty());
    EXPECT_EQ(installed(), "1.0");
    control.reset();

    good.setFault("update.ini", TestHttpServer::None);
    start();
    EXPECT_EQ(runUpdate(), 11);
    EXPECT_EQ(installed(), "2.0");
    EXPECT_EQ(good.requests.mid(1), (QStringList{"update.ini", "fw.bin"}));
}
