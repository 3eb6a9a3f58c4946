// Information element decoders.
#include "capture_builder.h"
#include "q931.h"

#include <gtest/gtest.h>

using namespace linescope;
using namespace linescope::testing;

namespace {

std::string element(std::uint8_t id, const Bytes& c, int codeset = 0)
{
    StringSink sink;
    {
        Report out(sink);
        decode_variable_ie(out, codeset, id, c.data(), c.size(), static_cast<unsigned>(c.size()));
    }
    return sink.text;
}

std::string octet(const char* name, unsigned v)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "%x", v);
    return std::string("                Octet ") + name + " (0x" + hex + ")\r";
}

std::string field(const char* label, const std::string& value)
{
    std::string l = std::string("                    ") + label;
    l.resize(53, ' ');
    return l + value + "\r";
}

} // namespace

TEST(BearerCapability, UnrestrictedDigitalCircuit64k)
{
    EXPECT_EQ(element(0x04, {0x88, 0x90}),
              "\r            Bearer Capability IE\r" + octet("3", 0x88) + field("Coding Standard:", "CCITT standard") +
                  "                    Information Transfer Capability:\r\r"
                  "                        UNRESTRICTED DIGITAL INFORMATION\r\r" +
                  octet("4", 0x90) + field("Transfer Mode:", "Circuit mode") +
                  field("Information Transfer Rate:", "64 kbit/s"));
}

TEST(BearerCapability, SpeechWithLayer1Protocol)
{
    // The protocol field of A2 is 2 (mu-law); A3 names A-law.
    std::string mu = element(0x04, {0x80, 0x90, 0xA2});
    EXPECT_TRUE(mu.ends_with(octet("5", 0xA2) + field("User Layer 1 Protocol:", "G.711 Mu-law"))) << mu;
    std::string a = element(0x04, {0x80, 0x90, 0xA3});
    EXPECT_TRUE(a.ends_with(octet("5", 0xA3) + field("User Layer 1 Protocol:", "G.711 A-law"))) << a;
    EXPECT_NE(a.find("SPEECH"), std::string::npos);
    EXPECT_TRUE(element(0x04, {0x80, 0x90, 0xBF}).ends_with(field("User Layer 1 Protocol:", "Unknown")));
}

TEST(BearerCapability, Octets4a4bAnd5a)
{
    std::string r = element(0x04, {0x88, 0x40, 0x00, 0x90, 0x21, 0x4F});
    EXPECT_EQ(r, "\r            Bearer Capability IE\r" + octet("3", 0x88) + field("Coding Standard:", "CCITT standard") +
                     "                    Information Transfer Capability:\r\r"
                     "                        UNRESTRICTED DIGITAL INFORMATION\r\r" +
                     octet("4", 0x40) + field("Transfer Mode:", "Packet mode") +
                     field("Information Transfer Rate:", "Packet mode") + octet("4a", 0x00) +
                     field("Structure:", "Service Data Unit integrity") + field("Configuration:", "point-to-point") +
                     field("Establishment:", "demand") + octet("4b", 0x90) +
                     field("Symmetry:", "bidirectional symmetric") + field("Information Transfer Rate:", "64 kbit/s") +
                     octet("5", 0x21) + field("User Layer 1 Protocol:", "V.110/X.30 or V.120") + octet("5a", 0x4F) +
                     field("Synch./Asynch:", "Asynchronous") + field("Negotiation:", "negotiation not possible") +
                     field("User rate:", "56 kbit/s (V.6)"));
    // Structure values without a name of their own take the rate's text.
    std::string s = element(0x04, {0x88, 0x11, 0xA5});
    EXPECT_NE(s.find(field("Structure:", "2 x 64 kbit/s")), std::string::npos) << s;
    EXPECT_NE(s.find(field("Configuration:", "unknown")), std::string::npos);
    EXPECT_NE(s.find(field("Establishment:", "unknown")), std::string::npos);
    // 4a announced but missing: the element stops there.
    EXPECT_TRUE(element(0x04, {0x88, 0x10}).ends_with(field("Information Transfer Rate:", "64 kbit/s")));
}

