#include "options.h"

#include <cstdlib>

namespace sim {

namespace {

bool parseInt(const std::string &text, int lo, int hi, int &out)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    int v = std::atoi(text.c_str());
    if (v < lo || v > hi)
        return false;
    out = v;
    return true;
}

} // namespace

std::vector<std::string> splitList(const std::string &text)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        size_t b = item.find_first_not_of(" \t");
        if (b != std::string::npos)
            out.push_back(item.substr(b, item.find_last_not_of(" \t") - b + 1));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return out;
}

std::string usageText()
{
    return "usage: tallysim --product isdnta|isdnta-pro|56k|56k-i|idsl [--link PATH] [--com N]\n"
           "                [--tapi-name TEXT] [--state FILE] [--serial TEXT] [--switch N] [--country N]\n"
           "                [--line-states LIST] [--log FILE] [--log-times] [--no-echo] [--fault FAULT]...\n"
           "                [--by-id PATH] [--return-link PATH] [--return-com N]\n"
           "                [--fault-file FILE]\n"
           "faults (combinable, repeat --fault or separate by commas):\n"
           "  silent | silent-after=N | error=CMD | lose-ati7-head[=N] | baud=N | garbage[=N] | reset-after=CMD\n"
           "  stay-up-after-flash\n"
           "signals: SIGUSR1 takes the faults in --fault-file instead (empty: none);\n"
           "         SIGUSR2 resets the device off the bus and back\n";
}

std::string parseOptions(const std::vector<std::string> &args, Options &o)
{
    bool haveProduct = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i], val;
        bool inlineValue = false;
        if (size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            val = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            inlineValue = true;
        }
        auto value = [&](std::string &out) {
            if (inlineValue) {
                out = val;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        int n = 0;
        if (arg == "--no-echo" && !inlineValue) {
            o.noEcho = true;
            continue;
        }
        if (arg == "--log-times" && !inlineValue) {
            o.logTimes = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0)
            return "unexpected argument: " + args[i];
        if (!value(v))
            return arg + " needs a value";
        if (arg == "--product") {
            if (!productFromOption(v, o.product))
                return "unknown product: " + v;
            haveProduct = true;
        } else if (arg == "--link") {
            o.link = v;
        } else if (arg == "--com") {
            if (!parseInt(v, 1, 255, n))
                return "--com takes a number from 1 to 255";
            o.com = n;
        } else if (arg == "--by-id") {
            o.byId = v;
        } else if (arg == "--return-link") {
            o.returnLink = v;
        } else if (arg == "--return-com") {
            if (!parseInt(v, 1, 255, n))
                return "--return-com takes a number from 1 to 255";
            o.returnCom = n;
        } else if (arg == "--tapi-name") {
            o.tapiName = v;
        } else if (arg == "--state") {
            o.stateFile = v;
        } else if (arg == "--serial") {
            // The serial number is the last field before the result code: it
            // must not hold the result code itself, nor control characters.
            if (v.empty() || v.find("OK") != std::string::npos)
                return "--serial must be non-empty and must not contain \"OK\"";
            for (unsigned char c : v)
                if (c < 0x20 || c >= 0x7f)
                    return "--serial takes printable characters only";
            o.serial = v;
        } else if (arg == "--switch") {
            if (!parseInt(v, 0, 8, n))
                return "--switch takes 0 to 8";
            o.switchType = n;
        } else if (arg == "--country") {
            if (!parseInt(v, 0, static_cast<int>(countries().size()) - 1, n))
                return "--country takes 0 to " + std::to_string(countries().size() - 1);
            o.country = n;
        } else if (arg == "--line-states") {
            o.lineStates = splitList(v);
            if (o.lineStates.empty())
                return "--line-states needs at least one state";
        } else if (arg == "--log") {
            o.logFile = v;
        } else if (arg == "--fault-file") {
            o.faultFile = v;
        } else if (arg == "--fault") {
            std::string err = parseFault(v, o.faults);
            if (!err.empty())
                return err;
        } else {
            return "unknown option: " + arg;
        }
    }
    if (!haveProduct)
        return "--product is required";
    if (!o.tapiName.empty() && o.com == 0)
        return "--tapi-name needs --com";
    if (o.country && *o.country != 0 && !productInfo(o.product).countryChangeable)
        return "this product is sold for US/Canada only (--country 0)";
    return {};
}

} // namespace sim
