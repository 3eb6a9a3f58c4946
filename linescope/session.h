// The report of one capture: header, one block per record, trailer.
#pragma once

#include "blog.h"
#include "probes.h"
#include "report.h"
#include "source.h"

#include <cstdint>

namespace linescope {

// Local wall-clock stamp of a block head, "MM/DD/YY hh:mm:ss ", with the
// year counted from 1900. Remembers the last stamp: consecutive records
// mostly fall within the same minute.
class LocalClock {
public:
    void stamp(std::int64_t t, Report& out);

private:
    void format(std::int64_t t);

    bool valid_ = false;
    std::int64_t cached_ = 0;
    int cached_sec_ = 0;
    char text_[64] = {};
    std::size_t len_ = 0;
};

struct Session {
    Probes probes;
    std::int64_t base_time = 0;     // capture file's modification time
    std::uint32_t reference = 0;    // timestamp of the last time-reference record
    std::uint8_t switch_type = switch_type::kNationalIsdn;
    std::uint64_t records = 0;
    LocalClock clock;
};

void print_header(Report& out);
void print_trailer(Report& out, std::uint64_t records);
// Dispatches one record to its decoder; records whose probe is off
// write nothing.
void print_rec(Session& session, const RecordHeader& header, const std::uint8_t* payload, Report& out);
// Header, every whole record of the un-stuffed stream, trailer.
void write_report(ByteSource& records, Session& session, Report& out, std::size_t buffer_size = 1u << 20);

} // namespace linescope
