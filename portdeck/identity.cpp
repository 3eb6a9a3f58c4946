#include "identity.h"

namespace identity {

namespace {

QString trimBlanks(const QString &text)
{
    // Blanks, tabs and line breaks at both ends.
    return text.trimmed();
}

} // namespace

std::optional<QString> extractField(const QString &answer, const QString &startKey,
                                    const QString &endKey)
{
    const int start = answer.indexOf(startKey);
    if (start < 0)
        return std::nullopt;
    const int from = start + startKey.size();
    const int end = answer.indexOf(endKey);
    if (end < 0)
        return trimBlanks(answer.mid(from));
    if (end < from)
        return QString();
    return trimBlanks(answer.mid(from, end - from));
}

std::optional<QString> extractField(const QString &answer, const QString &startKey,
                                    const QString &endKey, const QString &fallbackEndKey)
{
    if (!answer.contains(endKey) && !fallbackEndKey.isEmpty())
        return extractField(answer, startKey, fallbackEndKey);
    return extractField(answer, startKey, endKey);
}

QString productCode(const QString &answer, const QString &endKey)
{
    const auto id = extractField(answer, QStringLiteral("Product ID"), endKey);
    if (!id)
        return {};
    return id->mid(2, 4);
}

QString FirmwareDate(const QString &answer)
{
    const bool modem56k = answer.contains(QLatin1String("56K"));
    const auto value = modem56k
        ? extractField(answer, QStringLiteral("Supervisor date"), QStringLiteral("DSP date"))
        : extractField(answer, QStringLiteral("Code date"), QStringLiteral("Code rev"));
    return value ? *value : QStringLiteral("00/00/00");
}

QString GetModemNameFromATI7Data(const QString &answer,
                                 const std::function<void(const QString &)> &logInfo)
{
    int pos = answer.indexOf(QLatin1String("Varnel "));
    if (pos < 0)
        pos = answer.indexOf(QLatin1String("VARNEL "));
    if (pos < 0)
        return {};
    QString info = answer.mid(pos, 80);
    if (logInfo)
        logInfo(info);
    static const char *const keys[] = {" Hardware", " Configuration", " Profile"};
    bool upper = true;
    for (const char *key : keys)
        if (info.contains(QLatin1String(key)))
            upper = false;
    for (const char *key : keys) {
        const QString k = upper ? QString::fromLatin1(key).toUpper() : QString::fromLatin1(key);
        const int cut = info.indexOf(k);
        if (cut >= 0)
            return info.left(cut);
    }
    return info;
}

QString modemTypeCodeFromAti7(const QString &modemData,
                              const std::function<void(int, const QString &)> &trace)
{
    static const QString key = QStringLiteral("Product ID");
    const int pos = modemData.indexOf(key);
    if (pos < 0)
        return {};
    QString id = modemData.mid(pos + key.size() + 1, 70);
    const int cr = id.indexOf(QLatin1Char('\r'));
    if (cr >= 0)
        id.truncate(cr);
    if (trace)
        trace(0, id);
    int left = 0;
    while (left < id.size() && id[left].isSpace())
        ++left;
    id.remove(0, left);
    if (trace)
        trace(1, id);
    int right = id.size();
    while (right > 0 && id[right - 1].isSpace())
        --right;
    id.truncate(right);
    if (trace)
        trace(2, id);
    return id.mid(2, 4);
}

QString dateCommand(const QDateTime &now, bool usOrder)
{
    const QDate d = now.date();
    // A four-digit year goes out as its last two digits, "05" for 2005.
    const QString year = d.year() >= 1000 ? QStringLiteral("%1").arg(d.year() % 100, 2, 10, QLatin1Char('0'))
                                          : QString::number(d.year());
    return usOrder ? QStringLiteral("AT#D=%1:%2:%3\r").arg(d.month()).arg(d.day()).arg(year)
                   : QStringLiteral("AT#D=%1:%2:%3\r").arg(d.day()).arg(d.month()).arg(year);
}

QString timeCommand(const QDateTime &now)
{
    const QTime t = now.time();
    return QStringLiteral("AT#T=%1:%2:%3\r").arg(t.hour()).arg(t.minute()).arg(t.second());
}

namespace {

struct RowKeys {
    const char *start;
    const char *endIsdn;     // ISDNTA and IDSL
    const char *start56k;
    const char *end56k;
    const char *fallback;    // end key when the first one is missing
};

const RowKeys kRows[RowCount] = {
    {"Product ID", "Clock Freq", "Product ID", "Options", nullptr},
    {"Product type", "Product ID", "Product type", "Product ID", "Options"},
    {"Clock Freq", "Eprom", "Clock Freq", "Flash ROM", "Eprom"},
    {"Eprom", "Ram", "Supervisor date", "DSP date", nullptr},
    {"Ram", "Code date", "DSP date", "Supervisor rev", nullptr},
    {"Code date", "Code rev", "Supervisor rev", "DSP rev", nullptr},
    {"Code rev", "Serial Number", "DSP rev", "DAA rev", "Serial Number"},
    {"Serial Number", "OK", "Serial Number", "OK", nullptr},
};

} // namespace

ProductInfo parseProductInfo(const QString &answer, const QString &modemSelected)
{
    const bool isdnLike = modemSelected == QLatin1String("ISDNTA") || modemSelected == QLatin1String("IDSL");
    ProductInfo info;
    for (int row = 0; row < RowCount; ++row) {
        const RowKeys &k = kRows[row];
        const QString start = QString::fromLatin1(isdnLike ? k.start : k.start56k);
        const QString end = QString::fromLatin1(isdnLike ? k.endIsdn : k.end56k);
        const QString fallback = k.fallback ? QString::fromLatin1(k.fallback) : QString();
        const auto value = extractField(answer, start, end, fallback);
        info.values[row] = value.value_or(QString());
        if (row == RowProductId)
            info.hasProductId = value.has_value();
        if (row == RowSerial)
            info.hasSerialNumber = value.has_value();
    }
    return info;
}

const char *dateRowCaption(int row, const QString &modemSelected)
{
    const bool isdnLike = modemSelected == QLatin1String("ISDNTA") || modemSelected == QLatin1String("IDSL");
    switch (row) {
    case RowDate1: return isdnLike ? "Eprom:" : "Supervisor Date:";
    case RowDate2: return isdnLike ? "Ram:" : "DSP Date:";
    case RowRev1: return isdnLike ? "Code Date:" : "Supervisor Rev:";
    case RowRev2: return isdnLike ? "Code revision:" : "DSP Rev:";
    default: return "";
    }
}

} // namespace identity
