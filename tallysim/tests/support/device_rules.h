#pragma once
// The reading rules the suite's programs apply to the device's answers,
// written down here on their own (from the programs' documentation, not from
// the emulator's code), so that the tests check the emulator against them.

#include <optional>
#include <string>
#include <vector>

namespace rules {

// Value between the end of `start` and the beginning of `end`, both searched
// from the beginning (first occurrence, letter case significant), blanks and
// line breaks trimmed. nullopt when `start` is missing.
std::optional<std::string> field(const std::string &answer, const std::string &start, const std::string &end);
// Characters 3 to 6 (1-based) of a "Product ID" value.
std::string productCode(const std::string &productId);
// Firmware date: "Supervisor date".."DSP date" when the answer holds "56K",
// else "Code date".."Code rev"; "00/00/00" without the start key.
std::string firmwareDate(const std::string &answer);
// Product name: from "Varnel " (or "VARNEL "), 80 characters, cut at " Hardware",
// " Configuration" or " Profile" (upper-case forms when none occurs).
std::string modemName(const std::string &answer);
// Direct-mode product code: 70 characters from one after "Product ID", cut at
// the first CR, trimmed, characters 3 to 6.
std::string directModeCode(const std::string &answer);
// The text a data packet delivers: from `start` up to and including the first
// "OK" after it (letter case significant); "" when start is missing.
std::string packet(const std::string &text, const std::string &start);
// Keyword lookup of the configuration read-back.
std::string keyword(const std::string &reply, const std::string &key);
// "Device Status:" .. "OK", trimmed; "" when missing.
std::string deviceStatus(const std::string &answer);
// Country name from a hardware profile: after "Product type" to the line end.
std::string profileCountry(const std::string &ati7);

struct Forwarding {
    std::string number;
    bool user = false;
    bool network = false;
};
// 12 entries (MSN1..3 x unconditional, busy, no response, deflection) or fewer
// when a line is missing.
std::vector<Forwarding> callForwarding(const std::string &reply);

struct Screening {
    bool found = false;
    bool reject[3] = {false, false, false};
    int entries = 0;
    std::string number[20];
    bool listed[20][3] = {};
};
Screening callScreening(const std::string &reply);

// Entries of the country list ("00:US/Canada", ...).
std::vector<std::string> countryList(const std::string &reply);

} // namespace rules
