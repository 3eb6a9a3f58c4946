#pragma once
// Splits one command line ("AT" already removed, no CR) into its fragments.
// A line parses completely or not at all: an unknown or malformed fragment
// makes the whole line fail, so that nothing of it is carried out.

#include <string>
#include <vector>

namespace sim {

enum class OpKind {
    Set,            // key = value (settings table, forwarding, screening entries, E/Q/V, &K, S registers)
    SetBit,         // "S67.4=1": key, bit, value
    Info,           // "I" n
    Factory,        // "&F" n
    Write,          // "&W"
    Reset,          // "Z": reload the stored settings
    Restart,        // "Z!": restart, reloading the stored settings
    LineReset,      // "Y" n
    Country,        // "C10=" n
    CountryList,    // "~C?"
    FirmwareRestart,// "~X!"
    Download,       // "~D": receive a firmware image by Xmodem
    LineSetup,      // "*Z" area "," number1 ["," number2]
    LineAbort,      // "*Z" alone
    Date,           // "#D=" a ":" b ":" c
    Time,           // "#T=" h ":" m ":" s
    Goodbye,        // "%S="
    RegisterQuery,  // "S" n "?"
    Endpoint,       // "*U=" class ["," value]
    ScreenList,     // "@A" or "@D" port "=" entries
};

struct Op {
    OpKind kind;
    std::string key;                 // Set, SetBit, ScreenList ("@A1", "@D3")
    std::string value;               // Set, Endpoint (value text)
    std::vector<int> numbers;        // Info, Factory, LineReset, Country, Date, Time, SetBit, Endpoint, ScreenList
    std::vector<std::string> texts;  // LineSetup
};

// Returns false (and leaves ops partly filled) when the line is not understood.
bool parseCommandLine(const std::string &body, std::vector<Op> &ops);

} // namespace sim
