#pragma once
// Signatures of a site's version file: minisign's format (Ed25519 over the file,
// or over its BLAKE2b-512 digest, which is the signing tool's default), verified
// with libsodium. The signature's trusted comment binds it to one product and
// an expiry date: "product=<name>\texpires=<YYYY-MM-DD>".

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace pw {

inline constexpr const char *kSignatureSuffix = ".minisig";
inline constexpr qint64 kMaxSignatureBytes = 4096;

struct PublicKey {
    QByteArray keyId;   // 8 bytes
    QByteArray key;     // 32 bytes
};

// One key: the base64 line of a public key file, or the file's whole text.
std::optional<PublicKey> parsePublicKey(const QString &text);
// The keys of a product's UpdatePublicKey value, separated by blanks; *bad
// counts the entries that are not keys.
QList<PublicKey> parsePublicKeys(const QString &text, int *bad = nullptr);
QString keyIdText(const QByteArray &keyId);
// The key as the line of a public key file.
QString publicKeyLine(const PublicKey &key);

struct SignatureCheck {
    bool ok = false;
    QString why;         // when not ok: what is wrong, in a few words
    QString product;     // as the trusted comment names them
    QDate expires;
};

// Checks a signature file against the message it signs, the pinned keys (any
// one may have signed), the product it must name and today's date (valid
// through its expiry day). A null signature means there was none.
SignatureCheck checkSignature(const QByteArray &message, const QByteArray *signature, const QList<PublicKey> &keys,
                              const QString &product, const QDate &today);

} // namespace pw
