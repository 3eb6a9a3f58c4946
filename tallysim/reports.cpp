#include "reports.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

std::string keywordLines(const ValueMap &v, ReportId report)
{
    std::string out;
    char buf[200];
    for (const auto &d : settingDefs()) {
        if (d.report != report)
            continue;
        auto it = v.find(d.key);
        std::string value = it == v.end() ? std::string() : it->second;
        std::snprintf(buf, sizeof buf, "  %-32s%s =%s ", d.label.c_str(), d.key.c_str(), value.c_str());
        out += buf;
        if (d.key == "*W")
            out += " " + switchName(toInt(value));
        out += "\r\n";
    }
    return out;
}

std::string value(const ValueMap &v, const std::string &key)
{
    auto it = v.find(key);
    return it == v.end() ? std::string() : it->second;
}

} // namespace

std::string switchName(int switchType)
{
    static const char *names[] = {
        "EuroISDN", "DMS-100 Custom", "National ISDN-1", "National ISDN-2", "5ESS Custom MultiPoint",
        "5ESS Custom Point-to-Point", "Leased Line 64K", "Leased Line 128K", "Leased Line 144K",
    };
    return switchType >= 0 && switchType <= 8 ? names[switchType] : "Unknown";
}

std::string switchSettingsReport(const ValueMap &v, const std::string &deviceStatus)
{
    return "Switch Settings\r\n\r\n" + keywordLines(v, ReportId::Ati12) + "\r\nDevice Status: " + deviceStatus + "\r\n";
}

std::string phonePortReport(const ValueMap &v)
{
    return "Phone Port Settings\r\n\r\n" + keywordLines(v, ReportId::Ati15);
}

std::string dataProtocolReport(const ValueMap &v)
{
    std::string out = "Data Protocol Settings\r\n\r\n" + keywordLines(v, ReportId::Ati16);
    // The discriminator itself comes last, after the word the readers look for.
    if (toInt(value(v, "*U")) != 0)
        out += "\r\n  Endpoint discriminator Value " + value(v, "*U.text") + "\r\n";
    return out;
}

std::string taSettingsReport(const ValueMap &v, const std::string &date, const std::string &time)
{
    return "TA Settings\r\n\r\n" + keywordLines(v, ReportId::Ati4) + "\r\n  Date  " + date + "   Time  " + time + "\r\n";
}

std::string callForwardingReport(const ValueMap &v)
{
    // Introducers are 16 characters each; the number follows without a blank.
    static const char *intro[] = {"Unconditional# :", "Busy#          :", "No Response#   :", "Deflection#    :"};
    static const char *kinds[] = {"U", "B", "R", "D"};
    std::string out = "Call Forwarding\r\n";
    for (int m = 1; m <= 3; ++m) {
        std::string ms = std::to_string(m);
        out += "\r\nMSN" + ms + "  " + value(v, "*P" + ms) + "\r\n";
        out += "Forwarding       Number  User     Network\r\n";
        for (int k = 0; k < 4; ++k) {
            std::string number = value(v, std::string("#G") + kinds[k] + ms);
            bool user = toInt(value(v, std::string("#E") + kinds[k] + ms)) != 0;
            bool network = user && !number.empty();
            out += std::string(intro[k]) + number + " " + (user ? "Enabled " : "Disabled") + " " +
                   (network ? "Enabled" : "Disabled") + "\r\n";
        }
    }
    return out;
}

std::vector<int> entryList(const std::string &text)
{
    std::vector<int> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int n = toInt(item);
        if (n >= 1 && n <= 20 && std::find(out.begin(), out.end(), n) == out.end())
            out.push_back(n);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string entryListText(const std::vector<int> &entries)
{
    std::string out;
    for (int e : entries)
        out += (out.empty() ? "" : ",") + std::to_string(e);
    return out;
}

std::string callScreeningReport(const ValueMap &v)
{
    // Columns: entry introducer at 0, number 3 to 27, marks at 29, 38 and 47.
    // A reject-listed port is shown with "-" right before its name.
    auto dash = [&](int port) { return toInt(value(v, "@X" + std::to_string(port))) == 0 ? '-' : ' '; };
    std::string header = "   Number";
    header.resize(28, ' ');
    header += dash(1);
    header += "ADP1    ";
    header += dash(2);
    header += "ADP2    ";
    header += dash(3);
    header += "DDP";
    std::string out = "Call Screening\r\n\r\n" + header + "\r\n";
    std::vector<int> listed[3];
    for (int p = 0; p < 3; ++p)
        listed[p] = entryList(value(v, "@L" + std::to_string(p + 1)));
    for (int j = 1; j <= 20; ++j) {
        char intro[4];
        std::snprintf(intro, sizeof intro, "%02d:", j);
        std::string line = intro + value(v, "@Z" + std::to_string(j));
        line.resize(47 + 1, ' ');
        for (int p = 0; p < 3; ++p)
            if (std::find(listed[p].begin(), listed[p].end(), j) != listed[p].end())
                line[29 + 9 * p] = '*';
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\r\n";
    }
    return out;
}

std::string incomingCallLog()
{
    return "Incoming Calls\r\nType\r\n"
           "5551000             ADP1   04/06/99  08:12:40  Speech\r\n"
           "5552000             DATA   04/06/99  11:03:17  PPP\r\n"
           "5551000             ADP2   04/07/99  09:05:03  3.1 KHz Audio\r\n"
           "5553000             DATA   04/07/99  14:47:55  V.120\r\n";
}

std::string outgoingCallLog()
{
    return "Outgoing Calls\r\nCharge-Info\r\n"
           "5559000             DATA   04/06/99  10:00:02  PPP            12\r\n"
           "18005550199         ADP1   04/06/99  16:21:09  Speech          0\r\n"
           "5559000             DATA   04/07/99  08:30:45  MLPPP          31\r\n";
}

std::string countryList()
{
    std::string out;
    char buf[64];
    const auto &list = countries();
    for (size_t i = 0; i < list.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02zu:%s\r\n", i, list[i].c_str());
        out += buf;
    }
    return out;
}

std::string modemRegisterReport(const ValueMap &v)
{
    std::string out = "Modem Settings\r\n\r\n";
    char buf[80];
    for (const char *k : {"E", "Q", "V", "&K"}) {
        std::snprintf(buf, sizeof buf, "  %-4s=%s\r\n", k, value(v, k).c_str());
        out += buf;
    }
    for (int r = 0; r <= 12; ++r) {
        std::snprintf(buf, sizeof buf, "  S%02d =%s\r\n", r, value(v, "S" + std::to_string(r)).c_str());
        out += buf;
    }
    return out;
}

} // namespace sim
