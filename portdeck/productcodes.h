#pragma once
// The accepted four-character product codes and the "prodId.txt" overrides.

#include <QString>
#include <QStringList>

struct ProductCodes {
    QString extraModem;            // further 56K business modem code ("56KBusinessModem=")
    QString modemA = QStringLiteral("5172");
    QString modemB = QStringLiteral("5173");
    QString isdnA = QStringLiteral("5240");  // "ISDNTAModem="
    QString isdnB = QStringLiteral("5241");  // "ISDNTAST" when the file has more than 2 lines
    QString idsl = QStringLiteral("5237");
};

// Applies the lines of "prodId.txt"; lines without their key or with a value
// that is not exactly 8 characters leave the defaults in force.
void applyProdIdLines(const QStringList &lines, ProductCodes &codes);

// Reads "prodId.txt" from the current directory; a missing or unreadable file
// changes nothing.
void applyProdIdFile(ProductCodes &codes);

// Characters 3 to 6 (1-based) of an eight-character identifier, "" otherwise.
QString codeFromIdentifier(const QString &identifier);
