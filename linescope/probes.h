// Probe switches: which kinds of capture record reach the report.
#pragma once

#include <string_view>

namespace linescope {

struct Probes {
    bool raw_dump = true; // "1"
    bool q921 = true;     // "2"
    bool q931 = true;     // "3"
    bool x25 = true;      // "4"
    bool physical = true; // "P"
    bool analog = true;   // "A"
    bool isdn_ppp = true; // "N"
    bool dte_ppp = true;  // "D"

    bool any_dchannel() const { return raw_dump || q921 || q931 || x25; }

    // True for "-x..." / "-X...". Every probe character anywhere in the
    // argument (the "-x" included) turns its switch off.
    static bool is_exclusion(std::string_view arg);
    void exclude(std::string_view arg);
};

} // namespace linescope
