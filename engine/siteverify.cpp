#include "siteverify.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <openssl/evp.h>
#include <unistd.h>

namespace pw {

namespace {

QString systemError(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

bool hasPinnedKeys(const QString &pinnedKeys)
{
    return !pinnedKeys.trimmed().isEmpty();
}

bool verifyVersionFile(const QByteArray &text, const QByteArray *signature, const QString &pinnedKeys,
                       const QString &product, const QDate &today, VersionInfo &info, QString *why,
                       SignatureCheck *checked)
{
    info = VersionInfo();
    if (hasPinnedKeys(pinnedKeys)) {
        // Nothing of a file that does not verify is read, not even its version.
        const SignatureCheck check =
            checkSignature(text, signature, parsePublicKeys(pinnedKeys), product, today);
        if (checked)
            *checked = check;
        if (!check.ok) {
            if (why)
                *why = check.why;
            return false;
        }
    }
    return parseVersionInfo(text, info, why);
}

QByteArray sha256OfFile(const QString &path, qint64 *size, QString *why)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (why)
            *why = QStringLiteral("cannot read %1: %2").arg(path, systemError(errno));
        return {};
    }
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    bool ok = ctx && EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) == 1;
    qint64 total = 0;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (ok) {
        const ssize_t n = ::read(fd, buffer.data(), size_t(buffer.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (why)
                *why = QStringLiteral("cannot read %1: %2").arg(path, systemError(errno));
            ok = false;
            break;
        }
        if (n == 0)
            break;
        total += n;
        ok = EVP_DigestUpdate(ctx.get(), buffer.constData(), size_t(n)) == 1;
    }
    ::close(fd);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!ok || EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1) {
        if (why && why->isEmpty())
            *why = QStringLiteral("cannot compute the digest of ") + path;
        return {};
    }
    if (size)
        *size = total;
    return QByteArray(reinterpret_cast<const char *>(digest), int(length));
}

bool verifyFileOnDisk(const QString &path, qint64 size, const QByteArray &sha256, QString *why)
{
    qint64 onDisk = -1;
    const QByteArray digest = sha256OfFile(path, &onDisk, why);
    if (digest.isEmpty())
        return false;
    if (onDisk != size) {
        if (why)
            *why = QStringLiteral("%1 bytes on disk, %2 expected").arg(onDisk).arg(size);
        return false;
    }
    if (digest != sha256) {
        if (why)
            *why = QStringLiteral("SHA-256 digest does not match");
        return false;
    }
    return true;
}

} // namespace pw
