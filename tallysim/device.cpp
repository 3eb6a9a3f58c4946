#include "device.h"

#include "reports.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

const std::vector<std::string> kDefaultLineStates = {"Looking for ISDN Line", "Initializing Data Link", "Ready"};

std::string value(const ValueMap &v, const std::string &key)
{
    auto it = v.find(key);
    return it == v.end() ? std::string() : it->second;
}

std::string spidFor(const std::string &area, const std::string &number)
{
    return number.empty() ? std::string() : area + number + "0101";
}

bool validDate(int day, int month, int year)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    int full = year < 100 ? (year < 70 ? 2000 + year : 1900 + year) : year;
    bool leap = (full % 4 == 0 && full % 100 != 0) || full % 400 == 0;
    return day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}

long localNowAsUtc()
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return static_cast<long>(timegm(&tm));
}

} // namespace

Device::Device(const DeviceConfig &cfg) : cfg_(cfg), info_(productInfo(cfg.product))
{
    if (cfg_.lineStates.empty())
        cfg_.lineStates = kDefaultLineStates;
    firmwareDate_ = info_.defaultFirmwareDate;
    state_.live = initialValues(cfg_.product, cfg_.country, cfg_.switchType);
    if (!info_.isdnFamily) {
        static const int regs[] = {0, 0, 43, 13, 10, 8, 2, 50, 2, 6, 14, 95, 50};
        for (int r = 0; r <= 12; ++r)
            state_.live["S" + std::to_string(r)] = std::to_string(regs[r]);
    }
    state_.live["E"] = cfg_.echo ? "1" : "0";
    state_.stored = state_.live;
    state_.linePos = cfg_.lineStatesGiven ? 0 : -1;
}

void Device::restore(const PersistedState &p)
{
    for (const auto &[k, v] : p.stored)
        state_.stored[k] = v;
    if (!p.firmwareDate.empty())
        firmwareDate_ = p.firmwareDate;
    restart();
}

PersistedState Device::persisted() const
{
    return {info_.option, firmwareDate_, state_.stored};
}

bool Device::takeStoredChanged()
{
    bool was = storedChanged_;
    storedChanged_ = false;
    return was;
}

void Device::restart()
{
    state_.live = state_.stored;
    if (!cfg_.echo)
        state_.live["E"] = "0";
    state_.linePos = cfg_.lineStatesGiven ? 0 : -1;
}

void Device::setBoth(const std::string &key, const std::string &v)
{
    state_.live[key] = v;
    state_.stored[key] = v;
}

bool Device::echo() const
{
    return value(state_.live, "E") != "0";
}

std::string Device::resultCode(bool ok) const
{
    if (value(state_.live, "Q") == "1")
        return {};
    if (value(state_.live, "V") == "0")
        return ok ? "0\r" : "4\r";
    return ok ? "\r\nOK\r\n" : "\r\nERROR\r\n";
}

std::string Device::wrapInfo(const std::string &text) const
{
    return value(state_.live, "V") == "0" ? text : "\r\n" + text;
}

DeviceReply Device::execute(const std::string &body)
{
    DeviceReply reply;
    std::vector<Op> ops;
    State work = state_;
    std::string info;
    bool ok = parseCommandLine(body, ops);
    for (size_t i = 0; ok && i < ops.size(); ++i) {
        if (ops[i].kind == OpKind::Restart) {
            // A restart loads the stored profile; what this same line set before
            // the "Z!" is what the restart is for ("*A=1Z!"), so it is kept.
            ValueMap keep;
            for (const auto &[k, v] : work.live)
                if (state_.live.count(k) == 0 || state_.live.at(k) != v)
                    keep[k] = v;
            ok = apply(work, ops[i], info, reply.action);
            for (const auto &[k, v] : keep)
                work.live[k] = v;
            continue;
        }
        ok = apply(work, ops[i], info, reply.action);
    }
    if (!ok) {
        // Nothing of a line with an unknown or refused fragment takes effect.
        reply.action = DeviceAction::None;
        reply.error = true;
        reply.text = resultCode(false);
        return reply;
    }
    bool storedBefore = state_.stored != work.stored;
    state_ = work;
    if (storedBefore)
        storedChanged_ = true;
    reply.text = info + resultCode(true);
    return reply;
}

bool Device::allowedKey(const std::string &key) const
{
    if (key == "E" || key == "Q" || key == "V" || key == "&K")
        return true;
    if (!info_.isdnFamily)
        return key.size() > 1 && key[0] == 'S' && toInt(key.substr(1)) <= 38 && key.substr(1) == std::to_string(toInt(key.substr(1)));
    return findSetting(key) != nullptr;
}

