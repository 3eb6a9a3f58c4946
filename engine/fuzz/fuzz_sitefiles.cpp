// What a site or a registry value hands the engine: a version file, its
// signature and the pinned keys, one input split at the first two NUL bytes.
// Nothing may crash, hang or read out of bounds, whatever the bytes.

#include "siteverify.h"

#include <QByteArray>
#include <QDate>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype first = input.indexOf('\0');
    const qsizetype second = first < 0 ? -1 : input.indexOf('\0', first + 1);
    const QByteArray text = first < 0 ? input : input.left(first);
    const QByteArray signature = first < 0 ? QByteArray() : input.mid(first + 1, second < 0 ? -1 : second - first - 1);
    const QString keys = second < 0 ? QString() : QString::fromLatin1(input.mid(second + 1));

    pw::VersionInfo info;
    QString why;
    pw::verifyVersionFile(text, first < 0 ? nullptr : &signature, keys, QStringLiteral("Product"), QDate(2026, 1, 1),
                          info, &why);
    pw::parseVersionInfo(text, info, &why);
    pw::parsePublicKeys(keys);
    pw::parsePublicKey(QString::fromLatin1(signature));
    return 0;
}
