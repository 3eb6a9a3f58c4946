#pragma once
// Command line of the emulator. Parsing never exits: it returns an error text
// that main() prints with the usage.

#include "faults.h"
#include "products.h"

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Options {
    Product product = Product::IsdnTa;
    std::string link;                  // symbolic link to the slave side, "" = none
    int com = 0;                       // registered as "COMn" when > 0
    std::string byId;                  // symbolic link kept pointing at the port, "" = none
    std::string returnLink;            // after a drop-off: comes back under this link
    int returnCom = 0;                 // after a drop-off: comes back registered as "COMn"
    std::string tapiName;              // modem class key DriverDesc, needs com
    std::string stateFile;
    std::optional<std::string> serial;
    std::optional<int> switchType;
    std::optional<int> country;
    std::vector<std::string> lineStates;   // empty = default list, walked after at*Z only
    std::string logFile;
    bool logTimes = false;             // each transcript line starts with "[ms] " (monotonic clock)
    bool noEcho = false;
    FaultConfig faults;
    std::string faultFile;             // re-read on SIGUSR1, "" = none
};

// Returns an error text, or "" when the arguments were fine.
std::string parseOptions(const std::vector<std::string> &args, Options &out);
std::string usageText();

// "a,b,c" split at commas, blanks around each item trimmed, empty items dropped.
std::vector<std::string> splitList(const std::string &text);

} // namespace sim
