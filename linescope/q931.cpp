// Q.931 message header, codeset shifts and single-octet elements.
#include "blog.h"
#include "q931.h"

namespace linescope {

std::string_view q931_message_name(unsigned type)
{
    switch (type) {
    case 0x01: return "ALERTING";
    case 0x02: return "CALL PROCEEDING";
    case 0x03: return "PROGRESS";
    case 0x05: return "SETUP";
    case 0x07: return "CONNECT";
    case 0x0D: return "SETUP_ACK";
    case 0x0F: return "CONNECT ACKNOWLEDGE";
    case 0x20: return "USER INFORMATION";
    case 0x21: return "SUSPEND REJECT";
    case 0x22: return "RESUME REJECT";
    case 0x25: return "SUSPEND";
    case 0x26: return "RESUME";
    case 0x2D: return "SUSPEND ACKNOWLEDGE";
    case 0x2E: return "RESUME ACKNOWLEDGE";
    case 0x45: return "DISCONNECT";
    case 0x46: return "RESTART";
    case 0x4D: return "RELEASE";
    case 0x4E: return "RESTART ACKNOWLEDGE";
    case 0x5A: return "RELEASE COMPLETE";
    case 0x60: return "SEGMENT";
    case 0x62: return "FACILITY";
    case 0x6E: return "NOTIFY";
    case 0x75: return "STATUS ENQUIRY";
    case 0x79: return "CONGESTON CONTROL";
    case 0x7B: return "INFORMATION";
    case 0x7D: return "STATUS";
    case 0x90: return "ATT CONF";
    case 0x91: return "ATT CONFACK";
    case 0x92: return "ATT CONFREJ";
    case 0x93: return "ATT TRANS";
    case 0x94: return "ATT TRANSACK";
    case 0x95: return "ATT TRANSREJ";
    case 0x96: return "ATT ASSOC";
    case 0x97: return "ATT ASSOCACK";
    case 0x98: return "ATT DROP";
    case 0x99: return "ATT DROPACK";
    case 0x9A: return "ATT DROPREJ";
    case 0x9B: return "ATT HOLD";
    case 0x9C: return "ATT HOLDACK";
    case 0x9D: return "ATT HOLDREJ";
    case 0x9E: return "ATT_RECONN";
    case 0x9F: return "ATT_RECONNACK";
    case 0xB0: return "ATT RECONNREJ";
    case 0xB1: return "ATT REDIR";
    case 0xF7: return "ATT_MANINFO";
    default: return "Unknown";
    }
}

namespace {

struct Codeset {
    int active = 0;
    bool locked = false;
};

void single_octet_ie(Report& out, std::uint8_t ie, Codeset& cs)
{
    out.cr();
    if ((ie & 0xF0) == 0x90) {
        const bool non_locking = (ie & 0x08) != 0;
        cs.active = ie & 0x07;
        cs.locked = !non_locking;
        out.indent(12);
        if (!non_locking)
            out.lit("Locking ");
        out.lit("Shift IE to Codeset ");
        out.udec(ie & 0x07);
        out.cr();
        return;
    }
    if (ie == 0xA0)
        out.lit("            More Data IE            (0x");
    else if (ie == 0xA1)
        out.lit("            Send Complete IE        (0x");
    else if ((ie & 0xF0) == 0xB0)
        out.lit("            Congestion Level IE     (0x");
    else if ((ie & 0xF0) == 0xD0)
        out.lit("            Repeat Indicator IE     (0x");
    else
        out.lit("            Unknown Single Octet IE (0x");
    out.hex(ie);
    out.lit(")\r");
}

void short_header(Report& out, std::size_t n)
{
    out.lit("Short message header (");
    out.udec(n);
    out.lit(" octets), could not decode as Q.931 msg\r");
}

} // namespace

void decode_layer3_msg(Report& out, std::uint8_t switch_type, const std::uint8_t* p, std::size_t n)
{
    out.lit("\r        Layer 3 Decode:\r\r");
    if (n < 1)
        return short_header(out, n);
    if (p[0] != kQ931Discriminator) {
        out.lit("Invalid Protocol Descriminator (");
        out.udec(p[0]);
        out.lit("), could not decode as Q.931 msg\r");
        return;
    }
    if (n < 2)
        return short_header(out, n);
    const unsigned crlen = p[1];
    if (crlen > 3) {
        out.lit("Invalid call reference length (");
        out.udec(crlen);
        out.lit(").\r");
        return;
    }
    std::size_t at = 2 + crlen;
    if (n < at + 1)
        return short_header(out, n);
    unsigned flag = 0;
    long value = 0;
    if (crlen > 0) {
        flag = p[2] >> 7;
        value = p[2] & 0x7F;
        for (unsigned i = 1; i < crlen; ++i)
            value = value << 8 | p[2 + i];
    }
    unsigned type = p[at] & 0x7F;
    if (switch_type == switch_type::kAtt5ess && p[at] == 0) {
        if (n < at + 2)
            return short_header(out, n);
        ++at;
        type = p[at];
    }
    ++at;

    out.lit("            Q.931 Message\r\r");
    out.lit("            Protocol Discriminator --> ");
    out.udec(p[0]);
    out.lit("\r            Call Reference Length  --> ");
    out.udec(crlen);
    out.lit("\r            Call Reference Flag    --> ");
    out.udec(flag);
    out.lit("\r            Call Reference Value   --> ");
    out.dec(value);
    out.lit("\r            Message Type           --> ");
    out.put(q931_message_name(type));
    out.cr();

    Codeset cs;
    while (at < n) {
        const std::uint8_t ie = p[at];
        if (ie & 0x80) {
            single_octet_ie(out, ie, cs);
            ++at;
            continue;
        }
        // An element cut by the end of the frame is decoded from what
        // was captured; one without its length octet is empty.
        const unsigned declared = at + 1 < n ? p[at + 1] : 0;
        const std::size_t start = at + 2 < n ? at + 2 : n;
        const std::size_t have = declared < n - start ? declared : n - start;
        decode_variable_ie(out, cs.active, ie & 0x7F, p + start, have, declared);
        at = start + have;
        if (!cs.locked)
            cs.active = 0;
    }
}

} // namespace linescope
