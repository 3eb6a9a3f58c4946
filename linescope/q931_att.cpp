// The 5ESS management information element (codeset 6).
#include "dump.h"
#include "q931.h"

#include <algorithm>

namespace linescope {

namespace {

void octet(Report& out, std::string_view name, std::uint8_t v, std::string_view suffix = {})
{
    out.lit("                Octet ");
    out.put(name);
    out.lit(" (0x");
    out.hex(v);
    out.ch(')');
    out.put(suffix);
    out.cr();
}

void field(Report& out, std::string_view label, std::string_view value)
{
    out.lit("                    ");
    out.put(label);
    out.put(value);
    out.cr();
}

void field_hex(Report& out, std::string_view label, unsigned value)
{
    out.lit("                    ");
    out.put(label);
    out.lit("0x");
    out.hex(value);
    out.cr();
}

constexpr unsigned kClassReject = 5;

std::string_view operation_class_text(unsigned v)
{
    static constexpr std::string_view k[] = {"Unconfirmed Operation", "Confirmed Operation", "Return Result",
                                             "Return Result Continued", "Return Error", "Reject"};
    return v < 6 ? k[v] : std::string_view("Unknown");
}

std::string_view operation_type_text(unsigned v)
{
    static constexpr std::string_view k[] = {"Action", "Event Report", "Get", "Set"};
    return k[v & 3];
}

std::string_view code_text(unsigned op_class, unsigned op_type, unsigned code)
{
    if (op_class == kClassReject) {
        switch (code) {
        case 0: return "Unspecified error";
        case 1: return "Protocol Violation";
        case 2: return "Unrecognized Operation";
        case 3: return "Non-synchronous Operation Not Supported";
        default: return "Unknown";
        }
    }
    switch (op_type) {
    case 0:
        if (code == 3)
            return "Activate loopback";
        if (code == 4)
            return "Deactivate loopback";
        if (code == 8)
            return "Reset";
        break;
    case 1:
        if (code == 1)
            return "Initialization Request";
        if (code == 2)
            return "Endpoint Service State Change";
        break;
    case 2:
        if (code == 4)
            return "Call Status Information";
        if (code == 8)
            return "Equipment Information";
        break;
    case 3:
        if (code == 1)
            return "Address Information";
        break;
    default:
        break;
    }
    return "Unknown";
}

std::string_view parameter_text(unsigned v)
{
    switch (v) {
    case 1: return "Service Profile Identifier";
    case 2: return "Endpoint Identifier";
    case 8: return "Call Reference Identifier";
    case 9: return "Call State Identifier";
    case 10: return "Channel Identifier";
    case 19: return "Loopback Location";
    case 42: return "Supplementary Capabilities";
    case 112: return "Cause Identifier";
    default: return "Unknown";
    }
}

void parameter_value(Report& out, unsigned id, const std::uint8_t* v, std::size_t n)
{
    switch (id) {
    case 1:
        out.lit("                Service Profile Identifier:\r");
        hex_dump(out, v, n, 20);
        return;
    case 2:
        if (n < 1)
            return;
        octet(out, "7i", v[0], " (USID)");
        if (n < 2)
            return;
        octet(out, "7j", v[1]);
        field(out, "Flag:                            ", (v[1] & 0x80) ? "Full Service" : "Restricted Service");
        field_hex(out, "TID:                             ", v[1] & 0x7F);
        return;
    case 9:
        if (n < 1)
            return;
        octet(out, "7i", v[0]);
        field(out, "Call State:                      ", call_state_text(v[0] & 0x3F));
        return;
    case 10:
        if (n < 1)
            return;
        octet(out, "7i", v[0]);
        field(out, "Preferred/Exclusive:             ", (v[0] & 0x08) ? "Exclusive" : "Preferred");
        // This element's indicator reads the other way round.
        field(out, "D-channel indicator:             ", (v[0] & 0x04) ? "not D-channel" : "D-channel");
        field(out, "Channel selection:               ", channel_selection_text(false, v[0] & 3));
        return;
    case 19:
        if (n < 1)
            return;
        octet(out, "7i", v[0], " (Loopback location)");
        return;
    case 112: {
        if (n < 1)
            return;
        octet(out, "7i", v[0]);
        const unsigned c = v[0] & 0x7F;
        field(out, "Cause value:                     ",
              c == 1 ? "Channel in use" : c == 18 ? "Provided Management Parameter Unknown" : "Unknown");
        return;
    }
    default:
        return;
    }
}

} // namespace

void decode_att_management(Report& out, const std::uint8_t* c, std::size_t n)
{
    out.lit("\r            ATT Management Info IE\r");
    if (n == 0)
        return;
    octet(out, "3", c[0]);
    field_hex(out, "Mgmt. Protocol Discriminator:    ", c[0]);
    if (n < 2)
        return;
    octet(out, "4", c[1]);
    field_hex(out, "Transaction Reference:           ", c[1] & 0x7F);
    if (n < 3)
        return;
    const unsigned op_class = (c[2] >> 4) & 7;
    const unsigned op_type = c[2] & 3;
    octet(out, "5", c[2]);
    field(out, "Operation Class:                 ", operation_class_text(op_class));
    field(out, "Operation Type:                  ", operation_type_text(op_type));
    if (n < 4)
        return;
    octet(out, "6", c[3]);
    field(out, "Code:                            ", code_text(op_class, op_type, c[3] & 0x7F));
    // Parameters: identifier, length, value; the walk ends with the
    // contents even when a length points past them.
    std::size_t at = 4;
    while (at < n) {
        const unsigned id = c[at] & 0x7F;
        octet(out, "7g", c[at]);
        field(out, "Parameter Identifier:            ", parameter_text(id));
        if (at + 1 >= n)
            return;
        const unsigned length = c[at + 1];
        octet(out, "7h", c[at + 1]);
        out.lit("                    Parameter Length:                ");
        out.udec(length);
        out.cr();
        const std::size_t value = at + 2;
        const std::size_t have = value < n ? std::min<std::size_t>(length, n - value) : 0;
        parameter_value(out, id, c + value, have);
        at = value + length;
    }
}

} // namespace linescope