bool Device::apply(State &st, const Op &op, std::string &info, DeviceAction &action) const
{
    const bool isdn = info_.isdnFamily;
    switch (op.kind) {
    case OpKind::Set:
        if (!allowedKey(op.key))
            return false;
        if (const SettingDef *def = findSetting(op.key); def && !valueFits(*def, op.value))
            return false;
        st.live[op.key] = op.value;
        return true;
    case OpKind::SetBit: {
        if (!allowedKey(op.key) || (isdn && op.key != "S67" && op.key != "S69"))
            return false;
        int v = toInt(value(st.live, op.key));
        int mask = 1 << op.numbers[0];
        v = op.numbers[1] ? (v | mask) : (v & ~mask);
        st.live[op.key] = std::to_string(v);
        return true;
    }
    case OpKind::RegisterQuery: {
        if (!allowedKey(op.key))
            return false;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%03d\r\n", toInt(value(st.live, op.key)));
        info += wrapInfo(buf);
        return true;
    }
    case OpKind::Info: {
        bool ok = true;
        std::string text = infoText(st, op.numbers[0], ok);
        if (ok)
            info += wrapInfo(text);
        return ok;
    }
    case OpKind::Factory: {
        int t = op.numbers[0];
        if (t == 3 || t > 5)
            return false;
        ValueMap f = factoryValues(cfg_.product, toInt(value(st.live, "C10")), t);
        for (const auto &d : settingDefs()) {
            if (d.key == "C10" || (d.line && t != 5))
                continue;
            st.live[d.key] = f[d.key];
        }
        if (t == 5)
            st.linePos = -1;
        return true;
    }
    case OpKind::Write:
        st.stored = st.live;
        return true;
    case OpKind::Reset:
        st.live = st.stored;
        return true;
    case OpKind::Restart:
        st.live = st.stored;
        st.linePos = cfg_.lineStatesGiven ? 0 : -1;
        return true;
    case OpKind::LineReset:
        return isdn && op.numbers[0] == 23;
    case OpKind::Country: {
        int n = op.numbers[0];
        if (!info_.countryChangeable || n < 0 || n >= static_cast<int>(countries().size()))
            return false;
        st.live["C10"] = std::to_string(n);
        if (isdn) {
            // The country decides between the North American and the European line.
            int sw = toInt(value(st.live, "*W"));
            if (n == 0 && sw == 0)
                st.live["*W"] = "2";
            else if (n != 0 && sw >= 1 && sw <= 5)
                st.live["*W"] = "0";
        }
        return true;
    }
    case OpKind::CountryList:
        if (info_.countryChangeable)
            info += wrapInfo(countryList());
        return true;
    case OpKind::FirmwareRestart:
        action = DeviceAction::DropOff;
        return true;
    case OpKind::Download:
        action = DeviceAction::StartDownload;
        return true;
    case OpKind::LineSetup: {
        if (!isdn)
            return false;
        st.live["*P0"] = op.texts[0];
        st.live["*P1"] = op.texts[1];
        st.live["*P2"] = op.texts.size() > 2 ? op.texts[2] : std::string();
        if (value(st.live, "*S") != "0") {
            st.live["*S1"] = spidFor(op.texts[0], op.texts[1]);
            st.live["*S2"] = spidFor(op.texts[0], st.live["*P2"]);
        }
        // The adapter keeps what the line set-up found.
        for (const char *k : {"*P0", "*P1", "*P2", "*S1", "*S2"})
            st.stored[k] = st.live[k];
        st.linePos = 0;
        return true;
    }
    case OpKind::LineAbort:
        if (!isdn)
            return false;
        st.linePos = -1;
        return true;
    case OpKind::Date:
    case OpKind::Time: {
        if (!isdn)
            return false;
        const auto &n = op.numbers;
        std::tm tm = deviceTime(st);
        if (op.kind == OpKind::Date) {
            bool us = usOrder(st.live);
            int month = us ? n[0] : n[1], day = us ? n[1] : n[0], year = n[2];
            if (year > 99 && (year < 1970 || year > 2069))
                return false;
            if (!validDate(day, month, year))
                return false;
            int full = year < 100 ? (year < 70 ? 2000 + year : 1900 + year) : year;
            tm.tm_mday = day;
            tm.tm_mon = month - 1;
            tm.tm_year = full - 1900;
        } else {
            if (n[0] > 23 || n[1] > 59 || n[2] > 59)
                return false;
            tm.tm_hour = n[0];
            tm.tm_min = n[1];
            tm.tm_sec = n[2];
        }
        st.clockOffset = static_cast<long>(timegm(&tm)) - localNowAsUtc();
        return true;
    }
    case OpKind::Goodbye:
        return !isdn;
    case OpKind::Endpoint:
        if (!isdn)
            return false;
        st.live["*U"] = std::to_string(op.numbers[0]);
        if (!op.value.empty())
            st.live["*U.text"] = op.value;
        return true;
    case OpKind::ScreenList: {
        if (!isdn)
            return false;
        std::string listKey = "@L" + op.key.substr(2);
        std::vector<int> entries = entryList(value(st.live, listKey));
        for (int e : op.numbers) {
            auto it = std::find(entries.begin(), entries.end(), e);
            if (op.key[1] == 'A' && it == entries.end())
                entries.push_back(e);
            else if (op.key[1] == 'D' && it != entries.end())
                entries.erase(it);
        }
        std::sort(entries.begin(), entries.end());
        st.live[listKey] = entryListText(entries);
        return true;
    }
    }
    return false;
}

