#include "initext.h"

#include <QStringDecoder>

namespace {

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

bool fitsLatin1(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

} // namespace

IniText IniText::parse(const QByteArray &data)
{
    IniText ini;
    bool eolKnown = false;
    qsizetype from = 0;
    while (from < data.size()) {
        Line line;
        const qsizetype nl = data.indexOf('\n', from);
        const qsizetype stop = nl < 0 ? data.size() : nl;
        qsizetype rawEnd = stop;
        if (nl >= 0) {
            if (rawEnd > from && data[rawEnd - 1] == '\r')
                --rawEnd;
            line.eol = data.mid(rawEnd, nl + 1 - rawEnd);
        }
        line.raw = data.mid(from, rawEnd - from);
        from = nl < 0 ? data.size() : nl + 1;

        // The byte-order mark belongs to the file, not to the first line's text.
        const QByteArray bytes = ini.lines_.isEmpty() && line.raw.startsWith("\xEF\xBB\xBF")
                                     ? line.raw.mid(3) : line.raw;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        line.text = utf8(bytes);
        if (utf8.hasError()) {
            line.text = QString::fromLatin1(bytes);
            ini.ansi_ = true;
        }
        if (!eolKnown && !line.eol.isEmpty()) {
            ini.eol_ = line.eol;
            eolKnown = true;
        }
        ini.lines_.append(std::move(line));
    }
    return ini;
}

QByteArray IniText::bytes() const
{
    QByteArray out;
    for (const Line &line : lines_)
        out += line.raw + line.eol;
    return out;
}

IniText::Line IniText::makeLine(const QString &text) const
{
    Line line;
    line.raw = ansi_ && fitsLatin1(text) ? text.toLatin1() : text.toUtf8();
    line.eol = eol_;
    line.text = text;
    return line;
}

void IniText::insertLine(qsizetype at, const Line &line)
{
    // The line before may be a last line without a line end.
    if (at > 0 && lines_[at - 1].eol.isEmpty())
        lines_[at - 1].eol = eol_;
    lines_.insert(at, line);
}

void IniText::findSection(const QString &section, qsizetype &header, qsizetype &end) const
{
    header = -1;
    end = lines_.size();
    QString name;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (!sectionHeader(lines_[i].text, name))
            continue;
        if (header >= 0) {
            end = i;
            return;
        }
        if (same(name, section))
            header = i;
    }
}

bool IniText::lookup(const QString &section, const QString &key, QString &value) const
{
    qsizetype header, end;
    findSection(section, header, end);
    if (header < 0)
        return false;
    QString name;
    for (qsizetype i = header + 1; i < end; ++i)
        if (entry(lines_[i].text, name, value) && same(name, key))
            return true;
    return false;
}

QStringList IniText::sectionNames() const
{
    QStringList names;
    QString name;
    for (const Line &line : lines_)
        if (sectionHeader(line.text, name))
            names << name;
    return names;
}

QStringList IniText::sectionEntries(const QString &section) const
{
    qsizetype header, end;
    findSection(section, header, end);
    QStringList entries;
    QString name, value;
    for (qsizetype i = header + 1; header >= 0 && i < end; ++i)
        if (entry(lines_[i].text, name, value))
            entries << name + QLatin1Char('=') + value;
    return entries;
}

void IniText::setValue(const QString &section, const QString &key, const QString &value)
{
    qsizetype header, end;
    findSection(section, header, end);
    qsizetype found = -1;
    qsizetype lastEntry = header;
    QString name, old;
    for (qsizetype i = header + 1; header >= 0 && i < end; ++i) {
        if (entry(lines_[i].text, name, old)) {
            lastEntry = i;
            if (same(name, key) && found < 0)
                found = i;
        }
    }
    const QString text = key + QLatin1Char('=') + value;
    if (value.isNull()) {
        if (found >= 0)
            lines_.removeAt(found);
    } else if (found >= 0) {
        const QByteArray eol = lines_[found].eol;
        lines_[found] = makeLine(text);
        lines_[found].eol = eol;
    } else if (header >= 0) {
        insertLine(lastEntry + 1, makeLine(text));
    } else {
        insertLine(lines_.size(), makeLine(QLatin1Char('[') + section + QLatin1Char(']')));
        insertLine(lines_.size(), makeLine(text));
    }
}

void IniText::removeSection(const QString &section)
{
    qsizetype header, end;
    findSection(section, header, end);
    if (header >= 0)
        lines_.remove(header, end - header);
}
