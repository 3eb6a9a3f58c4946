// PPP decoding: header forms, option decoders and the bodies per code.
#include "capture_builder.h"
#include "ppp.h"

#include <gtest/gtest.h>

using namespace linescope;
using namespace linescope::testing;

namespace {

std::string decode(const Bytes& packet)
{
    StringSink sink;
    {
        Report out(sink);
        decode_ppp(out, packet.data(), packet.size());
    }
    return sink.text;
}

const std::string I12(12, ' '), I16(16, ' '), I20(20, ' ');

} // namespace

TEST(PppHeader, AddressAndControlAreOptional)
{
    Bytes data = {0x01, 0x04, 0x05, 0xDC};
    EXPECT_EQ(decode(ppp(0xC021, 1, 5, data, true)), decode(ppp(0xC021, 1, 5, data, false)));
}

TEST(PppHeader, ShortPacketsAreInvalid)
{
    EXPECT_EQ(decode({0xC0, 0x21, 0x01}), "\rInvalid PPP pkt \r");
    EXPECT_EQ(decode({0xFF, 0x03, 0xC0, 0x21, 0x01}), "\rInvalid PPP pkt \r");
    EXPECT_EQ(decode({}), "\rInvalid PPP pkt \r");
}

TEST(PppHeader, UnknownProtocolDumpsThePacket)
{
    EXPECT_EQ(decode({0x00, 0x21, 0x45, 0x00, 0x00, 0x1C, 0, 0, 0x40}),
              I12 + "Unknown Protocol = 21\r" + I12 + "Pkt Data =\r" + I16 + "00 21 45 00 00 1c 00 00  H\r" + I16 +
                  "40  H\r\r");
}

TEST(PppHeader, CountIsCapturedBytesNotLengthField)
{
    // The length field claims 200 bytes; 6 follow the protocol field.
    EXPECT_EQ(decode({0xC0, 0x21, 0x06, 0x09, 0x00, 0xC8}), I12 + "LCP Terminate Ack 9 4\r");
}

TEST(PppLcp, MruAndMagicNumber)
{
    EXPECT_EQ(decode(ppp(0xC021, 1, 1, {0x01, 0x04, 0x05, 0xDC, 0x05, 0x06, 0x12, 0x34, 0x56, 0x78})),
              I12 + "LCP Configure Request 1 14\r" + I16 + "Maximum Receive Unit (MRU)\r" + I20 + "1500\r" + I16 +
                  "Magic Number\r" + I20 + "12 34 56 78  H\r");
}

TEST(PppLcp, AccmAuthenticationAndFlags)
{
    EXPECT_EQ(decode(ppp(0xC021, 2, 3,
                         {0x02, 0x06, 0x00, 0x0A, 0x00, 0x00, 0x03, 0x05, 0xC2, 0x23, 0x05, 0x03, 0x05, 0xC2,
                          0x23, 0x80, 0x03, 0x04, 0xC0, 0x23, 0x03, 0x04, 0xC0, 0x25, 0x07, 0x02, 0x08, 0x03,
                          0x00})),
              I12 + "LCP Configure Ack 3 33\r" + I16 + "ACCM\r" + I20 + "0 A 0 0 H\r\r" + I16 +
                  "Authentication Protocol\r" + I20 + "CHAP with MD5\r" + I16 + "Authentication Protocol\r" + I20 +
                  "CHAP with MD4\r" + I16 + "Authentication Protocol\r" + I20 +
                  "Password Authentication protocol\r" + I16 + "Authentication Protocol\r" + I20 +
                  "Unknown Authentication = C0 25 H " + I16 + "Protocol Field Compression\r" + I16 +
                  "Address Field Compression\r" + "  Incorrect next Argument\r");
}

