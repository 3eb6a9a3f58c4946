#include "inifile.h"

#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

// Lines are kept as read so that a write changes only the line it must and
// comments and order survive. A missing or unreadable file reads as empty.

namespace {

QStringList readLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.read(16 * 1024 * 1024);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data);
    if (utf8.hasError())
        text = QString::fromLatin1(data);   // older files are in the ANSI code page
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// "[name]" gives the section name.
bool sectionHeader(const QString &line, QString &name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
    return true;
}

// "name=value" gives the name and the value; comments and other lines do not.
bool entry(const QString &line, QString &name, QString &value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    name = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    // A value in matching quotes is read without them.
    if (value.size() >= 2 && ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
                              || (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))))
        value = value.mid(1, value.size() - 2);
    return !name.isEmpty();
}

bool same(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Index range [begin, end) of the section's lines after its header; begin = -1 when absent.
void findSection(const QStringList &lines, const QString &section, qsizetype &header, qsizetype &end)
{
    header = -1;
    end = lines.size();
    QString name;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!sectionHeader(lines[i], name))
            continue;
        if (header >= 0) {
            end = i;
            return;
        }
        if (same(name, section))
            header = i;
    }
}

bool lookup(const QString &section, const QString &key, const QString &file, QString &value)
{
    const QStringList lines = readLines(tl::mapPath(file));
    qsizetype header, end;
    findSection(lines, section, header, end);
    if (header < 0)
        return false;
    QString name;
    for (qsizetype i = header + 1; i < end; ++i)
        if (entry(lines[i], name, value) && same(name, key))
            return true;
    return false;
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
    QStringList lines = readLines(path);
    qsizetype header, end;
    findSection(lines, section, header, end);

    if (key.isNull()) {                 // a null key removes the section
        if (header < 0)
            return true;
        lines.remove(header, end - header);
    } else {
        qsizetype found = -1;
        qsizetype lastEntry = header;
        QString name, old;
        for (qsizetype i = header + 1; header >= 0 && i < end; ++i) {
            if (entry(lines[i], name, old)) {
                lastEntry = i;
                if (same(name, key) && found < 0)
                    found = i;
            }
        }
        const QString line = key + QLatin1Char('=') + value;
        if (value.isNull()) {           // a null value removes the key
            if (found >= 0)
                lines.removeAt(found);
        } else if (found >= 0) {
            lines[found] = line;
        } else if (header >= 0) {
            lines.insert(lastEntry + 1, line);
        } else {
            lines << QLatin1Char('[') + section + QLatin1Char(']') << line;
        }
    }

    QDir().mkpath(QFileInfo(path).path());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    return out.commit();
}

QStringList GetPrivateProfileSectionNames(const QString &file)
{
    QStringList names;
    QString name;
    for (const QString &line : readLines(tl::mapPath(file)))
        if (sectionHeader(line, name))
            names << name;
    return names;
}

QStringList GetPrivateProfileSection(const QString &section, const QString &file)
{
    const QStringList lines = readLines(tl::mapPath(file));
    qsizetype header, end;
    findSection(lines, section, header, end);
    QStringList entries;
    QString name, value;
    for (qsizetype i = header + 1; header >= 0 && i < end; ++i)
        if (entry(lines[i], name, value))
            entries << name + QLatin1Char('=') + value;
    return entries;
}
