// D-channel frames: LAPD address and control, TEI management, and the
// hand-over of information fields to Q.931 (SAPI 0) or X.25 (SAPI 16).
#pragma once

#include "probes.h"
#include "report.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace linescope {

enum class FrameKind { I, RR, RNR, REJ, UI, DM, DISC, SABME, UA, FRMR, Unknown };

struct LapdControl {
    FrameKind kind = FrameKind::Unknown;
    bool s_format = false; // I and S frames have a second control octet
    bool i_format = false;
};

LapdControl classify_control(std::uint8_t control);
std::string_view frame_kind_name(FrameKind kind);
std::string_view tei_message_name(unsigned type);

constexpr unsigned kSapiCallControl = 0;
constexpr unsigned kSapiPacket = 16;
constexpr std::uint8_t kTeiManagementEntity = 0x0F;

// direction: 0 received from the network, 1 transmitted to it.
void decode_dchannel(Report& out, const Probes& probes, std::uint8_t switch_type, const std::uint8_t* frame,
                     std::size_t n, int direction);

void decode_tei_management(Report& out, const std::uint8_t* info, std::size_t n);
void decode_x25(Report& out, const std::uint8_t* p, std::size_t n);
std::string_view x25_packet_type_name(std::uint8_t type);

} // namespace linescope
