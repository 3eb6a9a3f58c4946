#include "dump.h"

namespace linescope {

namespace {

constexpr char kHexLower[] = "0123456789abcdef";

} // namespace

void hex_dump(Report& out, const std::uint8_t* p, std::size_t n, int indent)
{
    const std::string_view ind = Report::indent_text(indent);
    // One line: "\r" + indent (<= 24) + 8 * 3 + "|" + 8 + "|".
    char line[1 + 24 + 24 + 10];
    for (std::size_t at = 0; at < n; at += 8) {
        std::size_t group = n - at < 8 ? n - at : 8;
        char* w = line;
        *w++ = '\r';
        std::memcpy(w, ind.data(), ind.size());
        w += ind.size();
        for (std::size_t i = 0; i < 8; ++i) {
            if (i < group) {
                std::uint8_t b = p[at + i];
                w[0] = kHexLower[b >> 4];
                w[1] = kHexLower[b & 0xF];
            } else {
                w[0] = ' ';
                w[1] = ' ';
            }
            w[2] = ' ';
            w += 3;
        }
        *w++ = '|';
        for (std::size_t i = 0; i < group; ++i) {
            std::uint8_t b = p[at + i];
            *w++ = b >= 32 ? static_cast<char>(b) : ' ';
        }
        *w++ = '|';
        out.put(line, static_cast<std::size_t>(w - line));
    }
    out.cr();
}

void message_dump(Report& out, const std::uint8_t* p, std::size_t n, int indent)
{
    if (n == 0)
        return;
    out.indent(indent);
    out.lit("Message Dump (in hex):");
    hex_dump(out, p, n, indent);
}

void hex_lines(Report& out, const std::uint8_t* p, std::size_t n, int indent)
{
    for (std::size_t at = 0; at < n; at += 8) {
        std::size_t group = n - at < 8 ? n - at : 8;
        out.indent(indent);
        for (std::size_t i = 0; i < group; ++i) {
            out.hex2(p[at + i]);
            out.ch(' ');
        }
        out.lit(" H");
        if (group == 8)
            out.cr();
    }
    out.cr();
}

void dec_lines(Report& out, const std::uint8_t* p, std::size_t n, int indent)
{
    for (std::size_t at = 0; at < n; at += 8) {
        std::size_t group = n - at < 8 ? n - at : 8;
        out.indent(indent);
        for (std::size_t i = 0; i < group; ++i) {
            out.dec_pad(p[at + i], 2, '0');
            out.ch(' ');
        }
        if (group == 8)
            out.cr();
    }
    out.cr();
}

void text_lines(Report& out, const std::uint8_t* p, std::size_t n, int indent)
{
    for (std::size_t at = 0; at < n; at += 32) {
        std::size_t group = n - at < 32 ? n - at : 32;
        out.indent(indent);
        out.put(reinterpret_cast<const char*>(p + at), group);
        if (group == 32)
            out.cr();
    }
    out.cr();
}

} // namespace linescope