TEST(Cause, NormalClearingFromUser)
{
    EXPECT_EQ(element(0x08, {0x80, 0x90}),
              "\r            Cause IE\r" + octet("3", 0x80) + field("Coding Standard:", "CCITT standard") +
                  "                    Location:\r\r                        User\r\r" + octet("4", 0x90) +
                  "                    Cause Value:\r\r                        Normal clearing\r");
    std::string r = element(0x08, {0xEB, 0xC4});
    EXPECT_NE(r.find("Network standard"), std::string::npos);
    EXPECT_NE(r.find("                        Unknown\r\r"), std::string::npos); // location 11
    EXPECT_TRUE(r.ends_with("                        Unknown\r"));
    EXPECT_EQ(element(0x08, {}), "\r            Cause IE\r");
}

TEST(ChannelIdentification, BasicAndPrimaryRate)
{
    EXPECT_EQ(element(0x18, {0x89}),
              "\r            Channel Identification IE\r" + octet("3", 0x89) +
                  field("Interface Id Present:", "Implicitly identified") + field("Interface Type:", "Basic Rate") +
                  field("Preferred/Exclusive:", "Exclusive") + field("D-channel indicator:", "not D-channel") +
                  field("Channel selection:", "B1 channel"));
    std::string pri = element(0x18, {0xA9, 0x83, 0x97});
    EXPECT_TRUE(pri.ends_with(field("Channel selection:", "See following octets") + "\r" + octet("3.2", 0x83) +
                              field("Coding Standard:", "CCITT standard") + field("Spec type:", "Channel Number") +
                              "                    Channel/Map units:               B-channel units\r\r" +
                              octet("3.3", 0x97) + field("Channel:", "23")))
        << pri;
    std::string map = element(0x18, {0xE1, 0x93, 0x01, 0x02});
    EXPECT_TRUE(map.ends_with(field("Spec type:", "Slot Map") +
                              "                    Channel/Map units:               B-channel units\r\r" +
                              octet("3.3.1", 1) + octet("3.3.2", 2)))
        << map;
}

TEST(SmallElements, CallStateNotificationInfoRequestSwitchhookEndpoint)
{
    EXPECT_EQ(element(0x14, {0x0A}),
              "\r            Call State IE\r" + octet("3", 0x0A) + field("Call State:", "Active"));
    EXPECT_TRUE(element(0x14, {0x3F}).ends_with(field("Call State:", "Unknown")));
    EXPECT_TRUE(element(0x27, {0x01}).ends_with(field("Notification Description:", "User resumed")));
    EXPECT_TRUE(element(0x27, {0x81}).ends_with(field("Notification Description:", "Unknown")));
    EXPECT_TRUE(element(0x32, {0x42}).ends_with(field("Information Request Indicator:", "Info Request Completed") +
                                                field("Type of Information:", "Address digits")));
    EXPECT_TRUE(element(0x36, {0x81}).ends_with(field("Switchhook Value:", "Off-hook")));
    EXPECT_EQ(element(0x3B, {0x81, 0x45}),
              "\r            Endpoint ID IE\r" + octet("3", 0x81) + field("User Service Identifier:", "0x1") +
                  octet("4", 0x45) + field("Interpreter:", "Match USID/!TID") + field("Terminal Identifier:", "0x5"));
}

TEST(Signal, ValuesAndAlertingPattern)
{
    EXPECT_TRUE(element(0x34, {0x00}).ends_with(field("Signal Value:", "Dial tone on")));
    EXPECT_TRUE(element(0x34, {0x3F}).ends_with(field("Signal Value:", "Tones off")));
    EXPECT_TRUE(element(0x34, {0x4F}).ends_with(field("Signal Value:", "Alerting off")));
    EXPECT_TRUE(element(0x34, {0x42}).ends_with(field("Signal Value:", "Alerting on - pattern 2")));
}

