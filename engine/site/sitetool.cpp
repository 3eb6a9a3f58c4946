#include "sitetool.h"

#include "siteverify.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <cstdio>

namespace pw::site {

namespace {

void error(const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", kProgram, qPrintable(text));
}

int usageError(const QString &text)
{
    error(text);
    std::fprintf(stderr, "Try '%s --help' for more information.\n", kProgram);
    return 2;
}

void say(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
}

bool validDate(const QString &text)
{
    return text.size() == 10 && QDate::fromString(text, Qt::ISODate).isValid();
}

// A text that goes into a line of update.ini or the signature's comment.
bool singleLine(const QString &text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\t'))
           && !text.contains(QChar(0));
}

bool copyInto(const QString &source, const QString &target, QString *why)
{
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return true;   // already in place
    QFile in(source);
    QSaveFile out(target);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = source + QStringLiteral(": ") + in.errorString();
        return false;
    }
    if (!out.open(QIODevice::WriteOnly)) {
        *why = target + QStringLiteral(": ") + out.errorString();
        return false;
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (qint64 n; (n = in.read(buffer.data(), buffer.size())) > 0;) {
        if (out.write(buffer.constData(), n) != n)
            break;
    }
    if (in.error() != QFile::NoError || !out.commit()) {
        *why = target + QStringLiteral(": ") + (in.error() != QFile::NoError ? in.errorString() : out.errorString());
        return false;
    }
    return true;
}

bool sign(const BuildOptions &o, const QString &versionFile)
{
    // minisign asks for the key's password on the terminal, if it has one.
    QProcess minisign;
    minisign.setProcessChannelMode(QProcess::ForwardedChannels);
    minisign.setInputChannelMode(QProcess::ForwardedInputChannel);
    minisign.start(QStringLiteral("minisign"),
                   {QStringLiteral("-S"), QStringLiteral("-s"), o.secretKey, QStringLiteral("-m"), versionFile,
                    QStringLiteral("-t"), QStringLiteral("product=%1\texpires=%2").arg(o.product, o.expires)});
    if (!minisign.waitForStarted()) {
        error(QStringLiteral("cannot run minisign: %1 (it comes with the minisign package)").arg(minisign.errorString()));
        return false;
    }
    minisign.waitForFinished(-1);
    if (minisign.exitStatus() != QProcess::NormalExit || minisign.exitCode() != 0) {
        error(QStringLiteral("minisign could not sign %1").arg(versionFile));
        return false;
    }
    return true;
}

QString publicKeyText(const QString &argument)
{
    if (QFileInfo(argument).isFile()) {
        QFile f(argument);
        if (f.open(QIODevice::ReadOnly))
            return QString::fromLatin1(f.read(4096));
    }
    return argument;
}

} // namespace

int buildSite(const BuildOptions &o)
{
    if (o.product.trimmed().isEmpty() || !singleLine(o.product))
        return usageError(QStringLiteral("--product: a product name on one line is needed"));
    if (!isPlainVersion(o.version))
        return usageError(QStringLiteral("--version '%1': only digits, letters, '.', '-', '_' and '+'").arg(o.version));
    if (o.secretKey.isEmpty() != o.expires.isEmpty())
        return usageError(QStringLiteral("--sign and --expires go together"));
    if (!o.expires.isEmpty() && !validDate(o.expires))
        return usageError(QStringLiteral("--expires '%1': not a date (YYYY-MM-DD)").arg(o.expires));
    if (!singleLine(o.browserPage))
        return usageError(QStringLiteral("--browser: a page on one line is needed"));
    if (o.files.isEmpty() && o.browserPage.isEmpty())
        return usageError(QStringLiteral("no files given (only an update through the browser has none)"));
    QStringList names;
    for (const QString &f : o.files + (o.readme.isEmpty() ? QStringList() : QStringList{o.readme})) {
        const QFileInfo info(f);
        if (!info.isFile()) {
            error(f + (info.exists() ? QStringLiteral(": not a file") : QStringLiteral(": No such file or directory")));
            return 1;
        }
        if (!isPlainFileName(info.fileName())) {
            error(f + QStringLiteral(": a site's file name may not start with a dot"));
            return 1;
        }
    }
    for (const QString &f : o.files) {
        const QString name = QFileInfo(f).fileName();
        for (const QString &other : names) {
            if (other.compare(name, Qt::CaseInsensitive) == 0) {
                error(QStringLiteral("%1: two files named %2").arg(f, name));
                return 1;
            }
        }
        names << name;
    }
    if (!QDir().mkpath(o.dir)) {
        error(o.dir + QStringLiteral(": cannot create the folder"));
        return 1;
    }

    QString ini = QStringLiteral("; Written by %1.\r\n[Update]\r\nProduct=%2\r\nVersion=%3\r\nDate=%4\r\n")
                      .arg(QLatin1String(kProgram), o.product, o.version, QDate::currentDate().toString(Qt::ISODate));
    QString why;
    if (!o.readme.isEmpty()) {
        const QString name = QFileInfo(o.readme).fileName();
        if (!copyInto(o.readme, o.dir + QLatin1Char('/') + name, &why)) {
            error(why);
            return 1;
        }
        ini += QStringLiteral("Readme=%1\r\n").arg(name);
    }
    if (!o.browserPage.isEmpty())
        ini += QStringLiteral("Browser=1\r\nBrowserPage=%1\r\n").arg(o.browserPage);
    if (o.restart)
        ini += QStringLiteral("Restart=1\r\n");
    if (o.userStep)
        ini += QStringLiteral("UserStep=1\r\n");
    ini += QStringLiteral("Files=%1\r\n").arg(o.files.size());
    for (int i = 0; i < o.files.size(); ++i) {
        const QString target = o.dir + QLatin1Char('/') + names[i];
        if (!copyInto(o.files[i], target, &why)) {
            error(why);
            return 1;
        }
        qint64 size = 0;
        const QByteArray digest = sha256OfFile(target, &size, &why);
        if (digest.isEmpty()) {
            error(why);
            return 1;
        }
        ini += QStringLiteral("[File%1]\r\nName=%2\r\nSize=%3\r\nSHA256=%4\r\n")
                   .arg(i + 1)
                   .arg(names[i])
                   .arg(size)
                   .arg(QString::fromLatin1(digest.toHex()));
    }
    const QString versionFile = o.dir + QLatin1Char('/') + QLatin1String(kVersionFileName);
    QSaveFile out(versionFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(ini.toUtf8()) < 0 || !out.commit()) {
        error(versionFile + QStringLiteral(": ") + out.errorString());
        return 1;
    }
    // A signature of the previous update.ini would no longer verify.
    QFile::remove(versionFile + QLatin1String(kSignatureSuffix));
    if (!o.secretKey.isEmpty() && !sign(o, versionFile))
        return 1;
    say(QStringLiteral("%1: %2 %3, %4 file(s)%5")
            .arg(o.dir, o.product, o.version)
            .arg(o.files.size())
            .arg(o.secretKey.isEmpty() ? QStringLiteral(", not signed")
                                       : QStringLiteral(", signed, expires ") + o.expires));
    return checkSite({o.dir, {}, o.product});
}

int checkSite(const CheckOptions &o)
{
    QString keys;
    if (!o.key.isEmpty()) {
        const auto key = parsePublicKey(publicKeyText(o.key));
        if (!key)
            return usageError(QStringLiteral("--key %1: not a minisign public key").arg(o.key));
        keys = publicKeyLine(*key);
    }
    const QString versionFile = o.dir + QLatin1Char('/') + QLatin1String(kVersionFileName);
    QFile file(versionFile);
    if (!file.open(QIODevice::ReadOnly)) {
        error(versionFile + QStringLiteral(": ") + file.errorString());
        return 1;
    }
    const QByteArray text = file.read(kMaxVersionFileBytes + 1);
    // The product a signature must name: the given one, else the file's own word.
    QString product = o.product;
    if (product.isEmpty()) {
        VersionInfo unverified;
        parseVersionInfo(text, unverified, nullptr);
        product = unverified.product;
    }
    QFile sigFile(versionFile + QLatin1String(kSignatureSuffix));
    QByteArray signature;
    const bool hasSignature = sigFile.open(QIODevice::ReadOnly);
    if (hasSignature)
        signature = sigFile.read(kMaxSignatureBytes + 1);
    if (!keys.isEmpty() && product.isEmpty())
        return usageError(QStringLiteral("%1 names no product: give --product").arg(versionFile));

    VersionInfo info;
    SignatureCheck checked;
    QString why;
    if (!verifyVersionFile(text, hasSignature ? &signature : nullptr, keys, product, QDate::currentDate(), info, &why,
                           &checked)) {
        error(versionFile + QStringLiteral(": ") + why);
        return 1;
    }
    int problems = 0;
    for (const UpdateFile &f : info.files) {
        if (!verifyFileOnDisk(o.dir + QLatin1Char('/') + f.name, f.size, f.sha256, &why)) {
            error(QStringLiteral("%1: %2").arg(f.name, why));
            ++problems;
        }
    }
    if (!info.readme.isEmpty() && !QFileInfo(o.dir + QLatin1Char('/') + info.readme).isFile())
        std::fprintf(stderr, "%s: warning: readme %s is missing (the update is offered without it)\n", kProgram,
                     qPrintable(info.readme));
    if (problems) {
        error(QStringLiteral("%1: %2 file(s) do not match update.ini").arg(o.dir).arg(problems));
        return 1;
    }
    QString signedText = QStringLiteral("not signed");
    if (hasSignature)
        signedText = keys.isEmpty() ? QStringLiteral("signed (not checked: no --key)")
                                    : QStringLiteral("signature good for %1 until %2")
                                          .arg(checked.product, checked.expires.toString(Qt::ISODate));
    say(QStringLiteral("%1: good: %2 %3, %4 file(s), %5")
            .arg(o.dir, info.product.isEmpty() ? product : info.product, info.version)
            .arg(info.files.size())
            .arg(signedText));
    return 0;
}

} // namespace pw::site
