#pragma once
// What the engine accepts from a site, in one place so that the publisher's
// tool checks a site exactly as the engine does: the version file (signed by a
// pinned key when the product has any) and each file as it lies on disk.

#include "sitesignature.h"
#include "versioninfo.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace pw {

// True when the product pins keys (its UpdatePublicKey value is not blank).
bool hasPinnedKeys(const QString &pinnedKeys);

// The version file: its signature first when keys are pinned (signature null:
// the site has none), then its contents. False, saying why, when unusable.
// checked, when given, receives what the signature said.
bool verifyVersionFile(const QByteArray &text, const QByteArray *signature, const QString &pinnedKeys,
                       const QString &product, const QDate &today, VersionInfo &info, QString *why,
                       SignatureCheck *checked = nullptr);

// SHA-256 of a file read back from disk (never through a link); empty on error.
QByteArray sha256OfFile(const QString &path, qint64 *size, QString *why);

// The file on disk has exactly this size and digest.
bool verifyFileOnDisk(const QString &path, qint64 size, const QByteArray &sha256, QString *why);

} // namespace pw
