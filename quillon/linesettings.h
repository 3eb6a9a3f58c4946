#pragma once
// The ISDN line page's settings as plain values: the switch type, numbers,
// SPIDs, TEIs, bus configuration and data link delay, read from the switch
// settings and TA settings replies, and the lines a change of them writes.
// Which lines are written depends on the switch type chosen: EuroISDN,
// leased line (IDSL) or one of the domestic switches.

#include "protocolsettings.h"

namespace quillon {

constexpr int kIdslSwitchIndex = 6;   // "IDSL (Leased Line)" in Switch_Combo
constexpr int kFirstFixedLineTei = 63;

struct LineSettings {
    int switchIndex = 0;     // Switch_Combo index
    int bandwidth = 0;       // leased line: 6 (64K), 7 (128K), 8 (144K); 0 when none
    QString areaCode, number1, number2, number3;
    bool autoSpid = false;
    QString spid1, spid2;
    int tei1 = kAutomaticTei, tei2 = kAutomaticTei;
    int busConfig = 0;       // CBox_BusConfigure index
    bool dataLinkDelay = false;
    bool operator==(const LineSettings &) const = default;
};

// Switch_Combo index for a switch type read from the TA.
int switchIndexFor(int switchType);
// The switch type written for a Switch_Combo index; the IDSL entry keeps a
// leased-line type 6 or 7 read from the TA and otherwise starts at 128K.
int switchTypeFor(int switchIndex, int readSwitchType);

LineSettings readLine(const StoredReplies &r);
// The changed settings' lines of the set the chosen switch type selects.
QList<SlotLine> composeLine(const LineSettings &current, const LineSettings &read, int readSwitchType);

} // namespace quillon
