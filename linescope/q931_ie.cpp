// Decoders of the variable-length information elements. Each writes its
// title, then (for non-empty contents) one "Octet" line per octet it
// decodes followed by that octet's fields. Optional octets are read only
// while the contents last.
#include "dump.h"
#include "q931.h"

#include <algorithm>

namespace linescope {

namespace {

void title(Report& out, std::string_view text)
{
    out.lit("\r            ");
    out.put(text);
    out.cr();
}

void octet(Report& out, std::string_view name, std::uint8_t v)
{
    out.lit("                Octet ");
    out.put(name);
    out.lit(" (0x");
    out.hex(v);
    out.lit(")\r");
}

// label is the field name padded so that the value starts in column 54.
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

void coding_and_location(Report& out, std::uint8_t o3)
{
    octet(out, "3", o3);
    field(out, "Coding Standard:                 ", coding_standard_text(o3 >> 5));
    out.lit("                    Location:\r\r                        ");
    out.put(location_text(o3 & 0x0F));
    out.lit("\r\r");
}

std::string_view transfer_mode_text(unsigned v)
{
    switch (v & 3) {
    case 0: return "Circuit mode";
    case 1: return "";
    case 2: return "Packet mode";
    default: return "Unknown";
    }
}

std::string_view capability_text(unsigned v)
{
    switch (v) {
    case 0: return "SPEECH";
    case 8: return "UNRESTRICTED DIGITAL INFORMATION";
    case 9: return "RESTRICTED DIGITAL INFORMATION";
    case 16: return "3.1 kHz AUDIO";
    case 17: return "7 kHz AUDIO";
    case 24: return "VIDEO";
    default: return "???";
    }
}

void bearer_capability(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Bearer Capability IE");
    if (n == 0)
        return;
    const unsigned capability = c[0] & 0x1F;
    octet(out, "3", c[0]);
    field(out, "Coding Standard:                 ", coding_standard_text(c[0] >> 5));
    out.lit("                    Information Transfer Capability:\r\r                        ");
    out.put(capability_text(capability));
    out.lit("\r\r");
    if (n < 2)
        return;
    const unsigned mode = (c[1] >> 5) & 3;
    const unsigned rate = c[1] & 0x1F;
    octet(out, "4", c[1]);
    field(out, "Transfer Mode:                   ", transfer_mode_text(mode));
    field(out, "Information Transfer Rate:       ", transfer_rate_text(rate));
    std::size_t at = 2;
    if ((c[1] & 0x80) == 0) {
        if (n < 3)
            return;
        const unsigned structure = (c[2] >> 4) & 7;
        std::string_view st;
        if (structure == 7)
            st = "Unstructured";
        else if (structure == 4 || (structure == 0 && mode == 2 && capability == 8))
            st = "Service Data Unit integrity";
        else if (structure <= 1)
            st = "8 kHz integrity";
        else
            st = transfer_rate_text(rate);
        octet(out, "4a", c[2]);
        field(out, "Structure:                       ", st);
        field(out, "Configuration:                   ", (c[2] & 0x0C) == 0 ? "point-to-point" : "unknown");
        field(out, "Establishment:                   ", (c[2] & 0x03) == 0 ? "demand" : "unknown");
        at = 3;
        if ((c[2] & 0x80) == 0) {
            if (n < 4)
                return;
            octet(out, "4b", c[3]);
            field(out, "Symmetry:                        ",
                  (c[3] & 0x60) == 0 ? "bidirectional symmetric" : "unknown");
            field(out, "Information Transfer Rate:       ", transfer_rate_text(c[3] & 0x1F));
            at = 4;
        }
    }
    if (at >= n)
        return;
    const std::uint8_t o5 = c[at];
    const unsigned protocol = o5 & 0x1F;
    octet(out, "5", o5);
    field(out, "User Layer 1 Protocol:           ", layer1_protocol_text(protocol));
    if (protocol != 1 || (o5 & 0x80) != 0 || at + 1 >= n)
        return;
    const std::uint8_t o5a = c[at + 1];
    octet(out, "5a", o5a);
    field(out, "Synch./Asynch:                   ", (o5a & 0x40) ? "Asynchronous" : "Synchronous");
    field(out, "Negotiation:                     ",
          (o5a & 0x20) ? "negotiation possible" : "negotiation not possible");
    field(out, "User rate:                       ", user_rate_text(o5a & 0x1F));
}

void cause(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Cause IE");
    if (n == 0)
        return;
    coding_and_location(out, c[0]);
    if (n < 2)
        return;
    octet(out, "4", c[1]);
    out.lit("                    Cause Value:\r\r                        ");
    out.put(cause_text(c[1] & 0x7F));
    out.cr();
}

void dump_element(Report& out, std::string_view name, std::string_view heading, const std::uint8_t* c,
                  std::size_t n)
{
    title(out, name);
    if (n == 0)
        return;
    out.lit("                ");
    out.put(heading);
    out.cr();
    hex_dump(out, c, n, 20);
}

void call_state(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Call State IE");
    if (n == 0)
        return;
    octet(out, "3", c[0]);
    field(out, "Call State:                      ", call_state_text(c[0] & 0x3F));
}

std::string_view map_units_text(unsigned v)
{
    switch (v) {
    case 3: return "B-channel units";
    case 6: return "H0-channel units";
    case 8: return "H11-channel units";
    case 9: return "H12-channel units";
    default: return "Reserved units";
    }
}

void channel_identification(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Channel Identification IE");
    if (n == 0)
        return;
    const bool primary = (c[0] & 0x20) != 0;
    octet(out, "3", c[0]);
    field(out, "Interface Id Present:            ",
          (c[0] & 0x40) ? "Explicitly identified" : "Implicitly identified");
    field(out, "Interface Type:                  ", primary ? "Primary Rate" : "Basic Rate");
    field(out, "Preferred/Exclusive:             ", (c[0] & 0x08) ? "Exclusive" : "Preferred");
    field(out, "D-channel indicator:             ", (c[0] & 0x04) ? "D-channel" : "not D-channel");
    field(out, "Channel selection:               ", channel_selection_text(primary, c[0] & 3));
    if (!primary || n < 2)
        return;
    const bool slot_map = (c[1] & 0x10) != 0;
    out.cr();
    octet(out, "3.2", c[1]);
    field(out, "Coding Standard:                 ", coding_standard_text(c[1] >> 5));
    field(out, "Spec type:                       ", slot_map ? "Slot Map" : "Channel Number");
    out.lit("                    Channel/Map units:               ");
    out.put(map_units_text(c[1] & 0x0F));
    out.lit("\r\r");
    if (slot_map) {
        static constexpr std::string_view kNames[] = {"3.3.1", "3.3.2", "3.3.3"};
        for (std::size_t i = 0; i < 3 && 2 + i < n; ++i)
            octet(out, kNames[i], c[2 + i]);
    } else if (n >= 3) {
        octet(out, "3.3", c[2]);
        out.lit("                    Channel:                         ");
        out.udec(c[2] & 0x7F);
        out.cr();
    }
}

std::string_view progress_text(unsigned v)
{
    switch (v) {
    case 1: return "Call is not end-to-end ISDN";
    case 2: return "Destination address is non-ISDN";
    case 3: return "Origination address is non-ISDN";
    case 4: return "Call has returned to the ISDN";
    case 8: return "In-band information available";
    case 10: return "Delay in response at destiation interface";
    default: return "Unknown";
    }
}

void progress_indicator(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Progress Indicator E");
    if (n == 0)
        return;
    coding_and_location(out, c[0]);
    if (n < 2)
        return;
    octet(out, "4", c[1]);
    out.lit("                    Progress Description:\r\r                        ");
    out.put(progress_text(c[1] & 0x7F));
    out.lit("\r\r");
}

void notification_indicator(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Notification Indicator IE");
    if (n == 0)
        return;
    static constexpr std::string_view k[] = {"User suspended", "User resumed", "Bearer service change"};
    octet(out, "3", c[0]);
    field(out, "Notification Description:        ", c[0] < 3 ? k[c[0]] : std::string_view("Unknown"));
}

void information_request(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Information Request IE");
    if (n == 0)
        return;
    static constexpr std::string_view k[] = {"Undefined", "Authorization code", "Address digits",
                                             "Terminal identification"};
    octet(out, "3", c[0]);
    field(out, "Information Request Indicator:   ",
          (c[0] & 0x40) ? "Info Request Completed" : "Prompt for add'l info");
    field(out, "Type of Information:             ", k[c[0] & 3]);
}

void signal(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Signal IE");
    if (n == 0)
        return;
    static constexpr std::string_view k[] = {
        "Dial tone on",          "Ring back tone on", "Intercept tone on",
        "Network congestion tone on", "Busy tone on",  "Confirm tone on",
        "Answer tone on",        "Call waiting tone on", "Off-hook warning tone on",
    };
    const std::uint8_t v = c[0];
    octet(out, "3", v);
    constexpr std::string_view label = "Signal Value:                    ";
    if (v <= 8) {
        field(out, label, k[v]);
    } else if (v == 0x3F) {
        field(out, label, "Tones off");
    } else if (v == 0x4F) {
        field(out, label, "Alerting off");
    } else {
        out.lit("                    Signal Value:                    Alerting on - pattern ");
        out.udec(v & 0x0F);
        out.cr();
    }
}

void switchhook(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Switchhook IE");
    if (n == 0)
        return;
    octet(out, "3", c[0]);
    field(out, "Switchhook Value:                ", (c[0] & 0x01) ? "Off-hook" : "On-hook");
}

void endpoint_id(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Endpoint ID IE");
    if (n == 0)
        return;
    octet(out, "3", c[0]);
    field_hex(out, "User Service Identifier:         ", c[0] & 0x7F);
    if (n < 2)
        return;
    octet(out, "4", c[1]);
    field(out, "Interpreter:                     ", (c[1] & 0x40) ? "Match USID/!TID" : "Match USID/TID");
    field_hex(out, "Terminal Identifier:             ", c[1] & 0x3F);
}

void called_party_number(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Called Party numberIE");
    if (n == 0)
        return;
    const std::uint8_t o3 = c[0];
    octet(out, "3", o3);
    std::string_view type = (o3 & 0x10)   ? "Int'l number"
                            : (o3 & 0x20) ? "Nat'l number"
                            : (o3 & 0x40) ? "Subscriber number"
                                          : "Unknown";
    field(out, "Type of number:                  ", type);
    std::string_view plan = (o3 & 0x01) ? "ISDN (E.164/E.163)" : (o3 & 0x08) ? "Private" : "Unknown";
    out.lit("                    Numbering Plan:                  ");
    out.put(plan);
    out.lit("\r\r                Called Party number information:\r");
    hex_dump(out, c + 1, n - 1, 20);
}

void display_text(Report& out, const std::uint8_t* c, std::size_t n)
{
    title(out, "Display Text IE");
    if (n == 0)
        return;
    octet(out, "3", c[0]);
    field(out, "Display Type:                    ", (c[0] & 0x7F) == 0 ? "Normal" : "Unknown");
    // k counts the octets after octet 3; every step consumes tag, length
    // and text, and the walk ends with the contents whatever a length says.
    std::size_t k = 0;
    while (1 + k < n) {
        const std::uint8_t tag = c[1 + k];
        out.lit("\r                Octet ");
        out.udec(k + 4);
        out.lit(" (0x");
        out.hex(tag);
        out.lit(")\r");
        field(out, "Display Tag:                     ", display_tag_text(tag & 0x7F));
        if (2 + k >= n)
            return;
        const unsigned length = c[2 + k];
        out.lit("                Octet ");
        out.udec(k + 5);
        out.lit(" (0x");
        out.hex(length);
        out.lit(")\r                    Display Length:                  ");
        out.udec(length);
        out.lit("\r                Octet ");
        out.udec(k + 6);
        out.lit(" (display text begins)\r");
        const std::size_t text = 3 + k;
        const std::size_t have = text < n ? std::min<std::size_t>(length, n - text) : 0;
        if (tag == 0x80 || tag == 0x81) {
            if (have == 0)
                return;
            out.put(tag == 0x80 ? std::string_view("                    Number of blanks:                ")
                                : std::string_view("                    Number to skip:                  "));
            out.udec(c[text]);
            out.cr();
        } else {
            hex_dump(out, c + text, have, 20);
        }
        k += length + 2;
    }
}

} // namespace

void decode_att_management(Report& out, const std::uint8_t* c, std::size_t n);

void decode_variable_ie(Report& out, int codeset, unsigned id, const std::uint8_t* c, std::size_t n,
                        unsigned declared_length)
{
    if (codeset == 5) {
        if (id == 0x2A)
            return display_text(out, c, n);
    } else if (codeset == 6) {
        if (id == 0x7A)
            return decode_att_management(out, c, n);
    } else {
        switch (id) {
        case 0x04: return bearer_capability(out, c, n);
        case 0x08: return cause(out, c, n);
        case 0x10: return dump_element(out, "Call Identity IE", "Call Identity:", c, n);
        case 0x14: return call_state(out, c, n);
        case 0x18: return channel_identification(out, c, n);
        case 0x1E: return progress_indicator(out, c, n);
        case 0x27: return notification_indicator(out, c, n);
        case 0x2C: return dump_element(out, "Keypad IE", "Keypad information:", c, n);
        case 0x32: return information_request(out, c, n);
        case 0x34: return signal(out, c, n);
        case 0x36: return switchhook(out, c, n);
        case 0x3A: return dump_element(out, "Service Profile ID IE", "Service Profile Identifier:", c, n);
        case 0x3B: return endpoint_id(out, c, n);
        case 0x70: return called_party_number(out, c, n);
        default: break;
        }
    }
    out.lit("\r            Variable length IE, codeset = ");
    out.dec(codeset);
    out.lit(" code = 0x");
    out.hex(id);
    out.lit(", length = ");
    out.udec(declared_length);
    out.cr();
}

} // namespace linescope