TEST(ProgressIndicator, InbandInformation)
{
    EXPECT_EQ(element(0x1E, {0x82, 0x88}),
              "\r            Progress Indicator E\r" + octet("3", 0x82) + field("Coding Standard:", "CCITT standard") +
                  "                    Location:\r\r                        Public network serving local user\r\r" +
                  octet("4", 0x88) +
                  "                    Progress Description:\r\r                        In-band information available\r\r");
}

TEST(DumpElements, KeypadCallIdentitySpidAndCalledNumber)
{
    EXPECT_EQ(element(0x2C, {'1', '2'}),
              "\r            Keypad IE\r                Keypad information:\r"
              "\r                    31 32                   |12|\r");
    EXPECT_EQ(element(0x10, {}), "\r            Call Identity IE\r");
    EXPECT_TRUE(element(0x3A, {'9'}).starts_with(
        "\r            Service Profile ID IE\r                Service Profile Identifier:\r"));
    EXPECT_EQ(element(0x70, {0xA1, '5', '5', '5'}),
              "\r            Called Party numberIE\r" + octet("3", 0xA1) + field("Type of number:", "Nat'l number") +
                  "                    Numbering Plan:                  ISDN (E.164/E.163)\r\r"
                  "                Called Party number information:\r"
                  "\r                    35 35 35                |555|\r");
    EXPECT_NE(element(0x70, {0x99}).find(field("Type of number:", "Int'l number")), std::string::npos);
    EXPECT_NE(element(0x70, {0xC8}).find("Numbering Plan:                  Private\r\r"), std::string::npos);
}

TEST(DisplayText, BlanksSkipAndTextTags)
{
    std::string r = element(0x2A, {0x80, 0x80, 0x01, 0x03, 0x8E, 0x02, 'A', 'B', 0x81, 0x01, 0x02}, 5);
    EXPECT_EQ(r, "\r            Display Text IE\r" + octet("3", 0x80) + field("Display Type:", "Normal") + "\r" +
                     octet("4", 0x80) + field("Display Tag:", "Space") + octet("5", 0x01) +
                     field("Display Length:", "1") + "                Octet 6 (display text begins)\r" +
                     field("Number of blanks:", "3") + "\r" + octet("7", 0x8E) +
                     field("Display Tag:", "Called party name") + octet("8", 0x02) + field("Display Length:", "2") +
                     "                Octet 9 (display text begins)\r" +
                     "\r                    41 42                   |AB|\r" + "\r" + octet("11", 0x81) +
                     field("Display Tag:", "Skip") + octet("12", 0x01) + field("Display Length:", "1") +
                     "                Octet 13 (display text begins)\r" + field("Number to skip:", "2"));
}

TEST(DisplayText, LengthPastContentsStops)
{
    std::string r = element(0x2A, {0x01, 0xFF, 0x20, 'x', 0x9D}, 5);
    EXPECT_TRUE(r.ends_with(field("Display Type:", "Unknown") + "\r" + octet("4", 0xFF) +
                            field("Display Tag:", "Unknown") + octet("5", 0x20) + field("Display Length:", "32") +
                            "                Octet 6 (display text begins)\r" +
                            "\r                    78 9d                   |x\x9d|\r"))
        << r;
    // A tag without its length octet.
    EXPECT_TRUE(element(0x2A, {0x00, 0x9C}, 5).ends_with(field("Display Tag:", "Text")));
}

