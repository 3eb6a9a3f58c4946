#include "device_rules.h"

#include <cstdio>

namespace rules {

namespace {

std::string trim(const std::string &s, const char *what = " \r\n")
{
    size_t b = s.find_first_not_of(what);
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(what) - b + 1);
}

std::string upper(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

std::optional<std::string> field(const std::string &answer, const std::string &start, const std::string &end)
{
    size_t s = answer.find(start);
    if (s == std::string::npos)
        return std::nullopt;
    size_t from = s + start.size();
    size_t e = answer.find(end);
    if (e == std::string::npos || e < from)
        return std::string();
    return trim(answer.substr(from, e - from));
}

std::string productCode(const std::string &productId)
{
    return productId.size() > 2 ? productId.substr(2, 4) : std::string();
}

std::string firmwareDate(const std::string &answer)
{
    bool is56k = answer.find("56K") != std::string::npos;
    auto v = is56k ? field(answer, "Supervisor date", "DSP date") : field(answer, "Code date", "Code rev");
    return v ? *v : "00/00/00";
}

std::string modemName(const std::string &answer)
{
    size_t p = answer.find("Varnel ");
    if (p == std::string::npos)
        p = answer.find("VARNEL ");
    if (p == std::string::npos)
        return {};
    std::string info = answer.substr(p, 80);
    const char *keys[] = {" Hardware", " Configuration", " Profile"};
    bool any = false;
    for (const char *k : keys)
        any = any || info.find(k) != std::string::npos;
    for (const char *k : keys) {
        std::string key = any ? k : upper(k);
        size_t cut = info.find(key);
        if (cut != std::string::npos)
            return info.substr(0, cut);
    }
    return info;
}

std::string directModeCode(const std::string &answer)
{
    size_t p = answer.find("Product ID");
    if (p == std::string::npos)
        return {};
    std::string s = answer.substr(p + 10 + 1, 70);
    size_t cr = s.find('\r');
    if (cr != std::string::npos)
        s = s.substr(0, cr);
    s = trim(s, " ");
    return s.size() > 2 ? s.substr(2, 4) : std::string();
}

std::string packet(const std::string &text, const std::string &start)
{
    size_t s = text.find(start);
    if (s == std::string::npos)
        return {};
    size_t e = text.find("OK", s + start.size());
    return e == std::string::npos ? std::string() : text.substr(s, e + 2 - s);
}

std::string keyword(const std::string &reply, const std::string &key)
{
    if (reply.empty())
        return "0";
    size_t p = reply.find(key);
    if (p == std::string::npos)
        return {};
    std::string rest = reply.substr(p + key.size());
    if (!rest.empty())
        rest.pop_back();   // without the reply's last character
    size_t b = rest.find_first_not_of(' ');
    rest = b == std::string::npos ? std::string() : rest.substr(b);
    if (!rest.empty() && rest[0] == '=')
        rest.erase(0, 1);
    if (rest.empty() || rest[0] == ' ')
        return rest == " " ? "0" : std::string();
    size_t sp = rest.find(' ');
    if (sp == std::string::npos)
        return {};
    return rest.substr(0, sp);
}

std::string deviceStatus(const std::string &answer)
{
    auto v = field(answer, "Device Status:", "OK");
    return v ? *v : std::string();
}

std::string profileCountry(const std::string &ati7)
{
    size_t p = ati7.find("Product type");
    if (p == std::string::npos)
        return {};
    std::string rest = ati7.substr(p + 12);
    rest = rest.substr(0, rest.find("\r\n"));
    size_t b = rest.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : rest.substr(b);
}

std::vector<Forwarding> callForwarding(const std::string &reply)
{
    const char *intro[] = {"Unconditional# :", "Busy#          :", "No Response#   :", "Deflection#    :"};
    std::vector<Forwarding> out;
    std::string copy = reply.substr(0, 2048);
    size_t pos = 0;
    for (int m = 0; m < 3; ++m)
        for (const char *in : intro) {
            size_t p = copy.find(in, pos);
            if (p == std::string::npos)
                return out;
            size_t eol = copy.find("\r\n", p);
            if (eol == std::string::npos)
                return out;
            std::string line = copy.substr(p + std::string(in).size(), eol - p - std::string(in).size());
            Forwarding f;
            size_t sp = line.find(' ');
            f.number = line.substr(0, sp);
            size_t q = sp == std::string::npos ? line.size() : line.find_first_not_of(' ', sp);
            std::string user = q == std::string::npos ? std::string() : line.substr(q);
            f.user = user.compare(0, 7, "Enabled") == 0;
            std::string net = user.size() > 8 ? user.substr(8) : std::string();
            size_t nb = net.find_first_not_of(' ');
            net = nb == std::string::npos ? std::string() : net.substr(nb);
            f.network = net.compare(0, 7, "Enabled") == 0;
            out.push_back(f);
            pos = eol + 2;
        }
    return out;
}

Screening callScreening(const std::string &reply)
{
    Screening s;
    std::string copy = reply.substr(0, 2048);
    size_t h = copy.find("Number");
    if (h == std::string::npos)
        return s;
    size_t hs = copy.rfind("\r\n", h);
    hs = hs == std::string::npos ? 0 : hs + 2;
    size_t he = copy.find("\r\n", h);
    std::string header = copy.substr(hs, he - hs);
    s.found = true;
    const char *names[] = {"ADP1", "ADP2", "DDP"};
    for (int p = 0; p < 3; ++p) {
        size_t at = header.find(names[p]);
        s.reject[p] = at != std::string::npos && at > 0 && header[at - 1] == '-';
    }
    size_t pos = he;
    for (int j = 1; j <= 20; ++j) {
        char intro[4];
        std::snprintf(intro, sizeof intro, "%02d:", j);
        size_t p = copy.find(intro, pos);
        if (p == std::string::npos)
            break;
        size_t eol = copy.find("\r\n", p);
        if (eol == std::string::npos)
            break;
        std::string line = copy.substr(p, eol - p);
        s.number[j - 1] = trim(line.size() > 3 ? line.substr(3, 25) : std::string(), " ");
        // The mark of a port is the character in its column (29, 38, 47).
        for (int port = 0; port < 3; ++port) {
            size_t col = 29 + 9 * static_cast<size_t>(port);
            s.listed[j - 1][port] = line.size() > col && line[col] != ' ';
        }
        s.entries = j;
        pos = eol + 2;
    }
    return s;
}

std::vector<std::string> countryList(const std::string &reply)
{
    std::vector<std::string> tokens, out;
    std::string cur;
    for (char c : reply) {
        if (c == ' ' || c == '\r' || c == '\n') {
            if (!cur.empty())
                tokens.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty())
        tokens.push_back(cur);
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i + 1].find(':') != std::string::npos) {
            out.push_back(tokens[i]);
        } else {
            out.push_back(tokens[i] + " " + tokens[i + 1]);
            ++i;
        }
    }
    return out;
}

} // namespace rules
