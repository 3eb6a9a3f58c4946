#include "replyparsers.h"

#include "fragments.h"

namespace quillon {

const QString *StoredReplies::byQuery(const QString &query) const
{
    if (query == QLatin1String("ati12")) return &ati12;
    if (query == QLatin1String("ati15")) return &ati15;
    if (query == QLatin1String("ati16")) return &ati16;
    if (query == QLatin1String("ati4")) return &ati4;
    return nullptr;
}

QString keywordValue(const StoredReplies &replies, const QString &keyword, const QString &query)
{
    const QString *reply = replies.byQuery(query);
    if (!reply || reply->isEmpty())
        return QStringLiteral("0");
    const qsizetype at = reply->indexOf(keyword, 0, Qt::CaseSensitive);
    if (at < 0)
        return QString();
    // The rest of the reply after the keyword, without the reply's last character.
    const qsizetype from = at + keyword.size();
    QString rest = reply->mid(from, std::max<qsizetype>(0, reply->size() - 1 - from));
    qsizetype i = 0;
    while (i < rest.size() && rest[i] == QLatin1Char(' '))
        ++i;
    rest = rest.mid(i);
    if (rest.startsWith(QLatin1Char('=')))
        rest.remove(0, 1);
    const qsizetype space = rest.indexOf(QLatin1Char(' '));
    if (space <= 0)
        return QString();   // starts with a blank, or nothing ends the value
    const QString value = rest.left(space);
    return value == QLatin1String(" ") ? QStringLiteral("0") : value;
}

int toNumber(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

int leadingNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    long long v = 0;
    while (i < text.size() && text[i].isDigit() && v < 100000000)
        v = v * 10 + text[i++].digitValue();
    return static_cast<int>(negative ? -v : v);
}

HardwareProfile parseHardwareProfile(const QString &reply, const QString &countryName,
                                     bool rereadCountry)
{
    HardwareProfile result;
    result.countryName = countryName;
    const QString copy = reply.left(kHardwareCopyLimit - 1);
    const QString crlf = QStringLiteral("\r\n");

    if (countryName.isEmpty() || rereadCountry) {
        const QString label = QStringLiteral("Product type");
        const qsizetype at = copy.indexOf(label);
        if (at >= 0) {
            const qsizetype end = copy.indexOf(crlf, at);
            QString line = copy.mid(at + label.size(),
                                    end < 0 ? -1 : end - at - label.size());
            qsizetype i = 0;
            while (i < line.size() && line[i] == QLatin1Char(' '))
                ++i;
            line = line.mid(i);
            if (!line.isEmpty())
                result.countryName = line;
        }
    }

    const qsizetype id = copy.indexOf(QStringLiteral("Product ID"));
    if (id >= 0) {
        const qsizetype end = copy.indexOf(crlf, id);
        const QString head = end < 0 ? copy : copy.left(end);
        result.model5241 = head.contains(QStringLiteral("5241"));
        const qsizetype code = head.indexOf(QStringLiteral("5240"));
        if (code >= 0)
            result.leasedLineCapable = leadingNumber(head.mid(code + 4)) > 0;
    }
    return result;
}

namespace {

// Reads an "Enabled"/"Disabled" word at pos (compared with the given words).
bool readStatus(const QString &text, qsizetype pos, const QString &enabledWord,
                const QString &disabledWord)
{
    const QString at = text.mid(pos);
    if (at.left(7) == enabledWord.left(7) && !enabledWord.isEmpty())
        return true;
    Q_UNUSED(disabledWord);   // "Disabled" and anything else both mean disabled
    return false;
}

qsizetype skipBlanks(const QString &text, qsizetype pos)
{
    while (pos < text.size() && text[pos] == QLatin1Char(' '))
        ++pos;
    return pos;
}

} // namespace

ForwardingList parseCallForwarding(const QString &reply, const QString &enabledWord,
                                   const QString &disabledWord)
{
    static const Fragment introducers[4] = {F_FwdUnconditional, F_FwdBusy, F_FwdNoResponse,
                                            F_FwdDeflection};
    ForwardingList list;
    const QString copy = reply.left(kListCopyLimit - 1);
    const QString crlf = QStringLiteral("\r\n");
    qsizetype pos = 0;
    for (int m = 0; m < 3; ++m) {
        for (int k = 0; k < 4; ++k) {
            const QString intro = frag(introducers[k]);
            const qsizetype at = copy.indexOf(intro, pos);
            if (at < 0)
                return list;
            const qsizetype lineEnd = copy.indexOf(crlf, at);
            if (lineEnd < 0)
                return list;
            const QString line = copy.mid(at, lineEnd - at);
            qsizetype p = intro.size();
            const qsizetype space = line.indexOf(QLatin1Char(' '), p);
            ForwardEntry &entry = list.msn[m][k];
            entry.number = line.mid(p, (space < 0 ? line.size() : space) - p);
            p = space < 0 ? line.size() : skipBlanks(line, space);
            entry.userEnabled = readStatus(line, p, enabledWord, disabledWord);
            p = skipBlanks(line, std::min(p + 8, line.size()));
            entry.networkEnabled = readStatus(line, p, enabledWord, disabledWord);
            ++list.linesParsed;
            pos = lineEnd + 2;
        }
    }
    return list;
}

ScreeningList parseCallScreening(const QString &reply)
{
    ScreeningList list;
    const QString copy = reply.left(kListCopyLimit - 1);
    const QString crlf = QStringLiteral("\r\n");
    const qsizetype header = copy.indexOf(QStringLiteral("Number"));
    if (header < 0)
        return list;
    list.headerFound = true;
    qsizetype headerEnd = copy.indexOf(crlf, header);
    if (headerEnd < 0)
        headerEnd = copy.size();
    // The header names the ports; a "-" right before a port marks its list as rejected.
    const QString headLine = copy.mid(header, headerEnd - header);
    const char *ports[3] = {"ADP1", "ADP2", "DDP"};
    for (int p = 0; p < 3; ++p) {
        const qsizetype at = headLine.indexOf(QLatin1String(ports[p]));
        list.rejectListed[p] = at > 0 && headLine[at - 1] == QLatin1Char('-');
    }

    // Marks sit in fixed columns; each port's mark is looked for only within its
    // own column range so that a mark of a later port is never taken for it.
    static const int markColumn[4] = {29, 38, 47, 1 << 20};
    qsizetype pos = headerEnd;
    for (int e = 0; e < 20; ++e) {
        const QString intro = frag(static_cast<Fragment>(F_Entry01 + e));
        const qsizetype at = copy.indexOf(intro, pos);
        if (at < 0)
            break;
        qsizetype lineEnd = copy.indexOf(crlf, at);
        if (lineEnd < 0)
            break;
        const QString line = copy.mid(at, lineEnd - at);
        ScreeningEntry &entry = list.entries[e];
        entry.number = line.mid(3, 25).trimmed();
        for (int p = 0; p < 3; ++p) {
            for (qsizetype c = markColumn[p]; c < line.size() && c < markColumn[p + 1]; ++c) {
                if (line[c] != QLatin1Char(' ')) {
                    entry.listed[p] = true;
                    break;
                }
            }
        }
        ++list.entriesParsed;
        pos = lineEnd + 2;
    }
    return list;
}

QStringList parseCountryList(const QString &reply)
{
    QStringList tokens;
    QString current;
    for (const QChar c : reply) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (!current.isEmpty())
                tokens.append(current);
            current.clear();
        } else {
            current.append(c);
        }
        if (tokens.size() >= 200)
            break;
    }
    if (!current.isEmpty() && tokens.size() < 200)
        tokens.append(current);

    QStringList entries;
    // The last token is the final "OK". A name of several words runs on until the
    // next token that holds a ":" (the next entry) or that final "OK".
    const qsizetype last = tokens.size() - 1;
    for (qsizetype i = 0; i < last; ++i) {
        QString entry = tokens[i];
        while (i + 1 < last && !tokens[i + 1].contains(QLatin1Char(':')))
            entry += QLatin1Char(' ') + tokens[++i];
        entries.append(entry);
    }
    return entries;
}

