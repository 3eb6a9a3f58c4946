// Un-stuffing and record framing.
#include "capture_builder.h"
#include "source.h"

#include <gtest/gtest.h>

using namespace linescope;
using namespace linescope::testing;

namespace {

Bytes unstuff_all(const Bytes& in, std::size_t block)
{
    Unstuffer u;
    Bytes out;
    for (std::size_t at = 0; at < in.size(); at += block) {
        std::size_t n = std::min(block, in.size() - at);
        Bytes chunk(in.begin() + static_cast<long>(at), in.begin() + static_cast<long>(at + n));
        std::size_t made = u.feed(chunk.data(), n, chunk.data());
        out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<long>(made));
    }
    return out;
}

std::string trailer(unsigned count)
{
    return "\r" + std::string(77, '=') + "\r" + std::string(77, '=') + "\r" + std::to_string(count) +
           " Records processed.\r";
}

} // namespace

TEST(Unstuffing, DropsNoiseBeforeFirstFlagAndAllFlags)
{
    EXPECT_EQ(unstuff_all({'n', 'o', 0x7D, 0x5E, 0x7E, 1, 2, 0x7E, 0x7E, 3, 0x7E}, 64), (Bytes{1, 2, 3}));
    EXPECT_EQ(unstuff_all({1, 2, 3}, 64), Bytes{});
}

TEST(Unstuffing, EscapedBytesAndEscapeAcrossBlockBoundary)
{
    const Bytes in = {0x7E, 0x7D, 0x5E, 0x7D, 0x5D, 0x41, 0x7D, 0x7E, 0x7D, 0x20};
    const Bytes want = {0x7E, 0x7D, 0x41, 0x5E, 0x00};
    for (std::size_t block : {1u, 2u, 3u, 64u})
        EXPECT_EQ(unstuff_all(in, block), want) << "block " << block;
}

TEST(Unstuffing, TrailingEscapeIsDropped)
{
    Unstuffer u;
    Bytes in = {0x7E, 0x11, 0x7D};
    EXPECT_EQ(u.feed(in.data(), in.size(), in.data()), 1u);
    EXPECT_EQ(in[0], 0x11);
    EXPECT_TRUE(u.escape_pending());
}

TEST(RecordFraming, ZeroRecordsGiveHeaderAndTrailerOnly)
{
    const std::string want = "Varnel ISDN Event LINESCOPE Utility                 Version 1.0           02/19/99\r" +
                             std::string(77, '=') + "\r\r\r" + trailer(0);
    EXPECT_EQ(decode_stuffed({}), want);
    EXPECT_EQ(decode_stuffed({'x', 'y', 0x7E}), want);
}

TEST(RecordFraming, RecordCutShortIsNotCounted)
{
    Bytes plain = concat({record('5', {}), record('0', {1, 2, 3, 4, 5})});
    plain.pop_back();
    std::string report = decode_plain(plain);
    EXPECT_NE(report.find("Drivers unloaded.\r"), std::string::npos);
    EXPECT_EQ(report.find("D-Channel"), std::string::npos);
    EXPECT_TRUE(report.ends_with(trailer(1)));
    // A header alone that is cut short.
    EXPECT_TRUE(decode_plain({'5', 0, 0}).ends_with(trailer(0)));
}

TEST(RecordFraming, UnknownTypesAreCountedSilently)
{
    std::string report = decode_plain(concat({record('Z', {1, 2}), record('7', {}), record(0xFF, {9})}));
    EXPECT_EQ(report, decode_plain({}).substr(0, report.size() - trailer(3).size()) + trailer(3));
}

TEST(RecordFraming, LongPayloadIsConsumedWholeAndStreamStaysInStep)
{
    // 600 bytes: past the adapter's 504-byte record buffer.
    Bytes info(596, 0x41);
    Bytes frame = i_frame(5, 1, false, 0, 0, false, info);
    std::string report = decode_plain(concat({record('0', frame), record('5', {})}));
    EXPECT_NE(report.find("INFO: (596 octets)"), std::string::npos);
    EXPECT_NE(report.find("Drivers unloaded.\r"), std::string::npos);
    EXPECT_TRUE(report.ends_with(trailer(2)));
}

TEST(RecordFraming, LengthPointingPastTheEndEndsTheReport)
{
    Bytes plain = concat({record('5', {}), {'0', 0, 0xFF, 0xFF, 0, 0, 0, 0, 1, 2, 3}});
    EXPECT_TRUE(decode_plain(plain).ends_with(trailer(1)));
}

TEST(RecordFraming, StreamsLargeCapturesThroughFixedBuffer)
{
    // Far more data than the reader's buffer; every record must come out.
    Bytes plain = synthetic_records(20000);
    Bytes stuffed = stuff(plain);
    MemorySource memory(stuffed.data(), stuffed.size());
    UnstuffSource unstuffed(memory);
    RecordReader reader(unstuffed, 0);
    RecordHeader h;
    const std::uint8_t* p = nullptr;
    std::size_t count = 0, bytes = 0;
    while (reader.next(h, p)) {
        ++count;
        bytes += 8 + h.length;
    }
    EXPECT_EQ(count, 20000u);
    EXPECT_EQ(bytes, plain.size());
}
