// The report frame: header, block heads, the clock, record types and
// the probe switches.
#include "capture_builder.h"

#include <gtest/gtest.h>

using namespace linescope;
using namespace linescope::testing;

namespace {

const std::string kHead = "\r" + std::string(77, '-') + "\r";

// The report without its header and trailer.
std::string body(const Bytes& plain, const Probes& probes = {}, std::int64_t base = 0)
{
    std::string r = decode_plain(plain, probes, base);
    const std::size_t header = 82 + 1 + 77 + 3;
    const std::size_t tail = r.size() - r.rfind("\r" + std::string(77, '=') + "\r" + std::string(77, '='));
    return r.substr(header, r.size() - header - tail);
}

Probes excluding(const char* arg)
{
    Probes p;
    EXPECT_TRUE(Probes::is_exclusion(arg));
    p.exclude(arg);
    return p;
}

} // namespace

TEST(ReportFrame, HeaderLineIsExact)
{
    std::string r = decode_plain({});
    EXPECT_EQ(r.substr(0, 83),
              "Varnel ISDN Event LINESCOPE Utility                 Version 1.0           02/19/99\r");
}

TEST(ReportFrame, EventBlocksAndDriverRecords)
{
    Bytes plain = concat({record('4', {2}, 0), record('2', {}, 1), record('3', {}, 2), record('P', {}, 3),
                          record('Q', {}, 4), record('R', {}, 5), record('S', {}, 6), record('5', {}, 7)});
    EXPECT_EQ(body(plain), "Drivers loaded.\r\r            Switch type = Northern Telecom DMS-100 Custom\r" +
                               kHead + "01/01/70 00:00:01 \r\r        ISDN Physical Layer Synchronization Lost\r" +
                               kHead + "01/01/70 00:00:02 \r\r        ISDN Physical Layer Synchronization Acquired\r" +
                               kHead + "01/01/70 00:00:03 \r\r        Analog Device Port 1 transition: Offhook\r" +
                               kHead + "01/01/70 00:00:04 \r\r        Analog Device Port 1 transition: Onhook\r" +
                               kHead + "01/01/70 00:00:05 \r\r        Analog Device Port 2 transition: Offhook\r" +
                               kHead + "01/01/70 00:00:06 \r\r        Analog Device Port 2 transition: Onhook\r" +
                               "Drivers unloaded.\r");
}

TEST(ReportFrame, SwitchTypeWithoutNameOrByte)
{
    EXPECT_EQ(body(record('4', {7})), "Drivers loaded.\r\r            Switch type = Unknown\r");
    EXPECT_EQ(body(record('4', {})), "Drivers loaded.\r\r            Switch type = Unknown\r");
}

TEST(ReportClock, BaseTimeReferenceAndYearsSince1900)
{
    // 2000-02-29 23:59:58 UTC as the file time; the reference record
    // moves the clock of the records after it only.
    const std::int64_t base = 951868798;
    Bytes plain = concat({record('2', {}, 100), record('6', {}, 100), record('2', {}, 103), record('6', {}, 50),
                          record('3', {}, 40)});
    EXPECT_EQ(body(plain, {}, base),
              kHead + "03/01/100 00:01:38 \r\r        ISDN Physical Layer Synchronization Lost\r" + kHead +
                  "03/01/100 00:00:01 \r\r        ISDN Physical Layer Synchronization Lost\r" + kHead +
                  "02/29/100 23:59:48 \r\r        ISDN Physical Layer Synchronization Acquired\r");
}

TEST(ReportClock, SecondsRollOverMinutesWithinCache)
{
    Bytes plain;
    for (std::uint32_t t : {58u, 59u, 60u, 59u, 3661u})
        plain = concat({plain, record('2', {}, t)});
    std::string b = body(plain);
    for (const char* stamp : {"00:00:58 ", "00:00:59 ", "00:01:00 ", "01:01:01 "})
        EXPECT_NE(b.find(stamp), std::string::npos) << stamp;
    EXPECT_EQ(b.find("00:00:60"), std::string::npos);
}

TEST(ReportClock, LocalTimeZoneApplies)
{
    setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    tzset();
    std::string b = body(record('2', {}, 0), {}, 915148800); // 1999-01-01 00:00 UTC
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_NE(b.find("12/31/98 19:00:00 "), std::string::npos) << b;
}

