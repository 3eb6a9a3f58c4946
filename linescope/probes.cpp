#include "probes.h"

namespace linescope {

bool Probes::is_exclusion(std::string_view arg)
{
    return arg.size() >= 2 && arg[0] == '-' && (arg[1] == 'x' || arg[1] == 'X');
}

void Probes::exclude(std::string_view arg)
{
    for (char c : arg) {
        switch (c) {
        case '1': raw_dump = false; break;
        case '2': q921 = false; break;
        case '3': q931 = false; break;
        case '4': x25 = false; break;
        case 'P': case 'p': physical = false; break;
        case 'A': case 'a': analog = false; break;
        case 'N': case 'n': isdn_ppp = false; break;
        case 'D': case 'd': dte_ppp = false; break;
        default: break;
        }
    }
}

} // namespace linescope
