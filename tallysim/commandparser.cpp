#include "commandparser.h"

#include "settings.h"

#include <algorithm>
#include <cctype>

namespace sim {

namespace {

class Cursor {
public:
    explicit Cursor(const std::string &s) : s_(s) {}
    bool atEnd() const { return i_ >= s_.size(); }
    char peek(size_t ahead = 0) const { return i_ + ahead < s_.size() ? up(s_[i_ + ahead]) : '\0'; }
    // Consumes `name` when the text continues with it (letter case ignored).
    bool take(const std::string &name)
    {
        if (i_ + name.size() > s_.size())
            return false;
        for (size_t k = 0; k < name.size(); ++k)
            if (up(s_[i_ + k]) != up(name[k]))
                return false;
        i_ += name.size();
        return true;
    }
    std::string digits(size_t max = 40)
    {
        std::string out;
        while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_])) && out.size() < max)
            out.push_back(s_[i_++]);
        return out;
    }
    std::string alnum(size_t max)
    {
        std::string out;
        while (i_ < s_.size() && std::isalnum(static_cast<unsigned char>(s_[i_])) && out.size() < max)
            out.push_back(s_[i_++]);
        return out;
    }
    // Optional single-digit argument, default 0.
    int optDigit()
    {
        if (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_])))
            return s_[i_++] - '0';
        return 0;
    }

private:
    static char up(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
    const std::string &s_;
    size_t i_ = 0;
};

// Settings-table names that start with a punctuation mark, longest first, so
// that "*A0" wins over "*A" and "#VR1" never reads as something shorter.
const std::vector<std::string> &markedNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const auto &d : settingDefs())
            if ((d.key[0] == '*' || d.key[0] == '#' || d.key[0] == '&') && d.key.find('.') == std::string::npos &&
                d.report != ReportId::None)
                n.push_back(d.key);
        std::stable_sort(n.begin(), n.end(), [](const std::string &a, const std::string &b) { return a.size() > b.size(); });
        return n;
    }();
    return names;
}

bool number(Cursor &c, int &out, size_t max = 5)
{
    std::string d = c.digits(max);
    if (d.empty())
        return false;
    out = toInt(d);
    return true;
}

// "=" and a value of the kind the setting takes.
bool setValue(Cursor &c, const std::string &key, std::vector<Op> &ops)
{
    const SettingDef *def = findSetting(key);
    if (!def || !c.take("="))
        return false;
    std::string v = def->kind == ValueKind::Text ? c.alnum(static_cast<size_t>(def->max)) : c.digits(41);
    if (!valueFits(*def, v))
        return false;
    ops.push_back({OpKind::Set, key, v, {}, {}});
    return true;
}

bool triple(Cursor &c, std::vector<int> &out)
{
    for (int k = 0; k < 3; ++k) {
        int n = 0;
        if (k > 0 && !c.take(":"))
            return false;
        if (!number(c, n, 4))
            return false;
        out.push_back(n);
    }
    return true;
}

bool parseMarked(Cursor &c, std::vector<Op> &ops)
{
    // Line set-up or abort: "*Z555,5551234,5555678" or "*Z" alone.
    if (c.take("*Z")) {
        std::string area = c.digits(6);
        if (area.empty() && c.peek() != ',') {
            ops.push_back({OpKind::LineAbort, {}, {}, {}, {}});
            return true;
        }
        Op op{OpKind::LineSetup, {}, {}, {}, {area}};
        while (c.take(","))
            op.texts.push_back(c.digits(21));
        if (op.texts.size() < 2 || op.texts.size() > 3 || area.empty() || area.size() > 5)
            return false;
        for (size_t k = 1; k < op.texts.size(); ++k)
            if (op.texts[k].empty() || op.texts[k].size() > 20)
                return false;
        ops.push_back(op);
        return true;
    }
    if (c.take("*U=")) {
        Op op{OpKind::Endpoint, "*U", {}, {}, {}};
        int cls = 0;
        if (!number(c, cls, 2) || cls > 5)
            return false;
        op.numbers.push_back(cls);
        if (c.take(",")) {
            op.value = c.digits(41);
            if (op.value.empty() || op.value.size() > 40)
                return false;
        }
        ops.push_back(op);
        return true;
    }
    for (const char *fw : {"#GU", "#GB", "#GR", "#GD", "#EU", "#EB", "#ER", "#ED"}) {
        if (c.take(fw)) {
            char m = c.peek();
            if (m < '1' || m > '3')
                return false;
            std::string key = std::string(fw) + m;
            c.take(std::string(1, m));
            return setValue(c, key, ops);
        }
    }
    for (const std::string &name : markedNames())
        if (c.take(name))
            return setValue(c, name, ops);
    return false;
}

bool parseClock(Cursor &c, std::vector<Op> &ops)
{
    OpKind kind;
    if (c.take("#D="))
        kind = OpKind::Date;
    else if (c.take("#T="))
        kind = OpKind::Time;
    else
        return false;
    Op op{kind, {}, {}, {}, {}};
    if (!triple(c, op.numbers))
        return false;
    ops.push_back(op);
    return true;
}