TEST(ProbeSwitches, ExclusionArgumentParsing)
{
    EXPECT_FALSE(Probes::is_exclusion("-y12"));
    EXPECT_FALSE(Probes::is_exclusion("x12"));
    EXPECT_TRUE(Probes::is_exclusion("-X"));
    Probes p = excluding("-x12");
    EXPECT_FALSE(p.raw_dump);
    EXPECT_FALSE(p.q921);
    EXPECT_TRUE(p.q931 && p.x25 && p.physical && p.analog && p.isdn_ppp && p.dte_ppp);
    p = excluding("-xNd");
    EXPECT_FALSE(p.isdn_ppp);
    EXPECT_FALSE(p.dte_ppp);
    EXPECT_TRUE(p.q921 && p.raw_dump && p.physical && p.analog);
    p = excluding("-Xpa34");
    EXPECT_FALSE(p.physical || p.analog || p.q931 || p.x25);
}

TEST(ProbeSwitches, OffSwitchWritesNothingForItsRecords)
{
    Bytes plain = concat({record('2', {}), record('P', {}), record('`', {1, 0xC0, 0x21, 1, 1, 0, 4}),
                          record('p', {0xC0, 0x21, 1, 1, 0, 4}), record('0', u_frame(0x7F, 0, 0, true))});
    EXPECT_EQ(body(plain, excluding("-xPANd1234")), "");
    std::string only_dte = body(plain, excluding("-xPAN1234"));
    EXPECT_NE(only_dte.find("DTE Receive Pkt"), std::string::npos);
    EXPECT_EQ(only_dte.find("B-Channel"), std::string::npos);
}

TEST(ProbeSwitches, WithoutLayer2AndDumpQ931StillMakesBlocks)
{
    Bytes frame = i_frame(0, 0, false, 0, 0, false, q931(1, false, 0x05, {}));
    std::string b = body(record('1', frame), excluding("-x12"));
    EXPECT_EQ(b.find("Layer 2 Decode"), std::string::npos);
    EXPECT_EQ(b.find("Layer 1 Message Dump"), std::string::npos);
    EXPECT_NE(b.find("  >>>   ISDN D-Channel Transmit Pkt                                  NET<-CPE\r"),
              std::string::npos);
    EXPECT_NE(b.find("Message Type           --> SETUP\r"), std::string::npos);
}

TEST(ProbeSwitches, BChannelNumberFromFirstByte)
{
    Bytes packet = ppp(0xC021, 6, 1, {});
    std::string b = body(concat({record('`', concat({{1}, packet})), record('a', concat({{7}, packet})),
                                 record('q', packet)}));
    EXPECT_NE(b.find("  <<<   ISDN B-Channel #1 Receive Pkt (PPP CP)                      CPE<-NET\r"),
              std::string::npos);
    EXPECT_NE(b.find("  >>>   ISDN B-Channel #2 Transmit Pkt (PPP CP)                     NET<-CPE\r"),
              std::string::npos);
    EXPECT_NE(b.find("  <<<   DTE Transmit Pkt (PPP CP)                                    DTE<-CPE\r"),
              std::string::npos);
}

TEST(HexDump, LayerOneDumpOfPrintableAndControlBytes)
{
    Bytes frame = u_frame(0x03, 5, 1, false, {'A', 'B', 0x0D, 0x7F, 0x20, 0x1F, 'z', '~', '}', 0x80});
    std::string b = body(record('0', frame), excluding("-x234"));
    EXPECT_EQ(b, kHead + "01/01/70 00:00:00 \r\r"
                         "  <<<   ISDN D-Channel Receive Pkt                                   CPE<-NET\r"
                         "            INFO: (10 octets)\r"
                         "\r            41 42 0d 7f 20 1f 7a 7e |AB \x7f  z~|"
                         "\r            7d 80                   |}\x80|\r"
                         "\r        Layer 1 Message Dump:\r"
                         "\r            14 03 03 41 42 0d 7f 20 |   AB \x7f |"
                         "\r            1f 7a 7e 7d 80          | z~}\x80|\r");
}