TEST(PppLcp, ShortValuesAndUnknownOptions)
{
    EXPECT_EQ(decode(ppp(0xC021, 3, 1,
                         {0x01, 0x03, 0x05, 0x02, 0x02, 0x03, 0x04, 0xC2, 0x23, 0x0D, 0x02, 0x0D, 0x03, 0x06,
                          0x13, 0x02, 0x13, 0x04, 0x07, 0xAB, 0x16, 0x03, 0xEE})),
              I12 + "LCP Configure Nak 1 27\r" + I16 + "Maximum Receive Unit (MRU)\r" + I20 +
                  "Incorrect next Argument\r" + I16 + "ACCM\r" + I20 + "Incorrect next Argument\r" + I16 +
                  "Authentication Protocol\r" + I20 + "Incorrect next Argument\r" + I16 + "Callback\r" + I20 +
                  "Incorrect next Argument\r" + I16 + "Callback\r" + I20 + "6  H\r" + I16 + "Endpoint ID\r" +
                  I20 + "Incorrect next Argument\r" + I16 + "Endpoint ID\r" + I20 + "Class : Unknown\r" + I20 +
                  "ab  H\r" + I16 + "Unknown option = 16 H\r" + I20 + "ee  H\r");
}

TEST(PppLcp, OptionLengthBelowTwoStopsTheWalk)
{
    EXPECT_EQ(decode(ppp(0xC021, 1, 1, {0x05, 0x01, 0x01, 0x04, 0x05, 0xDC})), I12 + "LCP Configure Request 1 10\r");
}