bool parseScreening(Cursor &c, std::vector<Op> &ops)
{
    if (c.take("@Z")) {
        int j = 0;
        if (!number(c, j, 2) || j < 1 || j > 20)
            return false;
        return setValue(c, "@Z" + std::to_string(j), ops);
    }
    for (const char *name : {"@X", "@A", "@D"}) {
        if (!c.take(name))
            continue;
        char p = c.peek();
        if (p < '1' || p > '3')
            return false;
        c.take(std::string(1, p));
        std::string key = std::string(name) + p;
        if (name[1] == 'X')
            return setValue(c, key, ops);
        if (!c.take("="))
            return false;
        Op op{OpKind::ScreenList, key, {}, {}, {}};
        do {
            int e = 0;
            if (!number(c, e, 2) || e < 1 || e > 20)
                return false;
            op.numbers.push_back(e);
        } while (c.take(","));
        ops.push_back(op);
        return true;
    }
    return false;
}

bool parseRegister(Cursor &c, std::vector<Op> &ops)
{
    if (!c.take("S"))
        return false;
    int reg = 0;
    if (!number(c, reg, 3))
        return false;
    std::string key = "S" + std::to_string(reg);
    if (c.take("?")) {
        ops.push_back({OpKind::RegisterQuery, key, {}, {}, {}});
        return true;
    }
    if (c.take(".")) {
        int bit = 0, v = 0;
        if (!number(c, bit, 1) || bit > 7 || !c.take("=") || !number(c, v, 1) || v > 1)
            return false;
        ops.push_back({OpKind::SetBit, key, {}, {bit, v}, {}});
        return true;
    }
    if (!c.take("="))
        return false;
    int v = 0;
    if (!number(c, v, 3) || v > 255)
        return false;
    ops.push_back({OpKind::Set, key, std::to_string(v), {}, {}});
    return true;
}

} // namespace

bool parseCommandLine(const std::string &body, std::vector<Op> &ops)
{
    Cursor c(body);
    while (!c.atEnd()) {
        char ch = c.peek();
        bool ok = false;
        int n = 0;
        if (ch == ' ') {
            c.take(" ");
            continue;
        } else if (ch == '#' && (c.peek(1) == 'D' || c.peek(1) == 'T') && c.peek(2) == '=') {
            ok = parseClock(c, ops);   // "#D1=" and "#T1=" are buttons, tried below
        } else if (ch == '*' || ch == '#') {
            ok = parseMarked(c, ops);
        } else if (ch == '@') {
            ok = parseScreening(c, ops);
        } else if (c.take("&F")) {
            ops.push_back({OpKind::Factory, {}, {}, {c.optDigit()}, {}});
            ok = true;
        } else if (c.take("&W")) {
            c.optDigit();
            ops.push_back({OpKind::Write, {}, {}, {}, {}});
            ok = true;
        } else if (c.take("&K")) {
            ops.push_back({OpKind::Set, "&K", std::to_string(c.optDigit()), {}, {}});
            ok = std::stoi(ops.back().value) <= 4;
        } else if (c.take("&C") || c.take("&D")) {
            c.optDigit();   // carrier detect and DTR handling: accepted, nothing to emulate
            ok = true;
        } else if (c.take("~C?")) {
            ops.push_back({OpKind::CountryList, {}, {}, {}, {}});
            ok = true;
        } else if (c.take("~X!")) {
            ops.push_back({OpKind::FirmwareRestart, {}, {}, {}, {}});
            ok = true;
        } else if (c.take("~D")) {
            ops.push_back({OpKind::Download, {}, {}, {}, {}});
            ok = true;
        } else if (c.take("%S=")) {
            ops.push_back({OpKind::Goodbye, {}, {}, {}, {}});
            ok = true;
        } else if (c.take("C10=")) {
            ok = number(c, n, 3);
            ops.push_back({OpKind::Country, {}, {}, {n}, {}});
        } else if (c.take("Z!")) {
            ops.push_back({OpKind::Restart, {}, {}, {}, {}});
            ok = true;
        } else if (c.take("Z")) {
            c.optDigit();
            ops.push_back({OpKind::Reset, {}, {}, {}, {}});
            ok = true;
        } else if (c.take("I")) {
            ok = true;
            if (!number(c, n, 3))
                n = 0;
            ops.push_back({OpKind::Info, {}, {}, {n}, {}});
        } else if (c.take("Y")) {
            ok = number(c, n, 3);
            ops.push_back({OpKind::LineReset, {}, {}, {n}, {}});
        } else if (ch == 'E' || ch == 'Q' || ch == 'V') {
            c.take(std::string(1, ch));
            int v = c.optDigit();
            ops.push_back({OpKind::Set, std::string(1, ch), std::to_string(v), {}, {}});
            ok = v <= 1;
        } else if (ch == 'S') {
            ok = parseRegister(c, ops);
        }
        if (!ok)
            return false;
    }
    return true;
}

} // namespace sim
