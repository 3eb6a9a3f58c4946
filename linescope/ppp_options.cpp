// Configuration options of LCP, IPCP, CCP and the protocols without an
// option decoder.
#include "dump.h"
#include "ppp.h"

#include <algorithm>

namespace linescope {

namespace {

// Calls f(type, option length, value, captured value length) for each
// option while at least min_size bytes remain. An option length below 2
// cannot be stepped over and ends the walk; a value that runs past the
// area is cut to it (and the walk ends after it).
template <typename F>
void for_each_option(const std::uint8_t* area, std::size_t n, std::size_t min_size, F f)
{
    std::size_t at = 0;
    while (n - at >= min_size) {
        const unsigned type = area[at];
        const unsigned len = area[at + 1];
        if (len < 2)
            return;
        const std::size_t vlen = std::min<std::size_t>(len - 2, n - at - 2);
        f(type, len, area + at + 2, vlen);
        if (len > n - at)
            return;
        at += len;
    }
}

void incorrect(Report& out, int indent)
{
    out.indent(indent);
    out.lit("Incorrect next Argument\r");
}

void unknown_option(Report& out, unsigned type)
{
    out.indent(16);
    out.lit("Unknown option = ");
    out.hex_upper(type);
    out.lit(" H\r");
}

constexpr std::string_view kLcpOptions[] = {
    "Invalid Code",
    "Maximum Receive Unit (MRU)",
    "ACCM",
    "Authentication Protocol",
    "Quality Protocol",
    "Magic Number",
    "Unknown-Reserved",
    "Protocol Field Compression",
    "Address Field Compression",
    "FCS Alternatives",
    "Self Describing padding",
    "Unknown-Reserved",
    "Unknown-Reserved",
    "Callback",
    "Unknown-Reserved",
    "Compound Frames",
    "Unknown-Reserved",
    "Multilink- MRRU",
    "Multilink- Short Seq Num",
    "Endpoint ID",
};

constexpr std::string_view kEndpointClasses[] = {
    "Null", "Locally Assigned Address", "IP address", "MAC address", "PPP-Magic Number", "Directory Number",
};

void lcp_option(Report& out, unsigned type, unsigned len, const std::uint8_t* v, std::size_t vlen)
{
    if (type >= 20) {
        unknown_option(out, type);
        hex_lines(out, v, vlen, 20);
        return;
    }
    out.indent(16);
    out.put(kLcpOptions[type]);
    out.cr();
    switch (type) {
    case 1:
    case 17:
        if (vlen < 2)
            return incorrect(out, 20);
        out.indent(20);
        out.udec(v[0] << 8 | v[1]);
        out.cr();
        return;
    case 2:
        if (vlen < 4)
            return incorrect(out, 20);
        out.indent(20);
        for (int i = 0; i < 4; ++i) {
            out.hex_upper(v[i]);
            out.ch(' ');
        }
        out.lit("H\r\r");
        return;
    case 3:
        if (vlen < 2)
            return incorrect(out, 20);
        if (v[0] == 0xC0 && v[1] == 0x23) {
            out.indent(20);
            out.lit("Password Authentication protocol\r");
        } else if (v[0] == 0xC2 && v[1] == 0x23) {
            if (vlen < 3)
                return incorrect(out, 20);
            if (v[2] == 5) {
                out.indent(20);
                out.lit("CHAP with MD5\r");
            } else if (v[2] == 0x80) {
                out.indent(20);
                out.lit("CHAP with MD4\r");
            }
        } else {
            out.indent(20);
            out.lit("Unknown Authentication = ");
            out.hex_upper(v[0]);
            out.ch(' ');
            out.hex_upper(v[1]);
            out.lit(" H ");
        }
        return;
    case 7:
    case 8:
    case 18:
        if (len != 2)
            out.lit("  Incorrect next Argument\r");
        return;
    case 13:
        if (vlen == 0)
            return incorrect(out, 20);
        out.indent(20);
        for (std::size_t i = 0; i < vlen; ++i) {
            out.hex_upper(v[i]);
            out.ch(' ');
        }
        out.lit(" H\r");
        return;
    case 19:
        if (vlen == 0)
            return incorrect(out, 20);
        out.indent(20);
        out.lit("Class : ");
        out.put(v[0] < 6 ? kEndpointClasses[v[0]] : std::string_view("Unknown"));
        out.cr();
        hex_lines(out, v + 1, vlen - 1, 20);
        return;
    default:
        hex_lines(out, v, vlen, 20);
        return;
    }
}

std::string_view ipcp_address_option(unsigned type)
{
    switch (type) {
    case 3: return "IP-Address";
    case 0x81: return "Primary DNS Address";
    case 0x82: return "Primary NBNS Address";
    case 0x83: return "Secondary DNS Address";
    case 0x84: return "Secondary NBNS Address";
    default: return {};
    }
}

void ipcp_option(Report& out, unsigned type, unsigned, const std::uint8_t* v, std::size_t vlen)
{
    if (type == 2) {
        out.indent(16);
        out.lit("IP-Compression Protocol\r");
        if (vlen < 2)
            return incorrect(out, 20);
        out.indent(20);
        unsigned protocol = v[0] << 8 | v[1];
        if (protocol == 0x002D) {
            out.lit("Van Jacobson Compressed TCP/IP\r");
        } else {
            out.udec(protocol);
            out.cr();
        }
        return;
    }
    std::string_view name = ipcp_address_option(type);
    if (!name.empty()) {
        out.indent(16);
        out.put(name);
        out.cr();
        if (vlen < 4)
            return incorrect(out, 20);
        out.indent(20);
        for (std::size_t i = 0; i < vlen; ++i) {
            out.dec_pad(v[i], 3, '0');
            out.ch(' ');
        }
        out.cr();
        return;
    }
    unknown_option(out, type);
    dec_lines(out, v, vlen, 20);
}

void ccp_option(Report& out, unsigned type, unsigned len, const std::uint8_t* v, std::size_t vlen)
{
    if (type == 0x11) {
        if (len == 5 && vlen >= 3) {
            out.indent(16);
            out.lit("Stac Compression\r");
            out.indent(20);
            out.lit("History Count = ");
            out.udec(v[0] << 8 | v[1]);
            out.cr();
            out.indent(20);
            out.lit("Mode = ");
            out.udec(v[2]);
            out.cr();
        } else if (len == 6) {
            out.indent(16);
            out.lit("Ascend Compression\r");
            hex_lines(out, v, vlen, 20);
        } else {
            incorrect(out, 16);
        }
        return;
    }
    if (type == 0x12) {
        out.indent(16);
        out.lit("Microsoft Compression\r");
        if (vlen >= 4)
            hex_lines(out, v, vlen, 20);
        else
            incorrect(out, 20);
        return;
    }
    unknown_option(out, type);
    hex_lines(out, v, vlen, 20);
}

} // namespace

void decode_lcp_options(Report& out, const std::uint8_t* area, std::size_t n)
{
    for_each_option(area, n, 2, [&](unsigned type, unsigned len, const std::uint8_t* v, std::size_t vlen) {
        lcp_option(out, type, len, v, vlen);
    });
}

void decode_ipcp_options(Report& out, const std::uint8_t* area, std::size_t n)
{
    for_each_option(area, n, 4, [&](unsigned type, unsigned len, const std::uint8_t* v, std::size_t vlen) {
        ipcp_option(out, type, len, v, vlen);
    });
}

void decode_ccp_options(Report& out, const std::uint8_t* area, std::size_t n)
{
    for_each_option(area, n, 5, [&](unsigned type, unsigned len, const std::uint8_t* v, std::size_t vlen) {
        ccp_option(out, type, len, v, vlen);
    });
}

void decode_unknown_options(Report& out, const std::uint8_t* area, std::size_t n)
{
    for_each_option(area, n, 2, [&](unsigned type, unsigned, const std::uint8_t* v, std::size_t vlen) {
        unknown_option(out, type);
        hex_lines(out, v, vlen, 20);
    });
}

} // namespace linescope
