// The byte dumps shared by the PPP and D-channel decoders.
#pragma once

#include "report.h"

namespace linescope {

// 8 bytes a line: "\r", indent, "xx " per byte (blank-padded), "|chars|";
// a closing "\r" after the last line.
void hex_dump(Report& out, const std::uint8_t* p, std::size_t n, int indent);

// indent, "Message Dump (in hex):" and hex_dump with the same indent;
// nothing at all for zero bytes.
void message_dump(Report& out, const std::uint8_t* p, std::size_t n, int indent);

// Option value forms: per group of 8 the indent and the bytes ("%02x " and
// " H" / "%02u "), a "\r" after each full group and one at the end.
void hex_lines(Report& out, const std::uint8_t* p, std::size_t n, int indent);
void dec_lines(Report& out, const std::uint8_t* p, std::size_t n, int indent);
// The same with up to 32 raw characters a line.
void text_lines(Report& out, const std::uint8_t* p, std::size_t n, int indent);

} // namespace linescope
