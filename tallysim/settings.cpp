#include "settings.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace sim {

namespace {

constexpr int kTei = 1000;   // marker for the TEI range: 0 to 63, or 255

std::vector<SettingDef> buildDefs()
{
    using R = ReportId;
    using K = ValueKind;
    std::vector<SettingDef> d = {
        // Switch settings ("ati12").
        {"*W", R::Ati12, K::Number, 0, 8, "Switch type", true},
        {"*P0", R::Ati12, K::Digits, 0, 5, "Area code", true},
        {"*P1", R::Ati12, K::Digits, 0, 20, "Telephone number 1", true},
        {"*P2", R::Ati12, K::Digits, 0, 20, "Telephone number 2", true},
        {"*P3", R::Ati12, K::Digits, 0, 20, "Data port MSN", true},
        {"*S", R::Ati12, K::Number, 0, 1, "Automatic SPID", true},
        {"*S1", R::Ati12, K::Digits, 0, 20, "SPID 1", true},
        {"*S2", R::Ati12, K::Digits, 0, 20, "SPID 2", true},
        {"*T1", R::Ati12, K::Number, 0, kTei, "TEI 1", true},
        {"*T2", R::Ati12, K::Number, 0, kTei, "TEI 2", true},
        {"*M", R::Ati12, K::Number, 0, 1, "Bus configuration", true},
        {"*A", R::Ati12, K::Number, 0, 1, "AO/DI", false},
        {"*C0", R::Ati12, K::Text, 0, 4, "AO/DI packet carrier", false},
        {"*PD", R::Ati12, K::Digits, 0, 15, "AO/DI packet number", false},
        {"*TD", R::Ati12, K::Number, 0, kTei, "AO/DI packet TEI", false},
        {"*Y", R::Ati12, K::Number, 0, 1, "AO/DI reverse charge", false},
        // Phone port settings ("ati15").
        {"#R1", R::Ati15, K::Number, 0, 3, "Port 1 answers number", false},
        {"#R2", R::Ati15, K::Number, 0, 3, "Port 2 answers number", false},
        {"*R", R::Ati15, K::Number, 0, 8, "Data port answers number", false},
        {"#I1", R::Ati15, K::Number, 0, 9, "Port 1 caller ID", false},
        {"#I2", R::Ati15, K::Number, 0, 9, "Port 2 caller ID", false},
        {"#B1", R::Ati15, K::Number, 0, 1, "Port 1 bearer capability", false},
        {"#B2", R::Ati15, K::Number, 0, 1, "Port 2 bearer capability", false},
        {"#VR1", R::Ati15, K::Number, 0, 9, "Port 1 receive volume", false},
        {"#VR2", R::Ati15, K::Number, 0, 9, "Port 2 receive volume", false},
        {"#VT1", R::Ati15, K::Number, 0, 9, "Port 1 transmit volume", false},
        {"#VT2", R::Ati15, K::Number, 0, 9, "Port 2 transmit volume", false},
        {"#S1", R::Ati15, K::Number, 0, 1, "Port 1 advanced call features", false},
        {"#S2", R::Ati15, K::Number, 0, 1, "Port 2 advanced call features", false},
        {"#A1", R::Ati15, K::Number, 0, 2, "Port 1 call waiting", false},
        {"#A2", R::Ati15, K::Number, 0, 2, "Port 2 call waiting", false},
        {"#C1", R::Ati15, K::Number, 0, 99, "Port 1 conference button", false},
        {"#C2", R::Ati15, K::Number, 0, 99, "Port 2 conference button", false},
        {"#D1", R::Ati15, K::Number, 0, 99, "Port 1 drop button", false},
        {"#D2", R::Ati15, K::Number, 0, 99, "Port 2 drop button", false},
        {"#F1", R::Ati15, K::Number, 0, 99, "Port 1 forward button", false},
        {"#F2", R::Ati15, K::Number, 0, 99, "Port 2 forward button", false},
        {"#T1", R::Ati15, K::Number, 0, 99, "Port 1 transfer button", false},
        {"#T2", R::Ati15, K::Number, 0, 99, "Port 2 transfer button", false},
        {"#W1", R::Ati15, K::Number, 0, 99, "Port 1 message button", false},
        {"#W2", R::Ati15, K::Number, 0, 99, "Port 2 message button", false},
        // Data protocol settings ("ati16").
        {"*VO", R::Ati16, K::Number, 0, 8, "Outgoing call protocol", false},
        {"*VI", R::Ati16, K::Number, 0, 8, "Incoming call protocol", false},
        {"*E", R::Ati16, K::Number, 0, 3, "Dynamic voice override", false},
        {"*PPP", R::Ati16, K::Number, 0, 4, "PPP mode", false},
        {"*K", R::Ati16, K::Number, 0, 2, "PPP compression", false},
        {"*U", R::Ati16, K::Number, 0, 5, "Endpoint discriminator class", false},
        {"*B", R::Ati16, K::Number, 0, 1, "BACP/BAP", false},
        {"*C1", R::Ati16, K::Digits, 0, 5, "Local dial-out prefix", false},
        {"*C2", R::Ati16, K::Digits, 0, 5, "Long distance dial-out prefix", false},
        {"*A0", R::Ati16, K::Number, 0, 2, "AO/DI maximum bandwidth", false},
        {"*A1", R::Ati16, K::Number, 0, 959, "1st B channel add sample time", false},
        {"*A2", R::Ati16, K::Number, 0, 959, "1st B channel drop sample time", false},
        {"*A3", R::Ati16, K::Number, 0, 100, "1st B channel add threshold", false},
        {"*A4", R::Ati16, K::Number, 0, 100, "1st B channel drop threshold", false},
        {"*D1", R::Ati16, K::Number, 0, 959, "2nd B channel add sample time", false},
        {"*D2", R::Ati16, K::Number, 0, 959, "2nd B channel drop sample time", false},
        {"*D3", R::Ati16, K::Number, 0, 100, "2nd B channel add threshold", false},
        {"*D4", R::Ati16, K::Number, 0, 100, "2nd B channel drop threshold", false},
        // TA settings ("ati4").
        {"S67", R::Ati4, K::Number, 0, 255, "Data call options register", false},
        {"S69", R::Ati4, K::Number, 0, 255, "Line options register", false},
        {"*X0", R::Ati4, K::Number, 1, 2048, "X.75 frame size", false},
        {"*X1", R::Ati4, K::Number, 1, 7, "X.75 window size", false},
        {"*X2", R::Ati4, K::Number, 0, 1, "X.75 extended numbering", false},
        {"*X3", R::Ati4, K::Number, 0, 7, "X.75 layer 3", false},
        {"&K", R::Ati4, K::Number, 0, 4, "Flow control", false},
        {"E", R::Ati4, K::Number, 0, 1, "Command echo", false},
        {"Q", R::Ati4, K::Number, 0, 1, "Quiet mode", false},
        {"V", R::Ati4, K::Number, 0, 1, "Verbose result codes", false},
        // Not printed as keywords.
        {"C10", R::None, K::Number, 0, 99, "Country", true},
        {"*U.text", R::None, K::Digits, 0, 40, "Endpoint discriminator value", false},
    };
    const char *kinds[] = {"U", "B", "R", "D"};
    for (int m = 1; m <= 3; ++m)
        for (const char *k : kinds) {
            d.push_back({std::string("#G") + k + std::to_string(m), R::None, K::Digits, 0, 20, "Forwarding number", false});
            d.push_back({std::string("#E") + k + std::to_string(m), R::None, K::Number, 0, 1, "Forwarding enabled", false});
        }
    for (int p = 1; p <= 3; ++p) {
        d.push_back({"@X" + std::to_string(p), R::None, K::Number, 0, 1, "Screening policy", false});
        d.push_back({"@L" + std::to_string(p), R::None, K::Text, 0, 60, "Screening entries listed", false});
    }
    for (int j = 1; j <= 20; ++j)
        d.push_back({"@Z" + std::to_string(j), R::None, K::Digits, 0, 20, "Screening number", false});
    return d;
}

std::string spidFor(const std::string &area, const std::string &number)
{
    return number.empty() ? std::string() : area + number + "0101";
}

} // namespace

