#include "productcodes.h"

#include "paths.h"

#include <QFile>
#include <QTextStream>

QString codeFromIdentifier(const QString &identifier)
{
    return identifier.size() == 8 ? identifier.mid(2, 4) : QString();
}

namespace {

QString valueAfterKey(const QString &line, const QString &key)
{
    const int pos = line.indexOf(key);
    if (pos < 0)
        return {};
    return line.mid(pos + key.size()).trimmed();
}

} // namespace

void applyProdIdLines(const QStringList &lines, ProductCodes &codes)
{
    if (lines.size() >= 1) {
        const QString code = codeFromIdentifier(valueAfterKey(lines[0], QStringLiteral("56KBusinessModem=")));
        if (!code.isEmpty())
            codes.extraModem = code;
    }
    if (lines.size() >= 2) {
        const QString code = codeFromIdentifier(valueAfterKey(lines[1], QStringLiteral("ISDNTAModem=")));
        if (!code.isEmpty())
            codes.isdnA = code;
    }
    if (lines.size() > 2) {
        for (const QString &line : lines) {
            const int eq = line.indexOf(QLatin1Char('='));
            if (eq < 0 || line.left(eq).trimmed() != QLatin1String("ISDNTAST"))
                continue;
            const QString code = codeFromIdentifier(line.mid(eq + 1).trimmed());
            if (!code.isEmpty())
                codes.isdnB = code;
            break;
        }
    }
}

void applyProdIdFile(ProductCodes &codes)
{
    QFile file(tl::mapPath(QStringLiteral("prodId.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd())
        lines << in.readLine();
    applyProdIdLines(lines, codes);
}
