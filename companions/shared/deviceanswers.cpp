#include "deviceanswers.h"

#include <QRegularExpression>

namespace companions {

FinalResult findFinalResult(const QByteArray &text, qsizetype *lineStart)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        const QByteArray line = text.mid(start, i - start).trimmed();
        if (line == "OK" || line == "ERROR") {
            if (lineStart)
                *lineStart = start;
            return line == "OK" ? FinalResult::Ok : FinalResult::Error;
        }
        start = i + 1;
    }
    return FinalResult::None;
}

QString answerBody(const QByteArray &raw, const QByteArray &command)
{
    QByteArray text = raw;
    qsizetype resultAt = -1;
    if (findFinalResult(text, &resultAt) != FinalResult::None)
        text.truncate(resultAt);

    QString body = QString::fromLatin1(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = body.split(QLatin1Char('\n'));

    // The device echoes the command first unless echo is off.
    const QString echo = QString::fromLatin1(command).trimmed();
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    if (!lines.isEmpty() && !echo.isEmpty() && lines.first().trimmed().compare(echo, Qt::CaseInsensitive) == 0)
        lines.removeFirst();
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

QString fieldValue(const QString &answer, const QString &label)
{
    const QStringList lines = answer.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (!trimmed.startsWith(label))
            continue;
        const QString rest = trimmed.mid(label.size());
        // "Code date" must not be found inside "Code dates", nor "Ram" in "Ramp".
        if (!rest.isEmpty() && !rest.front().isSpace() && rest.front() != QLatin1Char(':'))
            continue;
        QString value = rest.trimmed();
        if (value.startsWith(QLatin1Char(':')))
            value = value.mid(1).trimmed();
        return value;
    }
    return {};
}

DeviceIdentity parseIdentity(const QString &answer)
{
    DeviceIdentity id;
    const QStringList lines = answer.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.contains(QLatin1String("Varnel"))) {
            id.name = line.trimmed();
            id.name.remove(QLatin1String(" Hardware Profile"));
            break;
        }
    }
    id.productType = fieldValue(answer, QStringLiteral("Product type"));
    id.productId = fieldValue(answer, QStringLiteral("Product ID"));
    if (id.productId.size() == 8)
        id.productCode = id.productId.mid(2, 4);
    id.firmwareDate = fieldValue(answer, QStringLiteral("Supervisor date"));
    id.firmwareRev = fieldValue(answer, QStringLiteral("Supervisor rev"));
    if (id.firmwareDate.isEmpty()) {
        id.firmwareDate = fieldValue(answer, QStringLiteral("Code date"));
        id.firmwareRev = fieldValue(answer, QStringLiteral("Code rev"));
    }
    id.serialNumber = fieldValue(answer, QStringLiteral("Serial Number"));
    return id;
}

QString countryOfProductType(const QString &productType)
{
    QString country = productType.trimmed();
    for (const QLatin1String suffix : {QLatin1String(" External"), QLatin1String(" Internal")}) {
        if (country.endsWith(suffix))
            country.chop(suffix.size());
    }
    return country.trimmed();
}

QList<Country> parseCountryList(const QString &answer)
{
    static const QRegularExpression entry(QStringLiteral("^\\s*(\\d{1,3}):\\s*(.*\\S)\\s*$"));
    QList<Country> list;
    const QStringList lines = answer.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QRegularExpressionMatch m = entry.match(line);
        if (m.hasMatch())
            list.append({m.captured(1), m.captured(2)});
    }
    return list;
}

QString reportValue(const QString &answer, const QString &key)
{
    const QRegularExpression pair(QStringLiteral("(?:^|\\s)") + QRegularExpression::escape(key) +
                                  QStringLiteral("\\s*=(\\S*)"),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = pair.match(answer);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString formatText(const QString &text, const QStringList &args)
{
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('%') || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        if (text[i + 1] == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        // Flags, width, precision and length, then the conversion letter.
        qsizetype j = i + 1;
        while (j < text.size() && QStringLiteral("-+ #0123456789.*hlLqjzt").contains(text[j]))
            ++j;
        if (j < text.size() && QStringLiteral("diouxXcsfeEgGp").contains(text[j])) {
            out += next < args.size() ? args[next] : QString();
            ++next;
            i = j;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace companions