const std::vector<SettingDef> &settingDefs()
{
    static const std::vector<SettingDef> defs = buildDefs();
    return defs;
}

const SettingDef *findSetting(const std::string &key)
{
    for (const auto &d : settingDefs())
        if (d.key == key)
            return &d;
    return nullptr;
}

bool valueFits(const SettingDef &def, const std::string &value)
{
    switch (def.kind) {
    case ValueKind::Number: {
        if (value.empty() || value.size() > 5)
            return false;
        int v = 0;
        for (char c : value) {
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + (c - '0');
        }
        if (def.max == kTei)
            return v <= 63 || v == 255;
        return v >= def.min && v <= def.max;
    }
    case ValueKind::Digits:
        if (static_cast<int>(value.size()) > def.max)
            return false;
        for (char c : value)
            if (c < '0' || c > '9')
                return false;
        return true;
    case ValueKind::Text:
        if (static_cast<int>(value.size()) > def.max)
            return false;
        for (char c : value)
            if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ','))
                return false;
        return true;
    }
    return false;
}

int toInt(const std::string &value)
{
    if (value.empty() || value.size() > 9)
        return 0;
    int v = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return 0;
        v = v * 10 + (c - '0');
    }
    return v;
}

ValueMap factoryValues(Product p, int country, int templ)
{
    const ProductInfo &info = productInfo(p);
    ValueMap v;
    for (const auto &d : settingDefs())
        v[d.key] = d.kind == ValueKind::Number ? std::to_string(d.min) : std::string();
    int sw = info.defaultSwitch;
    if (info.isdnFamily && p != Product::Idsl && country != 0)
        sw = 0;    // outside North America the line is EuroISDN
    bool euro = sw == 0;
    v["*W"] = std::to_string(sw);
    v["*S"] = "1";
    v["*T1"] = "255";
    v["*T2"] = "255";
    v["*M"] = "1";
    v["*TD"] = "255";
    v["#R1"] = "1";
    v["#R2"] = "2";
    v["*R"] = euro ? "8" : "4";
    v["#I1"] = "9";
    v["#I2"] = "9";
    for (const char *k : {"#VR1", "#VR2", "#VT1", "#VT2"})
        v[k] = "5";
    v["#A1"] = "2";
    v["#A2"] = "2";
    v["*VO"] = "5";
    v["*E"] = "1";
    v["*PPP"] = "4";
    v["*K"] = "1";
    v["*A0"] = "2";
    v["*A1"] = "15";
    v["*A2"] = "180";
    v["*A3"] = "75";
    v["*A4"] = "10";
    v["*D1"] = "10";
    v["*D2"] = "120";
    v["*D3"] = "75";
    v["*D4"] = "50";
    v["*X0"] = "2048";
    v["*X1"] = "7";
    v["*X3"] = "1";
    static const char *flow[] = {"0", "3", "4", "3", "3", "3"};
    v["&K"] = flow[templ >= 0 && templ <= 5 ? templ : 0];
    v["E"] = "1";
    v["V"] = "1";
    v["C10"] = std::to_string(country);
    for (int p2 = 1; p2 <= 3; ++p2)
        v["@X" + std::to_string(p2)] = "0";
    return v;
}

