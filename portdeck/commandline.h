#pragma once
// Portdeck's command-line switches. Each parameter is lower-cased and compared
// whole, in order, so a later switch overrides an earlier one.

#include <QStringList>
#include <stdexcept>

struct CommandLineOptions {
    bool logging = false;       // "/l"
    bool debugWindow = false;   // "/s", only with "/l"
    bool tapiMode = false;      // "/t" on, "/notapi" off
    bool waitAndYield = false;  // "/y"
    int baudRate = 57600;       // "/b:" 19200, 38400, 57600 or 115200
    // Development switches of this build, not shown to users.
    QString screenshotDir;      // "--screenshot-dir=DIR"
};

// Raised for a "/b:" parameter whose rest is not a decimal number.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// args excludes the program name.
CommandLineOptions parseCommandLine(const QStringList &args);
