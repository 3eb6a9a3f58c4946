#pragma once
// Parsers of the TA's information reports. Pure functions over the reply
// texts, so they are tested with literal replies and reused by the form.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>

namespace quillon {

// The replies kept from the last read-back, each the whole report up to "OK".
struct StoredReplies {
    QString ati12;   // switch settings
    QString ati15;   // phone ports
    QString ati16;   // data protocols
    QString ati4;    // TA settings
    QString ati20;   // call forwarding
    QString ati19;   // call screening
    const QString *byQuery(const QString &query) const;
};

// The value that follows a keyword in a stored reply ("*W =2 " gives "2").
// "0" when the reply is missing or empty, "" when the keyword is not in it.
QString keywordValue(const StoredReplies &replies, const QString &keyword, const QString &query);
// Decimal value of a lookup result, 0 when it is not a number.
int toNumber(const QString &text);
// Leading decimal number of a text ("01\r" gives 1), 0 when there is none.
int leadingNumber(const QString &text);

// Hardware profile (ati7).
struct HardwareProfile {
    QString countryName;       // unchanged unless it was read
    bool model5241 = false;
    bool leasedLineCapable = false;
};
constexpr int kHardwareCopyLimit = 1024;
HardwareProfile parseHardwareProfile(const QString &reply, const QString &countryName,
                                     bool rereadCountry);

// Call forwarding list (ati20): three MSN blocks of four kinds.
enum ForwardKind { FwdUnconditional = 0, FwdBusy, FwdNoResponse, FwdDeflection };
struct ForwardEntry {
    QString number;
    bool userEnabled = false;
    bool networkEnabled = false;
};
struct ForwardingList {
    std::array<std::array<ForwardEntry, 4>, 3> msn{};
    int linesParsed = 0;       // lines read before the first missing one (0 to 12)
};
constexpr int kListCopyLimit = 2048;
ForwardingList parseCallForwarding(const QString &reply, const QString &enabledWord,
                                   const QString &disabledWord);

// Call screening list (ati19): reject-listed ports and twenty entries.
struct ScreeningEntry {
    QString number;
    std::array<bool, 3> listed{};   // analog port 1, analog port 2, data port
};
struct ScreeningList {
    std::array<bool, 3> rejectListed{};
    std::array<ScreeningEntry, 20> entries{};
    int entriesParsed = 0;
    bool headerFound = false;
};
ScreeningList parseCallScreening(const QString &reply);

// Country list (reply to "at~c?"): entries such as "00:US/Canada".
QStringList parseCountryList(const QString &reply);
// The country name without a trailing " External" or " Internal".
QString countryDisplayName(const QString &countryName);

// Clock commands for the given moment.
QString timeCommand(const QTime &time);
QString dateCommand(const QDate &date, bool usCanada);

// Text between "Device Status:" and the next "OK", trimmed.
QString deviceStatus(const QString &reply);

} // namespace quillon
