// PPP packet header and body by protocol and code.
#include "dump.h"
#include "ppp.h"

#include <algorithm>

namespace linescope {

namespace {

enum class Kind { Lcp, Pap, Chap, Ipcp, Ipxcp, Nbfcp, Ccp, Bacp, Bap, Unknown };

Kind kind_of(unsigned protocol)
{
    switch (protocol) {
    case ppp_proto::kLcp: return Kind::Lcp;
    case ppp_proto::kPap: return Kind::Pap;
    case ppp_proto::kChap: return Kind::Chap;
    case ppp_proto::kIpcp: return Kind::Ipcp;
    case ppp_proto::kIpxcp: return Kind::Ipxcp;
    case ppp_proto::kNbfcp: return Kind::Nbfcp;
    case ppp_proto::kCcp: return Kind::Ccp;
    case ppp_proto::kBacp: return Kind::Bacp;
    case ppp_proto::kBap: return Kind::Bap;
    default: return Kind::Unknown;
    }
}

constexpr std::string_view kControlCodes[] = {
    "Unknown Code",       "Configure Request", "Configure Ack",    "Configure Nak",
    "Configure Reject",   "Terminate Request", "Terminate Ack",    "Code Reject",
    "Protocol Reject",    "Echo Request",      "Echo Reply",       "Discard Request",
    "Identification",     "Time Remaining",    "Reset Request",    "Reset Ack",
};
constexpr std::string_view kPapCodes[] = {"Invalid Code", "Request", "Ack", "Nak"};
constexpr std::string_view kChapCodes[] = {"Invalid Code", "Challenge", "Response", "Success", "Failure"};
constexpr std::string_view kBapCodes[] = {
    "Invalid Code",           "Call-Request",          "Call-Response",
    "Callback-Request",       "Callback-Response",     "Link-Drop-Query-Request",
    "Link-Drop-Query-Response", "Call-Status-Indication", "Call-Status-Response",
};
constexpr std::string_view kBapResponses[] = {"Request-Ack", "Request-Nak", "Request-Rej", "Request-Full-Nak"};

template <std::size_t N>
std::string_view pick(const std::string_view (&table)[N], unsigned value)
{
    return value < N ? table[value] : table[0];
}

std::string_view code_name(Kind kind, unsigned code)
{
    switch (kind) {
    case Kind::Pap: return pick(kPapCodes, code);
    case Kind::Chap: return pick(kChapCodes, code);
    case Kind::Bap: return pick(kBapCodes, code);
    default: return pick(kControlCodes, code);
    }
}

} // namespace

std::string_view ppp_protocol_name(unsigned protocol)
{
    switch (kind_of(protocol)) {
    case Kind::Lcp: return "LCP";
    case Kind::Pap: return "PAP";
    case Kind::Chap: return "CHAP";
    case Kind::Ipcp: return "IPCP";
    case Kind::Ipxcp: return "IPXCP";
    case Kind::Nbfcp: return "NBFCP";
    case Kind::Ccp: return "Compression (CCP)";
    case Kind::Bacp: return "BACP";
    case Kind::Bap: return "BAP";
    case Kind::Unknown: break;
    }
    return "UNKNOWN PROTOCOL";
}

namespace {

void decode_pap(Report& out, unsigned code, const std::uint8_t* data, std::size_t dlen)
{
    // The first data byte counts the name or message that follows; both
    // are cut to what was captured.
    std::size_t count = dlen >= 1 ? data[0] : 0;
    std::size_t have = std::min(count, dlen >= 1 ? dlen - 1 : 0);
    if (code == 1) {
        out.indent(16);
        out.lit("User = ");
        out.put(reinterpret_cast<const char*>(data + 1), have);
        out.cr();
        out.indent(16);
        out.lit("Password = ********\r"); // never the password itself
    } else if (code <= 3) {
        if (count != 0) {
            out.indent(16);
            out.lit("Message : \r");
            text_lines(out, data + 1, have, 20);
        }
    } else {
        message_dump(out, data, dlen, 16);
    }
}

void decode_control(Report& out, Kind kind, unsigned code, unsigned length, const std::uint8_t* data,
                    std::size_t dlen)
{
    if (code == 8) {
        unsigned rejected = dlen >= 2 ? (data[0] << 8 | data[1]) : 0;
        out.indent(16);
        out.lit("Protocol Rejected = ");
        out.put(ppp_protocol_name(rejected));
        out.cr();
        if (dlen > 2)
            message_dump(out, data + 2, dlen - 2, 20);
        return;
    }
    if (code == 14 || code == 15) {
        hex_lines(out, data, dlen, 16);
        return;
    }
    if (code > 4) {
        message_dump(out, data, dlen, 16);
        return;
    }
    // Options: as far as the packet's own length says, and no further
    // than the capture holds.
    std::size_t area = length >= 4 ? std::min<std::size_t>(length - 4, dlen) : 0;
    switch (kind) {
    case Kind::Lcp: decode_lcp_options(out, data, area); break;
    case Kind::Ipcp: decode_ipcp_options(out, data, area); break;
    case Kind::Ccp: decode_ccp_options(out, data, area); break;
    default: decode_unknown_options(out, data, area); break;
    }
}

} // namespace

void decode_ppp(Report& out, const std::uint8_t* p, std::size_t n)
{
    if (n >= 2 && p[0] == 0xFF && p[1] == 0x03) {
        p += 2;
        n -= 2;
    }
    if (n <= 3) {
        out.lit("\rInvalid PPP pkt \r");
        return;
    }
    const unsigned protocol = p[0] << 8 | p[1];
    const Kind kind = kind_of(protocol);
    if (kind == Kind::Unknown) {
        out.indent(12);
        out.lit("Unknown Protocol = ");
        out.hex_upper(protocol);
        out.cr();
        out.indent(12);
        out.lit("Pkt Data =\r");
        hex_lines(out, p, n, 16);
        out.cr();
        return;
    }
    const unsigned code = p[2];
    const unsigned id = p[3];
    // A packet cut inside its length field has no data and no length.
    const bool has_length = n >= 6;
    const unsigned length = has_length ? (p[4] << 8 | p[5]) : 0;
    const std::uint8_t* data = p + (has_length ? 6 : n);
    const std::size_t dlen = has_length ? n - 6 : 0;

    out.indent(12);
    out.put(ppp_protocol_name(protocol));
    out.ch(' ');
    out.put(code_name(kind, code));
    if (kind == Kind::Bap && code != 0 && code % 2 == 0) {
        out.lit("  ");
        out.put(dlen >= 1 && data[0] < 4 ? kBapResponses[data[0]] : std::string_view("Unknown"));
        out.ch(' ');
    } else if (kind == Kind::Bap || kind == Kind::Chap) {
        out.lit("  ");
    } else {
        out.ch(' ');
    }
    out.udec(id);
    out.ch(' ');
    out.udec(n - 2);
    out.cr();

    switch (kind) {
    case Kind::Bacp:
    case Kind::Bap:
    case Kind::Chap:
        message_dump(out, data, dlen, 16);
        break;
    case Kind::Pap:
        decode_pap(out, code, data, dlen);
        break;
    default:
        decode_control(out, kind, code, length, data, dlen);
        break;
    }
}

} // namespace linescope
