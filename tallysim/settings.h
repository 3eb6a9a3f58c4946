#pragma once
// The device's settings: one text value per key, the key being the command
// fragment that writes it ("*W", "#R1", "S67", "#GU2", "@Z7", ...). The live
// set is what the device works with; the stored set is what "&W" saved and a
// restart loads. Keys, ranges, labels and report order come from one table.

#include "products.h"

#include <map>
#include <string>
#include <vector>

namespace sim {

enum class ReportId { None, Ati12, Ati15, Ati16, Ati4 };

enum class ValueKind {
    Number,     // decimal, within [min, max]
    Digits,     // 0 to maxLen digits (telephone numbers, SPIDs, prefixes)
    Text,       // 0 to maxLen letters and digits
};

struct SettingDef {
    std::string key;
    ReportId report;
    ValueKind kind;
    int min;
    int max;            // for Digits and Text: the maximum length
    std::string label;  // shown before the keyword in its report
    bool line;          // belongs to the ISDN line set (reset by "&F5" only)
};

// Every setting, in report order within each report.
const std::vector<SettingDef> &settingDefs();
const SettingDef *findSetting(const std::string &key);
// Checks a value against its definition (TEIs: 0 to 63 or 255).
bool valueFits(const SettingDef &def, const std::string &value);

using ValueMap = std::map<std::string, std::string>;

// Factory values for a product; template 0 to 5 as "&F" takes them (3 is none).
ValueMap factoryValues(Product p, int country, int templ);
// The values of a device as it leaves the set-up: factory values plus a
// configured line, so that it comes up "Ready".
ValueMap initialValues(Product p, int country, int switchType);

// Integer of a value, 0 when it is not a number.
int toInt(const std::string &value);

// The persisted state: stored profile and firmware date.
struct PersistedState {
    std::string product;
    std::string firmwareDate;
    ValueMap stored;
};
bool loadState(const std::string &path, PersistedState &out, std::string &error);
bool saveState(const std::string &path, const PersistedState &state, std::string &error);

} // namespace sim
