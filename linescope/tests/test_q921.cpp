// LAPD layer 2, TEI management and X.25 on the D channel.
#include "capture_builder.h"
#include "q921.h"

#include <gtest/gtest.h>

using namespace linescope;
using namespace linescope::testing;

namespace {

std::string decode(const Bytes& frame, int direction = 0, const char* exclude = nullptr)
{
    Probes probes;
    if (exclude != nullptr)
        probes.exclude(exclude);
    StringSink sink;
    {
        Report out(sink);
        decode_dchannel(out, probes, 0, frame.data(), frame.size(), direction);
    }
    return sink.text;
}

const std::string kL2 = "\r        Layer 2 Decode:\r\r";
const std::string kL3 = "\r        Layer 3 Decode:\r\r";

std::string l2(const char* cr, unsigned sapi, unsigned tei, const char* kind, const char* pf)
{
    return kL2 + "            C/R BIT       -> " + cr + "\r            SAPI          -> " + std::to_string(sapi) +
           "\r            TEI           -> " + std::to_string(tei) + "\r            COMMAND TYPE  -> " + kind +
           "\r            P/F BIT       -> " + pf + "\r";
}

} // namespace

TEST(Layer2, ReceivedSabmeIsACommand)
{
    EXPECT_EQ(decode(u_frame(0x7F, 0, 64, true)), l2("SET (COMMAND FRAME)", 0, 64, "SABME", "SET"));
}

TEST(Layer2, CommandResponseDependsOnDirection)
{
    EXPECT_EQ(decode(u_frame(0x73, 0, 64, true), 1), l2("SET (RESPONSE FRAME)", 0, 64, "UA", "SET"));
    EXPECT_EQ(decode(u_frame(0x63, 0, 64, false), 1), l2("CLEAR (COMMAND FRAME)", 0, 64, "UA", "CLEAR"));
    EXPECT_EQ(decode(u_frame(0x53, 0, 64, false), 0), l2("CLEAR (RESPONSE FRAME)", 0, 64, "DISC", "SET"));
}

TEST(Layer2, UFrameKinds)
{
    const std::pair<std::uint8_t, const char*> kinds[] = {
        {0x0F, "DM"}, {0x1F, "DM"}, {0x87, "FRMR"}, {0x97, "FRMR"}, {0x6F, "SABME"}, {0x2F, "UNKNOWN"},
    };
    for (auto [control, name] : kinds) {
        std::string want = l2("CLEAR (RESPONSE FRAME)", 0, 0, name, (control & 0x10) ? "SET" : "CLEAR");
        EXPECT_EQ(decode(u_frame(control, 0, 0, false)), want) << int(control);
    }
}

TEST(Layer2, SupervisoryFramesShowNr)
{
    EXPECT_EQ(decode(s_frame(0x01, 0, 64, false, 5, true)),
              l2("CLEAR (RESPONSE FRAME)", 0, 64, "RR", "SET") + "            N(R)          -> 5\r");
    EXPECT_EQ(decode(s_frame(0x05, 0, 64, true, 127, false)),
              l2("SET (COMMAND FRAME)", 0, 64, "RNR", "CLEAR") + "            N(R)          -> 127\r");
    EXPECT_EQ(decode(s_frame(0x09, 0, 64, true, 0, false)),
              l2("SET (COMMAND FRAME)", 0, 64, "REJ", "CLEAR") + "            N(R)          -> 0\r");
    // An S-format control outside the three kinds: no N(R) line.
    EXPECT_EQ(decode(s_frame(0x0D, 0, 64, true, 1, true)), l2("SET (COMMAND FRAME)", 0, 64, "UNKNOWN", "SET"));
}

