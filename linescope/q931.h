// Q.931 call-control messages and their information elements.
#pragma once

#include "report.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace linescope {

constexpr std::uint8_t kQ931Discriminator = 8;

std::string_view q931_message_name(unsigned type);

// Writes the layer-3 decode of one Q.931 message; the switch type decides
// whether message type 0 escapes to the 5ESS message set.
void decode_layer3_msg(Report& out, std::uint8_t switch_type, const std::uint8_t* p, std::size_t n);

// One variable-length IE: identifier, active codeset, and the contents
// that were captured (declared_length is the IE's own length octet).
void decode_variable_ie(Report& out, int codeset, unsigned id, const std::uint8_t* c, std::size_t n,
                        unsigned declared_length);

// Value texts shared by several element decoders.
std::string_view coding_standard_text(unsigned v);
std::string_view location_text(unsigned v);
std::string_view call_state_text(unsigned v);
std::string_view cause_text(unsigned v);
std::string_view channel_selection_text(bool primary_rate, unsigned v);
std::string_view transfer_rate_text(unsigned v);
std::string_view layer1_protocol_text(unsigned v);
std::string_view user_rate_text(unsigned v);
std::string_view display_tag_text(unsigned v);

} // namespace linescope