TEST(AttManagement, ParametersAndCodes)
{
    Bytes c = {0x13, 0x81, 0x91, 0x84, 0x01, 0x02, '0', '1', 0x02, 0x02, 0x81, 0x85, 0x09, 0x01, 0x0A, 0x0A,
               0x01, 0x89, 0x13, 0x01, 0x01, 0x70, 0x01, 0x92, 0x2A, 0x01, 0x00};
    std::string r = element(0x7A, c, 6);
    std::string want = "\r            ATT Management Info IE\r" + octet("3", 0x13) +
                       field("Mgmt. Protocol Discriminator:", "0x13") + octet("4", 0x81) +
                       field("Transaction Reference:", "0x1") + octet("5", 0x91) +
                       field("Operation Class:", "Confirmed Operation") + field("Operation Type:", "Event Report") +
                       octet("6", 0x84) + field("Code:", "Unknown") +
                       // parameter 1
                       octet("7g", 0x01) + field("Parameter Identifier:", "Service Profile Identifier") +
                       octet("7h", 0x02) + field("Parameter Length:", "2") +
                       "                Service Profile Identifier:\r\r                    30 31                   |01|\r" +
                       // parameter 2
                       octet("7g", 0x02) + field("Parameter Identifier:", "Endpoint Identifier") + octet("7h", 0x02) +
                       field("Parameter Length:", "2") + "                Octet 7i (0x81) (USID)\r" +
                       octet("7j", 0x85) + field("Flag:", "Full Service") + field("TID:", "0x5") +
                       // parameter 9
                       octet("7g", 0x09) + field("Parameter Identifier:", "Call State Identifier") +
                       octet("7h", 0x01) + field("Parameter Length:", "1") + octet("7i", 0x0A) +
                       field("Call State:", "Active") +
                       // parameter 10
                       octet("7g", 0x0A) + field("Parameter Identifier:", "Channel Identifier") + octet("7h", 0x01) +
                       field("Parameter Length:", "1") + octet("7i", 0x89) + field("Preferred/Exclusive:", "Exclusive") +
                       field("D-channel indicator:", "D-channel") + field("Channel selection:", "B1 channel") +
                       // parameter 19
                       octet("7g", 0x13) + field("Parameter Identifier:", "Loopback Location") + octet("7h", 0x01) +
                       field("Parameter Length:", "1") + "                Octet 7i (0x1) (Loopback location)\r" +
                       // parameter 112
                       octet("7g", 0x70) + field("Parameter Identifier:", "Cause Identifier") + octet("7h", 0x01) +
                       field("Parameter Length:", "1") + octet("7i", 0x92) +
                       field("Cause value:", "Provided Management Parameter Unknown") +
                       // parameter 42: nothing after its length
                       octet("7g", 0x2A) + field("Parameter Identifier:", "Supplementary Capabilities") +
                       octet("7h", 0x01) + field("Parameter Length:", "1");
    EXPECT_EQ(r, want);
}

TEST(AttManagement, RejectCodesAndTruncation)
{
    EXPECT_TRUE(element(0x7A, {0x13, 0x01, 0x50, 0x02}, 6)
                    .ends_with(field("Operation Class:", "Reject") + field("Operation Type:", "Action") +
                               octet("6", 0x02) + field("Code:", "Unrecognized Operation")));
    EXPECT_TRUE(element(0x7A, {0x13, 0x01, 0x03, 0x01}, 6).ends_with(field("Code:", "Address Information")));
    EXPECT_TRUE(element(0x7A, {0x13, 0x01, 0x70}, 6).ends_with(field("Operation Class:", "Unknown") +
                                                               field("Operation Type:", "Action")));
    // A parameter length past the contents: the value is cut, the walk ends.
    std::string r = element(0x7A, {0x13, 0x01, 0x00, 0x08, 0x02, 0x09, 0x81}, 6);
    EXPECT_TRUE(r.ends_with(field("Parameter Length:", "9") + "                Octet 7i (0x81) (USID)\r")) << r;
}

TEST(GenericElement, UnknownIdentifierShowsCodesetAndLength)
{
    EXPECT_EQ(element(0x6C, {1, 2, 3}),
              "\r            Variable length IE, codeset = 0 code = 0x6c, length = 3\r");
    EXPECT_EQ(element(0x04, {0x80}, 5), "\r            Variable length IE, codeset = 5 code = 0x4, length = 1\r");
    EXPECT_EQ(element(0x2A, {}, 6), "\r            Variable length IE, codeset = 6 code = 0x2a, length = 0\r");
    EXPECT_EQ(element(0x08, {}, 3), "\r            Cause IE\r");
}