std::string Device::identity(const ValueMap &v) const
{
    int c = toInt(value(v, "C10"));
    const auto &list = countries();
    Identity id{list[c >= 0 && c < static_cast<int>(list.size()) ? c : 0], cfg_.serial, firmwareDate_};
    return identityText(cfg_.product, id);
}

bool Device::usOrder(const ValueMap &v) const
{
    return toInt(value(v, "C10")) == 0;
}

std::tm Device::deviceTime(const State &st) const
{
    std::time_t t = static_cast<std::time_t>(localNowAsUtc() + st.clockOffset);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return tm;
}

std::string Device::infoText(State &st, int n, bool &ok) const
{
    const bool isdn = info_.isdnFamily;
    const int sw = toInt(value(st.live, "*W"));
    ok = true;
    switch (n) {
    case 0:
        return std::string(info_.code) + "\r\n";
    case 3:
        return std::string(info_.name) + " " + firmwareDate_ + "\r\n";
    case 7:
        return identity(st.live);
    case 4:
        if (!isdn)
            return modemRegisterReport(st.live);
        {
            std::tm tm = deviceTime(st);
            char date[16], time[16];
            bool us = usOrder(st.live);
            std::snprintf(date, sizeof date, "%02d/%02d/%02d", us ? tm.tm_mon + 1 : tm.tm_mday,
                          us ? tm.tm_mday : tm.tm_mon + 1, tm.tm_year % 100);
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
            return taSettingsReport(st.live, date, time);
        }
    case 12:
        if (isdn)
            return switchSettingsReport(st.live, nextLineStatus(st));
        break;
    case 15:
        if (isdn)
            return phonePortReport(st.live);
        break;
    case 16:
        if (isdn)
            return dataProtocolReport(st.live);
        break;
    case 17:
    case 18:
        if (isdn && cfg_.product != Product::Idsl)
            return n == 18 ? incomingCallLog() : outgoingCallLog();
        break;
    case 19:
        // Screening needs a switched line; a leased line has no calls to screen.
        if (isdn && sw <= 5)
            return callScreeningReport(st.live);
        break;
    case 20:
        // Network call forwarding is a EuroISDN service.
        if (isdn && sw == 0)
            return callForwardingReport(st.live);
        break;
    default:
        break;
    }
    ok = false;
    return {};
}

bool Device::lineConfigured(const ValueMap &v) const
{
    int sw = toInt(value(v, "*W"));
    if (sw == 0 || sw >= 6)
        return true;    // MSNs and leased lines need no SPIDs
    std::string area = value(v, "*P0"), n1 = value(v, "*P1"), n2 = value(v, "*P2");
    if (area.size() != 3 || n1.size() != 7 || !(n2.empty() || n2.size() == 7))
        return false;
    if (value(v, "*S") != "0")
        return true;    // the adapter finds its SPIDs itself
    return value(v, "*S1") == spidFor(area, n1) && (n2.empty() || value(v, "*S2") == spidFor(area, n2));
}

std::string Device::resolveStatus(const State &st, const std::string &raw) const
{
    if (raw.find("Ready") != std::string::npos && !lineConfigured(st.live))
        return "Incorrect SPID";
    return raw;
}

std::string Device::nextLineStatus(State &st) const
{
    const auto &states = cfg_.lineStates;
    if (st.linePos < 0 || st.linePos >= static_cast<int>(states.size()))
        return resolveStatus(st, states.back());
    std::string s = states[st.linePos];
    st.linePos = st.linePos + 1 < static_cast<int>(states.size()) ? st.linePos + 1 : -1;
    return resolveStatus(st, s);
}

std::string Device::lineStatus() const
{
    State copy = state_;
    return nextLineStatus(copy);
}

bool Device::acceptFirmware(const std::string &image)
{
    // The image names its product and date in a header line within its first
    // 512 bytes: "VARNEL-FW <code> <MM/DD/YY>".
    std::string head = image.substr(0, 512);
    size_t pos = head.find("VARNEL-FW ");
    if (pos == std::string::npos || pos + 10 + 4 + 1 + 8 > head.size())
        return false;
    std::string code = head.substr(pos + 10, 4);
    std::string date = head.substr(pos + 15, 8);
    if (code != info_.code || head[pos + 14] != ' ')
        return false;
    int mm = toInt(date.substr(0, 2)), dd = toInt(date.substr(3, 2));
    if (date[2] != '/' || date[5] != '/' || !validDate(dd, mm, toInt(date.substr(6, 2))) ||
        date.find_first_not_of("0123456789/") != std::string::npos)
        return false;
    firmwareDate_ = date;
    storedChanged_ = true;
    return true;
}

} // namespace sim