ValueMap initialValues(Product p, int country, int switchType)
{
    ValueMap v = factoryValues(p, country, 5);
    v["*W"] = std::to_string(switchType);
    if (switchType == 0) {
        v["*P0"] = "30";
        v["*P1"] = "4471101";
        v["*P2"] = "4471102";
        v["*P3"] = "4471103";
    } else {
        v["*P0"] = "555";
        v["*P1"] = "5551234";
        v["*P2"] = "5555678";
        v["*S1"] = spidFor(v["*P0"], v["*P1"]);
        v["*S2"] = spidFor(v["*P0"], v["*P2"]);
    }
    return v;
}

bool loadState(const std::string &path, PersistedState &out, std::string &error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string line, section;
    PersistedState st;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) {
            error = path + ": unreadable line: " + line;
            return false;
        }
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (section == "device") {
            if (key == "product")
                st.product = value;
            else if (key == "firmware")
                st.firmwareDate = value;
        } else if (section == "stored") {
            // Unknown or out-of-range values are dropped, not trusted.
            const SettingDef *def = findSetting(key);
            bool dynamicS = key.size() > 1 && key[0] == 'S' && toInt(key.substr(1)) >= 0;
            if ((def && valueFits(*def, value)) || (!def && dynamicS))
                st.stored[key] = value;
        }
    }
    out = st;
    return true;
}

bool saveState(const std::string &path, const PersistedState &state, std::string &error)
{
    std::ostringstream text;
    text << "[device]\nproduct=" << state.product << "\nfirmware=" << state.firmwareDate << "\n\n[stored]\n";
    for (const auto &[k, v] : state.stored)
        text << k << '=' << v << '\n';
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) {
            error = "cannot write " + tmp;
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + tmp + " to " + path;
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace sim
