// PPP control-protocol packets from the B channels and the DTE side.
#pragma once

#include "report.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace linescope {

namespace ppp_proto {
constexpr unsigned kLcp = 0xC021;
constexpr unsigned kPap = 0xC023;
constexpr unsigned kChap = 0xC223;
constexpr unsigned kIpcp = 0x8021;
constexpr unsigned kIpxcp = 0x802B;
constexpr unsigned kNbfcp = 0x803F;
constexpr unsigned kCcp = 0x80FD;
constexpr unsigned kBacp = 0xC02B;
constexpr unsigned kBap = 0xC02D;
} // namespace ppp_proto

// "UNKNOWN PROTOCOL" for numbers outside the table.
std::string_view ppp_protocol_name(unsigned protocol);

// Decodes one packet (optionally starting with FF 03) into the report.
void decode_ppp(Report& out, const std::uint8_t* p, std::size_t n);

// Option area decoders; `area` is already limited to the packet.
void decode_lcp_options(Report& out, const std::uint8_t* area, std::size_t n);
void decode_ipcp_options(Report& out, const std::uint8_t* area, std::size_t n);
void decode_ccp_options(Report& out, const std::uint8_t* area, std::size_t n);
void decode_unknown_options(Report& out, const std::uint8_t* area, std::size_t n);

} // namespace linescope
