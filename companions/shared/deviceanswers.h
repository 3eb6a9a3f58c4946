#pragma once
// Reading the devices' answers: result codes, labelled fields of the identity
// answer, register reports and the country list. Pure text functions.

#include <QList>
#include <QString>
#include <QStringList>

namespace companions {

// The line that ends a command's answer: "OK" or "ERROR" alone on a line.
enum class FinalResult { None, Ok, Error };

// Looks at the complete lines of text (a line ends at CR or LF) for the final result.
// `lineStart` receives the offset of the result line.
FinalResult findFinalResult(const QByteArray &text, qsizetype *lineStart = nullptr);

// The information part of an answer: without the echoed command, the result
// line and what follows it; line ends become "\n"; blank lines at both ends go.
QString answerBody(const QByteArray &raw, const QByteArray &command);

// The value after a label: the rest of the line that starts with the label
// (leading blanks of the line allowed), trimmed. "" when the label is absent.
QString fieldValue(const QString &answer, const QString &label);

// The identity ("ati7") of any product.
struct DeviceIdentity {
    QString name;           // first line naming the maker, without " Hardware Profile"
    QString productType;    // "US/Canada External"
    QString productId;      // eight characters
    QString productCode;    // characters 3 to 6 of productId ("5172")
    QString firmwareDate;   // "Supervisor date" (56K) or "Code date" (ISDN TA, IDSL)
    QString firmwareRev;    // "Supervisor rev" or "Code rev"
    QString serialNumber;
    bool valid() const { return productCode.size() == 4; }
};
DeviceIdentity parseIdentity(const QString &answer);

// The country the product type names: "Germany External" -> "Germany".
QString countryOfProductType(const QString &productType);

// "AT~C?" answer: "NN:Name" lines.
struct Country {
    QString code;   // as listed, "05"
    QString name;
};
QList<Country> parseCountryList(const QString &answer);

// "KEY =value" or "KEY=value" pairs of a settings report, key as written ("S07", "&K").
// Returns "" when the key is absent.
QString reportValue(const QString &answer, const QString &key);

// Substitutes the printf-style conversions (%s, %d, ...) of a translated text
// with the arguments in order; "%%" is a percent sign.
QString formatText(const QString &text, const QStringList &args);

} // namespace companions
