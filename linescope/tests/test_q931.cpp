// Q.931 message header, codesets and single-octet elements, and a whole
// call as the report shows it.
#include "capture_builder.h"
#include "q931.h"

#include <gtest/gtest.h>

using namespace linescope;
using namespace linescope::testing;

namespace {

std::string decode(const Bytes& msg, std::uint8_t switch_type = 0)
{
    StringSink sink;
    {
        Report out(sink);
        decode_layer3_msg(out, switch_type, msg.data(), msg.size());
    }
    return sink.text;
}

const std::string kL3 = "\r        Layer 3 Decode:\r\r";

std::string header(unsigned crlen, unsigned flag, long value, const char* type)
{
    return kL3 + "            Q.931 Message\r\r            Protocol Discriminator --> 8\r"
                 "            Call Reference Length  --> " +
           std::to_string(crlen) + "\r            Call Reference Flag    --> " + std::to_string(flag) +
           "\r            Call Reference Value   --> " + std::to_string(value) +
           "\r            Message Type           --> " + type + "\r";
}

} // namespace

TEST(Q931Header, CallReferenceForms)
{
    EXPECT_EQ(decode({0x08, 0x00, 0x46}), header(0, 0, 0, "RESTART"));
    EXPECT_EQ(decode({0x08, 0x01, 0x85, 0x4D}), header(1, 1, 5, "RELEASE"));
    EXPECT_EQ(decode({0x08, 0x02, 0x81, 0x23, 0x5A}), header(2, 1, 0x0123, "RELEASE COMPLETE"));
    EXPECT_EQ(decode({0x08, 0x03, 0x7F, 0xFF, 0xFF, 0xC4}), header(3, 0, 0x7FFFFF, "Unknown"));
    // Bit 8 of the message type octet is not part of the type.
    EXPECT_EQ(decode({0x08, 0x01, 0x01, 0x85}), header(1, 0, 1, "SETUP"));
}

TEST(Q931Header, InvalidDiscriminatorAndReferenceLength)
{
    EXPECT_EQ(decode({0x09, 0x01, 0x01, 0x05}),
              kL3 + "Invalid Protocol Descriminator (9), could not decode as Q.931 msg\r");
    EXPECT_EQ(decode({0x08, 0x04, 1, 2, 3, 4, 5}), kL3 + "Invalid call reference length (4).\r");
}

TEST(Q931Header, MessageEndingInsideItsHeader)
{
    EXPECT_EQ(decode({}), kL3 + "Short message header (0 octets), could not decode as Q.931 msg\r");
    EXPECT_EQ(decode({0x08}), kL3 + "Short message header (1 octets), could not decode as Q.931 msg\r");
    EXPECT_EQ(decode({0x08, 0x02, 0x81, 0x01}),
              kL3 + "Short message header (4 octets), could not decode as Q.931 msg\r");
    EXPECT_EQ(decode({0x08, 0x01, 0x81, 0x00}, 1),
              kL3 + "Short message header (4 octets), could not decode as Q.931 msg\r");
}

TEST(Q931Header, MessageTypeZeroEscapesOnlyOn5ess)
{
    EXPECT_EQ(decode({0x08, 0x01, 0x01, 0x00, 0x90}, 0),
              header(1, 0, 1, "Unknown") + "\r            Locking Shift IE to Codeset 0\r");
    EXPECT_EQ(decode({0x08, 0x01, 0x01, 0x00, 0x90}, 1), header(1, 0, 1, "ATT CONF"));
    EXPECT_EQ(decode({0x08, 0x01, 0x01, 0x00, 0xF7, 0xA1}, 1),
              header(1, 0, 1, "ATT_MANINFO") + "\r            Send Complete IE        (0xa1)\r");
}

TEST(Q931Elements, SingleOctetElements)
{
    EXPECT_EQ(decode({0x08, 0x01, 0x01, 0x7B, 0xA0, 0xA1, 0xB3, 0xD2, 0xE0, 0xA5}),
              header(1, 0, 1, "INFORMATION") +
                  "\r            More Data IE            (0xa0)\r"
                  "\r            Send Complete IE        (0xa1)\r"
                  "\r            Congestion Level IE     (0xb3)\r"
                  "\r            Repeat Indicator IE     (0xd2)\r"
                  "\r            Unknown Single Octet IE (0xe0)\r"
                  "\r            Unknown Single Octet IE (0xa5)\r");
}

