#include "faults.h"

#include <algorithm>
#include <cctype>

namespace sim {

namespace {

bool parseLong(const std::string &text, long &out)
{
    if (text.empty() || text.size() > 9)
        return false;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

std::string trim(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

} // namespace

std::string normaliseCommand(const std::string &line)
{
    std::string s = line;
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n'))
        s.pop_back();
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (s.size() >= 2 && s[0] == 'A' && s[1] == 'T')
        s.erase(0, 2);
    return s;
}

std::string parseFault(const std::string &list, FaultConfig &cfg)
{
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        std::string item = trim(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        start = comma == std::string::npos ? list.size() + 1 : comma + 1;
        if (item.empty())
            continue;
        size_t eq = item.find('=');
        std::string name = item.substr(0, eq);
        std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
        bool hasValue = eq != std::string::npos;
        long n = 0;
        if (name == "silent" && !hasValue) {
            cfg.silent = true;
        } else if (name == "silent-after" && parseLong(value, n)) {
            cfg.silentAfter = n;
        } else if (name == "error" && !normaliseCommand(value).empty()) {
            cfg.errorFor.push_back(normaliseCommand(value));
        } else if (name == "lose-ati7-head" && (!hasValue || parseLong(value, n))) {
            cfg.loseAti7Head = hasValue ? static_cast<int>(n) : 1;
        } else if (name == "baud" && parseLong(value, n) && n >= 300) {
            cfg.baud = n;
        } else if (name == "garbage" && (!hasValue || (parseLong(value, n) && n <= 4096))) {
            cfg.garbage = hasValue ? static_cast<int>(n) : 8;
        } else if (name == "reset-after" && !normaliseCommand(value).empty()) {
            cfg.resetAfter = normaliseCommand(value);
        } else if (name == "stay-up-after-flash" && !hasValue) {
            cfg.stayUpAfterFlash = true;
        } else {
            return "unknown or malformed fault: " + item;
        }
    }
    return {};
}

bool FaultState::muteFor()
{
    ++commands_;
    if (cfg_.silent)
        return true;
    return cfg_.silentAfter >= 0 && commands_ > cfg_.silentAfter;
}

bool FaultState::errorFor(const std::string &cmd) const
{
    return std::find(cfg_.errorFor.begin(), cfg_.errorFor.end(), cmd) != cfg_.errorFor.end();
}

bool FaultState::takeAti7Head()
{
    if (ati7Lost_ >= cfg_.loseAti7Head)
        return false;
    ++ati7Lost_;
    return true;
}

bool FaultState::takeResetAfter(const std::string &cmd)
{
    if (resetDone_ || cfg_.resetAfter.empty() || cmd != cfg_.resetAfter)
        return false;
    resetDone_ = true;
    return true;
}

std::string FaultState::noise()
{
    // Line noise with the top bit set, so it never spells a result code or a
    // report keyword, and never XON/XOFF.
    std::string out;
    for (int i = 0; i < cfg_.garbage; ++i) {
        seed_ = seed_ * 1103515245u + 12345u;
        out.push_back(static_cast<char>(0x80 | ((seed_ >> 16) & 0x7f)));
    }
    return out;
}

int64_t FaultState::byteDelayNs() const
{
    return cfg_.baud > 0 ? 10LL * 1000000000LL / cfg_.baud : 0;
}

} // namespace sim
