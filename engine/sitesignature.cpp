#include "sitesignature.h"

#include <QRegularExpression>
#include <QStringList>

#include <sodium.h>

namespace pw {

namespace {

constexpr int kKeyIdBytes = 8;
constexpr int kAlgorithmBytes = 2;
const QByteArray kLegacy("Ed");
const QByteArray kPrehashed("ED");
const QByteArray kTrustedPrefix("trusted comment: ");

std::optional<QByteArray> strictBase64(const QByteArray &text)
{
    const auto r = QByteArray::fromBase64Encoding(text.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!r)
        return std::nullopt;
    return *r;
}

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

SignatureCheck refused(const QString &why)
{
    SignatureCheck c;
    c.why = why;
    return c;
}

} // namespace

std::optional<PublicKey> parsePublicKey(const QString &text)
{
    // A .pub file: an untrusted comment line, then the key. Take the last line
    // that is not a comment.
    QByteArray line;
    for (const QString &l : text.split(QLatin1Char('\n'))) {
        const QString t = l.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1String("untrusted comment:")))
            line = t.toLatin1();
    }
    const auto raw = strictBase64(line);
    if (!raw || raw->size() != kAlgorithmBytes + kKeyIdBytes + int(crypto_sign_PUBLICKEYBYTES)
        || raw->left(kAlgorithmBytes) != kLegacy)
        return std::nullopt;
    return PublicKey{raw->mid(kAlgorithmBytes, kKeyIdBytes), raw->mid(kAlgorithmBytes + kKeyIdBytes)};
}

QList<PublicKey> parsePublicKeys(const QString &text, int *bad)
{
    QList<PublicKey> keys;
    int unusable = 0;
    for (const QString &part : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (const auto k = parsePublicKey(part))
            keys << *k;
        else
            ++unusable;
    }
    if (bad)
        *bad = unusable;
    return keys;
}

QString keyIdText(const QByteArray &keyId)
{
    // The signing tool shows the id as a little-endian number in hex.
    QByteArray reversed;
    for (auto it = keyId.rbegin(); it != keyId.rend(); ++it)
        reversed += *it;
    return QString::fromLatin1(reversed.toHex().toUpper());
}

QString publicKeyLine(const PublicKey &key)
{
    return QString::fromLatin1((kLegacy + key.keyId + key.key).toBase64());
}

SignatureCheck checkSignature(const QByteArray &message, const QByteArray *signature, const QList<PublicKey> &keys,
                              const QString &product, const QDate &today)
{
    if (!signature)
        return refused(QStringLiteral("signature missing"));
    if (!sodiumReady())
        return refused(QStringLiteral("signature cannot be checked (no crypto library)"));
    if (keys.isEmpty())
        return refused(QStringLiteral("no usable pinned key"));
    const QList<QByteArray> lines = signature->split('\n');
    if (lines.size() < 4 || !lines[2].startsWith(kTrustedPrefix))
        return refused(QStringLiteral("signature does not verify (not a signature file)"));
    const auto sig = strictBase64(lines[1]);
    const auto global = strictBase64(lines[3]);
    QByteArray trusted = lines[2].mid(kTrustedPrefix.size());
    if (trusted.endsWith('\r'))
        trusted.chop(1);
    if (!sig || sig->size() != kAlgorithmBytes + kKeyIdBytes + int(crypto_sign_BYTES) || !global
        || global->size() != int(crypto_sign_BYTES))
        return refused(QStringLiteral("signature does not verify (not a signature file)"));
    const QByteArray algorithm = sig->left(kAlgorithmBytes);
    const QByteArray keyId = sig->mid(kAlgorithmBytes, kKeyIdBytes);
    const QByteArray sigBytes = sig->mid(kAlgorithmBytes + kKeyIdBytes);
    if (algorithm != kLegacy && algorithm != kPrehashed)
        return refused(QStringLiteral("signature does not verify (unknown algorithm)"));
    const PublicKey *key = nullptr;
    for (const PublicKey &k : keys) {
        if (k.keyId == keyId)
            key = &k;
    }
    if (!key)
        return refused(QStringLiteral("signature made by another key (%1)").arg(keyIdText(keyId)));
    const auto *pk = reinterpret_cast<const unsigned char *>(key->key.constData());
    int verified = -1;
    if (algorithm == kPrehashed) {
        unsigned char digest[crypto_generichash_BYTES_MAX];
        crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char *>(message.constData()),
                           size_t(message.size()), nullptr, 0);
        verified = crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(sigBytes.constData()), digest,
                                               sizeof digest, pk);
    } else {
        verified = crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(sigBytes.constData()),
                                               reinterpret_cast<const unsigned char *>(message.constData()),
                                               size_t(message.size()), pk);
    }
    const QByteArray signedComment = sigBytes + trusted;
    if (verified != 0
        || crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(global->constData()),
                                       reinterpret_cast<const unsigned char *>(signedComment.constData()),
                                       size_t(signedComment.size()), pk)
               != 0)
        return refused(QStringLiteral("signature does not verify"));

    // Only now is the comment the publisher's own word.
    SignatureCheck c;
    for (const QByteArray &field : trusted.split('\t')) {
        const qsizetype eq = field.indexOf('=');
        const QByteArray name = field.left(eq).trimmed();
        const QString value = QString::fromUtf8(field.mid(eq + 1)).trimmed();
        if (eq <= 0)
            continue;
        if (name == "product")
            c.product = value;
        else if (name == "expires")
            c.expires = QDate::fromString(value, Qt::ISODate);
    }
    // Product keys are named without regard to letter case, and so is this.
    if (c.product.compare(product, Qt::CaseInsensitive) != 0 || c.product.isEmpty()) {
        c.why = c.product.isEmpty() ? QStringLiteral("signature names no product")
                                    : QStringLiteral("signature for another product (%1)").arg(c.product);
        return c;
    }
    if (!c.expires.isValid()) {
        c.why = QStringLiteral("signature has no expiry date");
        return c;
    }
    if (today > c.expires) {
        c.why = QStringLiteral("signature expired on %1").arg(c.expires.toString(Qt::ISODate));
        return c;
    }
    c.ok = true;
    return c;
}

} // namespace pw
