#pragma once
// The settings of the PPP, dynamic bandwidth and X.75 pages as plain values:
// how each is read from the stored replies and how the differences between
// the current and the as-read values become their command lines.

#include "replyparsers.h"

#include <QList>
#include <QString>
#include <array>
#include <ostream>

namespace quillon {

struct PppSettings {
    int mode = 0;            // PPPmode_ComboBox index ("*PPP" minus 1)
    int compression = 0;     // Combo_PPPCompression index
    int endpoint = 0;        // Combo_PPPEndpoint index (endpoint class)
    QString endpointText;    // Edit_PPPEndpoint
    bool bacp = false;       // BACP_CkBox
    QString localPrefix;     // Edit_PPPLocal
    QString longDistPrefix;  // Edit_PPPLongDist
    bool operator==(const PppSettings &) const = default;
};

// Sample times in seconds, thresholds in percent, in the order of their
// fragments: 1st B channel add, drop, add threshold, drop threshold, then the
// same for the 2nd B channel.
struct ThresholdSettings {
    std::array<int, 8> values{};
    bool operator==(const ThresholdSettings &) const = default;
};
constexpr int kMaxSampleMinutes = 15;

struct X75Settings {
    int frameSize = 1;       // 1 to 2048
    int windowSize = 1;      // 1 to 7
    int layer3 = 0;          // Combo_Layer3 index
    bool operator==(const X75Settings &) const = default;
};

constexpr int kAutomaticTei = 255;

// AO/DI: the always-on packet connection over the D channel.
struct AodiSettings {
    bool enabled = false;        // CkBox_EnAODI
    QString carrier;             // Edit_AODI_Provider
    QString number;              // Edit_AODI_DN
    int tei = kAutomaticTei;     // 255 automatic, else a fixed TEI 0 to 63
    int bandwidth = 0;           // Combo_AODI_Bandwidth index
    bool reverseCharge = false;  // CkBox_AODIReverseCharge
    bool operator==(const AodiSettings &) const = default;
};
constexpr int kFirstFixedAodiTei = 21;

// A line for one command slot; resetAfterWrite asks for "at&wz!" after the lines.
struct SlotLine {
    int slot = 0;
    QString line;
    bool resetAfterWrite = false;
    bool operator==(const SlotLine &) const = default;
};
// Readable in test failures.
inline void PrintTo(const SlotLine &l, std::ostream *os)
{
    QString text = l.line;
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    *os << '{' << l.slot << ", " << text.toStdString() << (l.resetAfterWrite ? ", reset}" : "}");
}

PppSettings readPpp(const StoredReplies &r);
// Slot 18: "AT" + the changed PPP fragments + "\r" ("AT\r" when none).
QString composePpp(const PppSettings &current, const PppSettings &read);
// Slot 15: the long distance dial-out prefix on a line of its own.
QString composePppLongDistance(const PppSettings &current, const PppSettings &read);
// What the endpoint discriminator must hold before a save: a class above 0
// needs a decimal number other than 0.
bool endpointValid(const PppSettings &s);

ThresholdSettings readThresholds(const StoredReplies &r);
QString composeThresholds(const ThresholdSettings &current, const ThresholdSettings &read);

AodiSettings readAodi(const StoredReplies &r);
// The lines of the changed AO/DI settings (slots 2 and 19 to 22), none when unchanged.
QList<SlotLine> composeAodi(const AodiSettings &current, const AodiSettings &read);

X75Settings readX75(const StoredReplies &r);
QString composeX75(const X75Settings &current, const X75Settings &read);

} // namespace quillon
