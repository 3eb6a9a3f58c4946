#pragma once
// The settings Portdeck mirrors from its command line for the other programs of
// the suite: HKEY_LOCAL_MACHINE "Software\\Varnel\\Tallyline\\Portdeck",
// string values "Logging" and "WaitAndYield", "on" enables (compared exactly).

#include <QString>

namespace suite {

inline const QString kPortdeckKey = QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck");

struct LogSettings {
    bool logging = false;
    bool waitAndYield = false;
};

// Opens the key (creating it when missing) and reads both values.
LogSettings readLogSettings();

// Writes both values as "on" or "off".
void writeLogSettings(const LogSettings &settings);

} // namespace suite