QString countryDisplayName(const QString &countryName)
{
    for (const char *word : {"External", "Internal"}) {
        const qsizetype at = countryName.indexOf(QLatin1String(word));
        if (at >= 0)
            return countryName.left(std::max<qsizetype>(0, at - 1));
    }
    return countryName;
}

QString timeCommand(const QTime &time)
{
    return QStringLiteral("AT%1=%2:%3:%4\r")
        .arg(frag(F_Time))
        .arg(time.hour())
        .arg(time.minute())
        .arg(time.second());
}

QString dateCommand(const QDate &date, bool usCanada)
{
    const int year = date.year() % 100;
    const QString yy = QStringLiteral("%1").arg(year, 2, 10, QLatin1Char('0'));
    if (usCanada)
        return QStringLiteral("AT%1=%2:%3:%4\r").arg(frag(F_Date)).arg(date.month()).arg(date.day()).arg(yy);
    return QStringLiteral("AT%1=%2:%3:%4\r").arg(frag(F_Date)).arg(date.day()).arg(date.month()).arg(yy);
}

QString deviceStatus(const QString &reply)
{
    const QString label = QStringLiteral("Device Status:");
    const qsizetype at = reply.indexOf(label);
    if (at < 0)
        return QString();
    const qsizetype from = at + label.size();
    const qsizetype ok = reply.indexOf(QStringLiteral("OK"), from);
    return reply.mid(from, ok < 0 ? -1 : ok - from).trimmed();
}

} // namespace quillon