TEST(Layer2, IFrameWithQ931OffAndX25OnDumpsInfo)
{
    Bytes frame = i_frame(0, 1, false, 3, 9, false, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(frame.size(), 10u);
    EXPECT_EQ(decode(frame, 1, "-x3"), l2("CLEAR (COMMAND FRAME)", 0, 1, "IFRAME", "CLEAR") +
                                            "            N(R)          -> 9\r            N(S)          -> 3\r" +
                                            "            INFO: (6 octets)\r" +
                                            "\r            01 02 03 04 05 06       |      |\r");
}

TEST(Layer2, InformationFieldWithoutLayer2Lines)
{
    EXPECT_EQ(decode(u_frame(0x03, 12, 127, false, {0x41}), 0, "-x2"),
              "            INFO: (1 octets)\r\r            41                      |A|\r");
    EXPECT_EQ(decode(u_frame(0x7F, 0, 64, true), 0, "-x2"), "");
}

TEST(Layer2, ShortFramesAreNotReadPast)
{
    EXPECT_EQ(decode({0x02, 0x81}), kL2 + "            Short frame (2 octets), could not decode as Q.921\r");
    EXPECT_EQ(decode({}), kL2 + "            Short frame (0 octets), could not decode as Q.921\r");
    EXPECT_EQ(decode({0x00, 0x81, 0x00}), kL2 + "            Short frame (3 octets), could not decode as Q.921\r");
    EXPECT_EQ(decode({0x00, 0x81, 0x01}), kL2 + "            Short frame (3 octets), could not decode as Q.921\r");
    EXPECT_EQ(decode({0x00, 0x81, 0x00}, 0, "-x2"), "");
    // A UI frame needs no more than its three octets.
    EXPECT_EQ(decode({0x00, 0x81, 0x03}, 0, "-x23"), "            INFO: (0 octets)\r\r");
}

TEST(TeiManagement, IdRequestOnSapi63)
{
    Bytes frame = u_frame(0x03, 63, 127, false, {0x0F, 0x12, 0x34, 0x01, 0xFF});
    EXPECT_EQ(decode(frame, 1), l2("CLEAR (COMMAND FRAME)", 63, 127, "UI", "CLEAR") +
                                    "\r            TEI Management Message\r\r"
                                    "            Management Entity ID   --> 15\r"
                                    "            Reference Number (Ri)  --> 4660\r"
                                    "            Message Type           --> 1    (ID Request)\r"
                                    "            Action Indicator (Ai)  --> 127  (Any TEI value acceptable)\r");
}

TEST(TeiManagement, ActionTextsByType)
{
    auto ai_line = [](unsigned type, unsigned ai_octet) {
        std::string r = decode(u_frame(0x03, 63, 127, true, {0x0F, 0, 1, static_cast<std::uint8_t>(type),
                                                             static_cast<std::uint8_t>(ai_octet)}));
        return r.substr(r.rfind("Message Type"));
    };
    EXPECT_EQ(ai_line(2, 0x81), "Message Type           --> 2    (ID Assigned)\r"
                                "            Action Indicator (Ai)  -->  64  (Assigned TEI value)\r");
    EXPECT_EQ(ai_line(4, 0xFF), "Message Type           --> 4    (ID Check Request)\r"
                                "            Action Indicator (Ai)  --> 127  (Check all TEI values)\r");
    EXPECT_EQ(ai_line(4, 0x03), "Message Type           --> 4    (ID Check Request)\r"
                                "            Action Indicator (Ai)  -->   1  (TEI value to be checked)\r");
    EXPECT_EQ(ai_line(6, 0xFE), "Message Type           --> 6    (ID Remove)\r"
                                "            Action Indicator (Ai)  --> 127  (Request for removal of all TEI values)\r");
    EXPECT_EQ(ai_line(9, 0x05), "Message Type           --> 9    (UNKNOWN)\r"
                                "            Action Indicator (Ai)  -->   2  (\?\?\?)\r");
}

TEST(TeiManagement, NeedsLayer2SwitchAndStopsAtFrameEnd)
{
    Bytes frame = u_frame(0x03, 63, 127, false, {0x0F, 0x12});
    EXPECT_EQ(decode(frame), l2("CLEAR (RESPONSE FRAME)", 63, 127, "UI", "CLEAR") +
                                 "\r            TEI Management Message\r\r"
                                 "            Management Entity ID   --> 15\r");
    EXPECT_EQ(decode(frame, 0, "-x2"), "            INFO: (2 octets)\r\r            0f 12                   |  |\r");
}

TEST(X25, CallRequestAddresses)
{
    Bytes frame = i_frame(16, 64, false, 0, 0, false, {0x10, 0x05, 0x0B, 0x35, 0x12, 0x34, 0x51, 0x23, 0x00});
    std::string r = decode(frame, 1, "-x2");
    EXPECT_EQ(r, kL3 + "            X.25 Message\r\r"
                       "            General Format Identifier     --> 1\r"
                       "            Logical Channel Group Number  --> 0\r"
                       "            Logical Channel Number        --> 5\r"
                       "            Packet Type                   --> Call Request\r\r"
                       "            Called Address Length:  5\r"
                       "            Called Address:         12345\r"
                       "            Calling Address Length: 3\r"
                       "            Calling Address:        123\r"
                       "            Facilities Length:      0\r");
}

TEST(X25, CallRequestCutShort)
{
    std::string r = decode(i_frame(16, 64, false, 0, 0, false, {0x10, 0x05, 0x0B, 0x35, 0x12}), 1, "-x2");
    EXPECT_NE(r.find("Called Address:         12\r"), std::string::npos) << r;
    EXPECT_NE(r.find("Calling Address:        \r"), std::string::npos) << r;
    EXPECT_EQ(r.find("Facilities"), std::string::npos);
}

TEST(X25, CausesAndDiagnostics)
{
    auto tail = [](Bytes packet) {
        std::string r = decode(i_frame(16, 1, false, 0, 0, false, packet), 0, "-x2");
        return r.substr(r.find("Packet Type"));
    };
    EXPECT_EQ(tail({0x10, 0x01, 0x13, 0x09, 0x43}), "Packet Type                   --> Clear Request\r\r"
                                                    "            Clearing Cause:         Out Of Order\r"
                                                    "            Diagnostic Code:        Invalid Called Address\r");
    EXPECT_EQ(tail({0x10, 0x01, 0x1B, 0x1D, 0x00}), "Packet Type                   --> Reset Request\r\r"
                                                    "            Resetting Cause:        Network Out of Order\r"
                                                    "            Diagnostic Code:        No Diag Info\r");
    EXPECT_EQ(tail({0x10, 0x00, 0xFB, 0x7F}), "Packet Type                   --> Restart Request\r\r"
                                              "            Restarting Cause:       Registration/Cancellation confirmed\r");
    EXPECT_EQ(tail({0x10, 0x00, 0xFB, 0x05, 0x48}), "Packet Type                   --> Restart Request\r\r"
                                                    "            Restarting Cause:       Cause Not Obtainable\r"
                                                    "            Diagnostic Code:        Call Collision\r");
    EXPECT_EQ(tail({0x10, 0x01, 0xA1}), "Packet Type                   --> RR\r\r");
    EXPECT_EQ(tail({0x10, 0x01, 0x00, 0x41}), "Packet Type                   --> Unknown\r\r");
}

TEST(X25, InvalidFormatAndShortPackets)
{
    EXPECT_EQ(decode(i_frame(16, 1, false, 0, 0, false, {0x20, 0x01, 0x0B}), 0, "-x2"),
              kL3 + "Invalid General Format Identifier (2), could not decode as X.25 msg\r");
    EXPECT_EQ(decode(i_frame(16, 1, false, 0, 0, false, {0x10, 0x01}), 0, "-x2"),
              kL3 + "Short packet (2 octets), could not decode as X.25 msg\r");
    // X.25 switched off: the information field is dumped.
    EXPECT_EQ(decode(i_frame(16, 1, false, 0, 0, false, {0x10}), 0, "-x24"),
              "            INFO: (1 octets)\r\r            10                      | |\r");
}
