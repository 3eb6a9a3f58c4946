#pragma once
// Private-profile (INI) files: [section] headers and name=value lines, names
// compared ignoring letter case. Paths are platform paths (tl::mapPath).
// Writes are atomic (temporary file and rename) and keep every line they do
// not change byte for byte; a file that exists but cannot be read is not
// written.

#include <QString>
#include <QStringList>

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &file);
int GetPrivateProfileInt(const QString &section, const QString &key, int defaultValue,
                         const QString &file);
// A null key (QString()) removes the whole section, a null value removes the key.
bool WritePrivateProfileString(const QString &section, const QString &key,
                               const QString &value, const QString &file);
QStringList GetPrivateProfileSectionNames(const QString &file);
QStringList GetPrivateProfileSection(const QString &section, const QString &file); // "name=value" lines
