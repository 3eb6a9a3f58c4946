#pragma once
// Reading the identity answers ("ati7\r") of the products: field extraction,
// the product code, the firmware date, the product name and the information
// sheet rows. Pure functions; the main window's handlers call them.

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace identity {

// Value between the end of startKey and the beginning of endKey (first
// occurrences from the start of the answer, letter case significant), trimmed
// of blanks and line breaks. nullopt when startKey is missing. A missing end
// key, or one that lies before the value, gives the rest of the answer or an
// empty value respectively.
std::optional<QString> extractField(const QString &answer, const QString &startKey,
                                    const QString &endKey);

// The same with a fallback end key used when endKey is missing.
std::optional<QString> extractField(const QString &answer, const QString &startKey,
                                    const QString &endKey, const QString &fallbackEndKey);

// Text after "Product ID" up to endKey, reduced by the product-code rule
// (characters 3 to 6); "" when "Product ID" is missing.
QString productCode(const QString &answer, const QString &endKey);

// Firmware date code: "Supervisor date"..."DSP date" for a 56K answer, else
// "Code date"..."Code rev"; "00/00/00" when the start key is missing.
QString FirmwareDate(const QString &answer);

// Product name at the start of the answer's "Varnel " line, cut before
// " Hardware", " Configuration" or " Profile". logInfo receives the 80
// characters looked at.
QString GetModemNameFromATI7Data(const QString &answer,
                                 const std::function<void(const QString &)> &logInfo = {});

// Direct-mode product code: the 70 characters one after the end of "Product ID",
// cut at the first carriage return, trimmed, characters 3 to 6. The steps go to
// trace (raw, after trim left, after trim right).
QString modemTypeCodeFromAti7(const QString &modemData,
                              const std::function<void(int step, const QString &)> &trace = {});

// The two clock commands, with decimal numbers without leading zeros and a
// two-digit year; month first in the US order.
QString dateCommand(const QDateTime &now, bool usOrder);
QString timeCommand(const QDateTime &now);

// Information sheet rows in display order.
enum Row { RowProductId, RowProductType, RowClock, RowDate1, RowDate2, RowRev1, RowRev2,
           RowSerial, RowCount };

struct ProductInfo {
    QString values[RowCount];
    bool hasProductId = false;
    bool hasSerialNumber = false;
};

// Cuts an identity answer into the sheet's rows for the product type
// ("ISDNTA", "IDSL", anything else counts as the 56K modem). Missing product
// ID and serial number are left empty with their flags false.
ProductInfo parseProductInfo(const QString &answer, const QString &modemSelected);

// Captions of the four date and revision rows (untranslated source texts).
const char *dateRowCaption(int row, const QString &modemSelected);

} // namespace identity