TEST(PppLcp, OptionRunningPastTheAreaIsCut)
{
    // The packet's length field limits the area to 6 option bytes.
    Bytes p = {0xC0, 0x21, 0x01, 0x01, 0x00, 0x0A, 0x05, 0x0A, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    EXPECT_EQ(decode(p), I12 + "LCP Configure Request 1 12\r" + I16 + "Magic Number\r" + I20 + "11 22 33 44  H\r");
}

TEST(PppLcp, HexLinesOfEightBytesEndWithEmptyLine)
{
    EXPECT_EQ(decode(ppp(0xC021, 1, 1, {0x09, 0x0A, 1, 2, 3, 4, 5, 6, 7, 8})),
              I12 + "LCP Configure Request 1 14\r" + I16 + "FCS Alternatives\r" + I20 + "01 02 03 04 05 06 07 08  H\r\r");
}

TEST(PppLcp, CodesOutsideOptions)
{
    EXPECT_EQ(decode(ppp(0xC021, 8, 2, {0x80, 0xFD, 0x01, 0x02})),
              I12 + "LCP Protocol Reject 2 8\r" + I16 + "Protocol Rejected = Compression (CCP)\r" + I20 +
                  "Message Dump (in hex):\r" + I20 + "01 02                   |  |\r");
    EXPECT_EQ(decode(ppp(0xC021, 14, 2, {0xAA})), I12 + "LCP Reset Request 2 5\r" + I16 + "aa  H\r");
    EXPECT_EQ(decode(ppp(0xC021, 9, 2, {'a', 'b', 'c', 'd'})),
              I12 + "LCP Echo Request 2 8\r" + I16 + "Message Dump (in hex):\r" + I16 + "61 62 63 64             |abcd|\r");
    EXPECT_EQ(decode(ppp(0xC021, 16, 2, {})), I12 + "LCP Unknown Code 2 4\r");
    EXPECT_EQ(decode(ppp(0xC021, 0, 2, {})), I12 + "LCP Unknown Code 2 4\r");
}

TEST(PppIpcp, AddressesAndCompression)
{
    EXPECT_EQ(decode(ppp(0x8021, 1, 4,
                         {0x03, 0x06, 192, 168, 1, 5, 0x02, 0x06, 0x00, 0x2D, 0x0F, 0x01, 0x02, 0x04, 0x00, 0x37,
                          0x83, 0x06, 10, 0, 0, 1, 0x81, 0x04, 1, 2, 0x90, 0x04, 7, 12})),
              I12 + "IPCP Configure Request 4 34\r" + I16 + "IP-Address\r" + I20 + "192 168 001 005 \r" + I16 +
                  "IP-Compression Protocol\r" + I20 + "Van Jacobson Compressed TCP/IP\r" + I16 +
                  "IP-Compression Protocol\r" + I20 + "55\r" + I16 + "Secondary DNS Address\r" + I20 +
                  "010 000 000 001 \r" + I16 + "Primary DNS Address\r" + I20 + "Incorrect next Argument\r" + I16 +
                  "Unknown option = 90 H\r" + I20 + "07 12 \r");
}

TEST(PppIpcp, WalkNeedsFourBytes)
{
    // Three bytes remain after the first option: too few for another.
    EXPECT_EQ(decode(ppp(0x8021, 2, 4, {0x03, 0x06, 1, 2, 3, 4, 0x90, 0x03, 7})),
              I12 + "IPCP Configure Ack 4 13\r" + I16 + "IP-Address\r" + I20 + "001 002 003 004 \r");
}

TEST(PppCcp, StacAscendMicrosoftAndOthers)
{
    EXPECT_EQ(decode(ppp(0x80FD, 1, 9,
                         {0x11, 0x05, 0x00, 0x01, 0x03, 0x11, 0x06, 1, 2, 3, 4, 0x12, 0x06, 0, 0, 0, 1, 0x12,
                          0x05, 0, 0, 0, 0x11, 0x07, 1, 2, 3, 4, 5, 0x15, 0x05, 9, 9, 9})),
              I12 + "Compression (CCP) Configure Request 9 38\r" + I16 + "Stac Compression\r" + I20 +
                  "History Count = 1\r" + I20 + "Mode = 3\r" + I16 + "Ascend Compression\r" + I20 +
                  "01 02 03 04  H\r" + I16 + "Microsoft Compression\r" + I20 + "00 00 00 01  H\r" + I16 +
                  "Microsoft Compression\r" + I20 + "Incorrect next Argument\r" + I16 + "Incorrect next Argument\r" +
                  I16 + "Unknown option = 15 H\r" + I20 + "09 09 09  H\r");
}

TEST(PppIpxcpNbfcp, EveryOptionIsUnknown)
{
    EXPECT_EQ(decode(ppp(0x802B, 1, 1, {0x01, 0x06, 0, 0, 0, 1})),
              I12 + "IPXCP Configure Request 1 10\r" + I16 + "Unknown option = 1 H\r" + I20 + "00 00 00 01  H\r");
    EXPECT_EQ(decode(ppp(0x803F, 4, 1, {0x02, 0x02})),
              I12 + "NBFCP Configure Reject 1 6\r" + I16 + "Unknown option = 2 H\r" + "\r");
}

TEST(PppPap, UserNameShownPasswordNever)
{
    EXPECT_EQ(decode(ppp(0xC023, 1, 1, {0x04, 'j', 'o', 'h', 'n', 0x02, 'p', 'w'})),
              I12 + "PAP Request 1 12\r" + I16 + "User = john\r" + I16 + "Password = ********\r");
    // A name length past the capture shows what there is.
    EXPECT_EQ(decode(ppp(0xC023, 1, 1, {0x09, 'a', 'b'})),
              I12 + "PAP Request 1 7\r" + I16 + "User = ab\r" + I16 + "Password = ********\r");
}

TEST(PppPap, MessagesAndCodes)
{
    EXPECT_EQ(decode(ppp(0xC023, 2, 1, {0x02, 'O', 'K'})),
              I12 + "PAP Ack 1 7\r" + I16 + "Message : \r" + I20 + "OK\r");
    EXPECT_EQ(decode(ppp(0xC023, 3, 1, {0x00})), I12 + "PAP Nak 1 5\r");
    EXPECT_EQ(decode(ppp(0xC023, 7, 1, {0x41})),
              I12 + "PAP Invalid Code 1 5\r" + I16 + "Message Dump (in hex):\r" + I16 + "41                      |A|\r");
    Bytes text(40, 'x');
    text.insert(text.begin(), 40);
    EXPECT_EQ(decode(ppp(0xC023, 3, 1, text)),
              I12 + "PAP Nak 1 45\r" + I16 + "Message : \r" + I20 + std::string(32, 'x') + "\r" + I20 +
                  std::string(8, 'x') + "\r");
}

TEST(PppChapBapBacp, HeaderAndDumpOnly)
{
    EXPECT_EQ(decode(ppp(0xC223, 1, 3, {0x01, 0x55, 'n'})),
              I12 + "CHAP Challenge  3 7\r" + I16 + "Message Dump (in hex):\r" + I16 + "01 55 6e                | Un|\r");
    EXPECT_EQ(decode(ppp(0xC223, 9, 3, {})), I12 + "CHAP Invalid Code  3 4\r");
    EXPECT_EQ(decode(ppp(0xC02D, 1, 2, {0x01})),
              I12 + "BAP Call-Request  2 5\r" + I16 + "Message Dump (in hex):\r" + I16 + "01                      | |\r");
    EXPECT_EQ(decode(ppp(0xC02D, 2, 2, {0x02})),
              I12 + "BAP Call-Response  Request-Rej 2 5\r" + I16 + "Message Dump (in hex):\r" + I16 +
                  "02                      | |\r");
    EXPECT_EQ(decode(ppp(0xC02D, 4, 2, {0x09})),
              I12 + "BAP Callback-Response  Unknown 2 5\r" + I16 + "Message Dump (in hex):\r" + I16 +
                  "09                      | |\r");
    EXPECT_EQ(decode(ppp(0xC02B, 1, 2, {})), I12 + "BACP Configure Request 2 4\r");
}

TEST(PppSequences, LcpIpcpNegotiationAndPapLogin)
{
    Bytes plain = concat({
        record('4', {0}, 0),
        record('a', concat({{1}, ppp(0xC021, 1, 1, {0x01, 0x04, 0x05, 0xEA, 0x05, 0x06, 0x11, 0x22, 0x33, 0x44, 0x07, 0x02, 0x08, 0x02})}), 1),
        record('`', concat({{1}, ppp(0xC021, 1, 0x21, {0x03, 0x04, 0xC0, 0x23, 0x05, 0x06, 0xA1, 0xB2, 0xC3, 0xD4})}), 1),
        record('a', concat({{1}, ppp(0xC021, 2, 0x21, {0x03, 0x04, 0xC0, 0x23, 0x05, 0x06, 0xA1, 0xB2, 0xC3, 0xD4})}), 1),
        record('`', concat({{1}, ppp(0xC021, 4, 1, {0x07, 0x02, 0x08, 0x02})}), 1),
        record('a', concat({{1}, ppp(0xC021, 1, 2, {0x01, 0x04, 0x05, 0xEA, 0x05, 0x06, 0x11, 0x22, 0x33, 0x44})}), 2),
        record('`', concat({{1}, ppp(0xC021, 2, 2, {0x01, 0x04, 0x05, 0xEA, 0x05, 0x06, 0x11, 0x22, 0x33, 0x44})}), 2),
        record('a', concat({{1}, ppp(0xC023, 1, 1, {0x05, 'g', 'u', 'e', 's', 't', 0x06, 's', 'e', 'c', 'r', 'e', 't'})}), 2),
        record('`', concat({{1}, ppp(0xC023, 2, 1, {0x0A, 'L', 'o', 'g', 'i', 'n', ' ', 'o', 'k', '.', ' '})}), 3),
        record('a', concat({{1}, ppp(0x8021, 1, 1, {0x03, 0x06, 0, 0, 0, 0, 0x81, 0x06, 0, 0, 0, 0})}), 3),
        record('`', concat({{1}, ppp(0x8021, 1, 0x30, {0x03, 0x06, 10, 1, 1, 1})}), 3),
        record('a', concat({{1}, ppp(0x8021, 2, 0x30, {0x03, 0x06, 10, 1, 1, 1})}), 3),
        record('`', concat({{1}, ppp(0x8021, 3, 1, {0x03, 0x06, 10, 1, 1, 20, 0x81, 0x06, 10, 1, 1, 2})}), 3),
        record('a', concat({{1}, ppp(0x8021, 1, 2, {0x03, 0x06, 10, 1, 1, 20, 0x81, 0x06, 10, 1, 1, 2})}), 4),
        record('`', concat({{1}, ppp(0x8021, 2, 2, {0x03, 0x06, 10, 1, 1, 20, 0x81, 0x06, 10, 1, 1, 2})}), 4),
        record('p', ppp(0xC021, 5, 3, {'b', 'y', 'e'}, false), 60),
        record('q', ppp(0xC021, 6, 3, {}, false), 60),
    });
    const std::string report = readable(decode_plain(plain, {}, 915148800));
    EXPECT_EQ(report, expected("ppp_negotiation.txt", report));
}
