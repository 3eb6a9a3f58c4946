#include "inifile.h"

#include "initext.h"
#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

// A write reads the whole file, changes the lines it must and writes every
// other byte back as it was. A missing file reads as empty; a file that exists
// but cannot be read whole reads as empty too, and is never written over.

namespace {

enum class ReadResult { Read, Missing, Unreadable };

ReadResult readIni(const QString &path, IniText &ini, QString *why = nullptr)
{
    ini = IniText();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path))
            return ReadResult::Missing;
        if (why)
            *why = f.errorString();
        return ReadResult::Unreadable;
    }
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (why)
            *why = f.errorString();
        return ReadResult::Unreadable;
    }
    ini = IniText::parse(data);
    return ReadResult::Read;
}

IniText iniOf(const QString &file)
{
    IniText ini;
    readIni(tl::mapPath(file), ini);
    return ini;
}

bool lookup(const QString &section, const QString &key, const QString &file, QString &value)
{
    return iniOf(file).lookup(section, key, value);
}

} // namespace

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &file)
{
    QString value;
    return lookup(section, key, file, value) ? value : defaultValue;
}

int GetPrivateProfileInt(const QString &section, const QString &key, int defaultValue,
                         const QString &file)
{
    QString value;
    if (!lookup(section, key, file, value))
        return defaultValue;
    // The leading number counts ("12 seconds" is 12); no number at all is 0.
    qsizetype i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == QLatin1Char('-') || value[i] == QLatin1Char('+')))
        negative = value[i++] == QLatin1Char('-');
    int base = 10;
    if (value.mid(i, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
        base = 16;
        i += 2;
    }
    qint64 number = 0;
    for (; i < value.size(); ++i) {
        const int digit = value[i].isDigit() ? value[i].digitValue()
                          : (base == 16 && QStringLiteral("abcdef").contains(value[i].toLower()))
                              ? value[i].toLower().unicode() - 'a' + 10
                              : -1;
        if (digit < 0)
            break;
        number = number * base + digit;
        if (number > 0xFFFFFFFFLL)
            number = 0xFFFFFFFFLL;
    }
    return static_cast<int>(static_cast<quint32>(negative ? -number : number));
}

bool WritePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &file)
{
    if (section.isEmpty())
        return false;
    const QString path = tl::mapPath(file);
    IniText ini;
    QString why;
    if (readIni(path, ini, &why) == ReadResult::Unreadable) {
        std::fprintf(stderr, "tallyline: cannot read %s (%s); not written, so that none of it is lost\n",
                     qPrintable(path), qPrintable(why));
        return false;
    }
    if (key.isNull())                   // a null key removes the section
        ini.removeSection(section);
    else
        ini.setValue(section, key, value);

    QDir().mkpath(QFileInfo(path).path());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(ini.bytes());
    return out.commit();
}

QStringList GetPrivateProfileSectionNames(const QString &file)
{
    return iniOf(file).sectionNames();
}

QStringList GetPrivateProfileSection(const QString &section, const QString &file)
{
    return iniOf(file).sectionEntries(section);
}
