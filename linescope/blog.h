// Capture records: the un-stuffed event stream is a sequence of
// 8-byte little-endian headers, each followed by its payload.
#pragma once

#include <cstddef>
#include <cstdint>

namespace linescope {

constexpr std::size_t kRecordHeaderSize = 8;
// The adapter's own record buffer; longer payloads never come from it.
constexpr std::size_t kPayloadBufferSize = 504;
constexpr std::size_t kMaxPayload = 0xFFFF;

struct RecordHeader {
    std::uint8_t type = 0;
    std::uint8_t source = 0; // not interpreted
    std::uint16_t length = 0;
    std::uint32_t timestamp = 0; // seconds
};

inline RecordHeader parse_record_header(const std::uint8_t* p)
{
    RecordHeader h;
    h.type = p[0];
    h.source = p[1];
    h.length = static_cast<std::uint16_t>(p[2] | (p[3] << 8));
    h.timestamp = static_cast<std::uint32_t>(p[4]) | (static_cast<std::uint32_t>(p[5]) << 8) |
                  (static_cast<std::uint32_t>(p[6]) << 16) | (static_cast<std::uint32_t>(p[7]) << 24);
    return h;
}

// Record types.
namespace rec {
constexpr std::uint8_t kDReceive = '0';
constexpr std::uint8_t kDTransmit = '1';
constexpr std::uint8_t kSyncLost = '2';
constexpr std::uint8_t kSyncAcquired = '3';
constexpr std::uint8_t kDriversLoaded = '4';
constexpr std::uint8_t kDriversUnloaded = '5';
constexpr std::uint8_t kTimeReference = '6';
constexpr std::uint8_t kPort1Offhook = 'P';
constexpr std::uint8_t kPort1Onhook = 'Q';
constexpr std::uint8_t kPort2Offhook = 'R';
constexpr std::uint8_t kPort2Onhook = 'S';
constexpr std::uint8_t kBReceive = '`';
constexpr std::uint8_t kBTransmit = 'a';
constexpr std::uint8_t kDteReceive = 'p';
constexpr std::uint8_t kDteTransmit = 'q';
} // namespace rec

// Switch types named by a "drivers loaded" record.
namespace switch_type {
constexpr std::uint8_t kNationalIsdn = 0;
constexpr std::uint8_t kAtt5ess = 1;
constexpr std::uint8_t kDms100 = 2;
} // namespace switch_type

} // namespace linescope
