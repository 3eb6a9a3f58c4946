#pragma once
// Patchwell's texts: one language file per language (PW + code + .INI in the
// install directory, or in its installed data folder), read a section at a time. A missing file, section or key,
// or the text "Default", reads as an empty text.

#include <QLocale>
#include <QString>

class CIniSection {
public:
    CIniSection(const QString &file, const QString &section) : file_(file), section_(section) {}
    // The text, or "" when missing (the stored default "Default" counts as missing).
    QString GetString(const QString &key) const;
    bool GetString(const QString &key, QString &out) const;
    // The number, or false when missing (-999 counts as missing).
    bool GetNumber(const QString &key, int &out) const;
    QString file() const { return file_; }
private:
    QString place() const;   // the file as found: beside the program or installed
    QString file_;
    QString section_;
};

class CLangText {
public:
    CLangText(const QString &installDirectory, const QString &prefix, const QString &section);
    QString Get(const QString &key) const;
    QString Get(const char *key) const { return Get(QLatin1String(key)); }
    QString file() const { return section_.file(); }
private:
    CIniSection section_;
};

namespace pwlang {

inline constexpr int kMaxText = 2999;
// The three-letter language name of a locale, as the original platform has
// them ("ENU" for US English, "ENG" for British, "DEU" for German, ...).
QString abbreviatedLanguageName(const QLocale &locale);
// "ENU" unless the name is listed as supported in LangSupp.ini (entries 1 to 35).
bool isSupported(const QString &installDirectory, const QString &name);
QString languageCode(const QString &installDirectory, const QLocale &locale = QLocale::system());
// "<dir>\\PW<code>.INI" and "<dir>\\PW<code>.HLP".
QString languageFile(const QString &installDirectory, const QString &prefix, const QString &code);
QString helpFile(const QString &installDirectory, const QString &prefix, const QString &code);

} // namespace pwlang