TEST(Q931Elements, NonLockingShiftAppliesToOneElement)
{
    // Shift to 6, then two elements with identifier 0x7A.
    Bytes msg = concat({{0x08, 0x01, 0x01, 0x62, 0x9E}, ie(0x7A, {}), ie(0x7A, {})});
    EXPECT_EQ(decode(msg), header(1, 0, 1, "FACILITY") +
                               "\r            Shift IE to Codeset 6\r"
                               "\r            ATT Management Info IE\r"
                               "\r            Variable length IE, codeset = 0 code = 0x7a, length = 0\r");
}

TEST(Q931Elements, LockingShiftStaysInForce)
{
    Bytes msg = concat({{0x08, 0x01, 0x01, 0x62, 0x95}, ie(0x2A, {}), ie(0x04, {0x80}), {0xA1}, ie(0x2A, {})});
    EXPECT_EQ(decode(msg), header(1, 0, 1, "FACILITY") +
                               "\r            Locking Shift IE to Codeset 5\r"
                               "\r            Display Text IE\r"
                               "\r            Variable length IE, codeset = 5 code = 0x4, length = 1\r"
                               "\r            Send Complete IE        (0xa1)\r"
                               "\r            Display Text IE\r");
}

TEST(Q931Elements, ShiftToOtherCodesetsUsesCodeset0Table)
{
    Bytes msg = concat({{0x08, 0x01, 0x01, 0x05, 0x9F}, ie(0x04, {}), ie(0x2A, {1, 2})});
    EXPECT_EQ(decode(msg), header(1, 0, 1, "SETUP") +
                               "\r            Shift IE to Codeset 7\r"
                               "\r            Bearer Capability IE\r"
                               "\r            Variable length IE, codeset = 0 code = 0x2a, length = 2\r");
}

TEST(Q931Elements, ElementCutByFrameEnd)
{
    // Declared 9 octets, 1 captured; then an identifier without length.
    EXPECT_EQ(decode({0x08, 0x01, 0x01, 0x05, 0x08, 0x09, 0x80}),
              header(1, 0, 1, "SETUP") +
                  "\r            Cause IE\r                Octet 3 (0x80)\r"
                  "                    Coding Standard:                 CCITT standard\r"
                  "                    Location:\r\r                        User\r\r");
    EXPECT_EQ(decode({0x08, 0x01, 0x01, 0x05, 0x55}),
              header(1, 0, 1, "SETUP") + "\r            Variable length IE, codeset = 0 code = 0x55, length = 0\r");
}

TEST(Q931Sequences, CallSetupAndTeardown)
{
    const std::uint32_t t = 100;
    Bytes plain = concat({
        record('4', {0}, 0),
        record('1', tei_frame(0x2A3B, 1, 127), t),
        record('0', tei_frame(0x2A3B, 2, 65, true), t),
        record('1', u_frame(0x7F, 0, 65, false), t),
        record('0', u_frame(0x73, 0, 65, false), t),
        record('1', i_frame(0, 65, false, 0, 0, false,
                            q931(1, false, 0x05,
                                 concat({{0xA1}, ie(0x04, {0x88, 0x90}), ie(0x18, {0x83}),
                                         ie(0x70, {0xC1, '5', '5', '5', '0', '1', '2', '3'}),
                                         ie(0x3A, {'2', '0', '1', '5', '5', '5', '0', '1', '0', '0'})}))),
               t + 1),
        record('0', s_frame(0x01, 0, 65, false, 1, false), t + 1),
        record('0', i_frame(0, 65, true, 0, 1, false, q931(1, true, 0x02, ie(0x18, {0x89}))), t + 1),
        record('1', s_frame(0x01, 0, 65, false, 1, false), t + 1),
        record('0', i_frame(0, 65, true, 1, 1, false,
                            q931(1, true, 0x01, concat({ie(0x1E, {0x82, 0x88}), ie(0x34, {0x01})}))),
               t + 2),
        record('0', i_frame(0, 65, true, 2, 1, false, q931(1, true, 0x07, {})), t + 5),
        record('1', i_frame(0, 65, false, 1, 3, false, q931(1, false, 0x0F, {})), t + 5),
        record('0', i_frame(0, 65, true, 3, 2, false, q931(1, true, 0x45, ie(0x08, {0x82, 0x90}))), t + 65),
        record('1', i_frame(0, 65, false, 2, 4, false, q931(1, false, 0x4D, {})), t + 65),
        record('0', i_frame(0, 65, true, 4, 3, false, q931(1, true, 0x5A, {})), t + 66),
        record('1', s_frame(0x01, 0, 65, false, 5, false), t + 66),
    });
    const std::string report = readable(decode_plain(plain, {}, 915148800));
    EXPECT_EQ(report, expected("call_setup_teardown.txt", report));
}
