// Value texts of the Q.931 information elements.
#include "q931.h"

namespace linescope {

namespace {

constexpr std::string_view kUnknown = "Unknown";

template <std::size_t N>
std::string_view pick(const std::string_view (&table)[N], unsigned v, std::string_view otherwise = kUnknown)
{
    return v < N && !table[v].empty() ? table[v] : otherwise;
}

} // namespace

std::string_view coding_standard_text(unsigned v)
{
    static constexpr std::string_view k[] = {"CCITT standard", "Reserved Int'l standard", "National standard",
                                             "Network standard"};
    return pick(k, v & 3);
}

std::string_view location_text(unsigned v)
{
    static constexpr std::string_view k[] = {
        "User", "Private network serving local user", "Public network serving local user", {},
        "Public network serving remote user", "Private network serving remote user", {}, {}, {}, {},
        "Network beyond interworking point",
    };
    return pick(k, v);
}

std::string_view call_state_text(unsigned v)
{
    static constexpr std::string_view k[] = {
        "Null", "Call initiated", "Overlap sending", "Outgoing call proceeding", "Call delivered", {},
        "Call present", "Call received", "Connect request", "Incoming call proceeding", "Active",
        "Disconnect request", "Disconnect indication", {}, {}, "Suspend request", {}, "Resume request", {},
        "Release request", {}, {}, "Call abort", {}, {}, "Overlap receiving",
    };
    return pick(k, v);
}

std::string_view cause_text(unsigned v)
{
    switch (v) {
    case 1: return "Unallocated (unassigned) number";
    case 2: return "No route to specified transit network";
    case 3: return "No route to destination";
    case 6: return "Channel unacceptable";
    case 7: return "Call awarded and being delivered in an established channel";
    case 16: return "Normal clearing";
    case 17: return "User busy";
    case 18: return "No user responding";
    case 19: return "User alerting, no answer";
    case 21: return "Call rejected";
    case 22: return "Number changed";
    case 26: return "Non-selected user clearing";
    case 27: return "Destination out of order";
    case 28: return "Invalid number format";
    case 29: return "Facility rejected";
    case 30: return "Response to STATus ENQuiry";
    case 31: return "Normal, unspecified";
    case 34: return "Circuit/channel congestion";
    case 41: return "Temporary failure";
    case 42: return "Switching equipment congestion";
    case 43: return "Access information discarded";
    case 44: return "Requested channel not available";
    case 47: return "Resource unavailable, unspecified";
    case 50: return "Requested facility not subscribed";
    case 57: return "Bearer capability not authorized";
    case 58: return "Bearer capability not presently available";
    case 63: return "Service or option not available, unspecified";
    case 65: return "Bearer capability not implemented";
    case 69: return "Requested facility not implemented";
    case 79: return "Service or option not implemented, unspecified";
    case 81: return "Invalid call reference value";
    case 88: return "Incompatible destination";
    case 96: return "Mandatory information element is missing";
    case 97: return "Message type non-existent or not implemented";
    case 99: return "Information element non-existent or not implemented";
    case 100: return "Invalid information element contents";
    case 101: return "Message not compatible with call state";
    case 102: return "Recovery of timer expiry";
    case 111: return "Protocol error, unspecified";
    case 127: return "Interworking, unspecified";
    default: return kUnknown;
    }
}

std::string_view channel_selection_text(bool primary_rate, unsigned v)
{
    static constexpr std::string_view basic[] = {"No channel", "B1 channel", "B2 channel", "Any channel"};
    static constexpr std::string_view primary[] = {"No channel", "See following octets", "Reserved",
                                                   "Any channel"};
    return primary_rate ? primary[v & 3] : basic[v & 3];
}

std::string_view transfer_rate_text(unsigned v)
{
    switch (v) {
    case 0: return "Packet mode";
    case 16: return "64 kbit/s";
    case 17: return "2 x 64 kbit/s";
    case 19: return "384 kbit/s";
    case 21: return "1536 kbit/s";
    case 23: return "1920 kbit/s";
    default: return "Reserved";
    }
}

std::string_view layer1_protocol_text(unsigned v)
{
    static constexpr std::string_view k[] = {
        "Unknown", "V.110/X.30 or V.120", "G.711 Mu-law", "G.711 A-law", "G.721 32 kbit/s ADPCM and I.460",
        "G.722 and 7 kHz audio", "H.261 for 384 kbit/s video", "Non-CCITT rate adaptation", "V.120",
        "X.31 HDLC flag stuffing",
    };
    return pick(k, v);
}

std::string_view user_rate_text(unsigned v)
{
    static constexpr std::string_view k[] = {
        "E-bit specified (I.460)",
        "0.6 kbit/s (V.6 and X.1)",
        "1.2 kbit/s (V.6)",
        "2.4 kbit/s (V.6 and X.1)",
        "3.6 kbit/s (V.6)",
        "4.8 kbit/s (V.6 and X.1)",
        "7.2 kbit/s (V.6)",
        "8 kbit/s (I.460)",
        "9.6 kbit/s (V.6 and X.1)",
        "14.4 kbit/s (V.6)",
        "16 kbit/s (I.460)",
        "19.2 kbit/s (V.6)",
        "32 kbit/s (I.460)",
        {},
        "48 kbit/s (V.6 and X.1)",
        "56 kbit/s (V.6)",
        {}, {}, {}, {}, {},
        "0.1345 kbit/s (X.1)",
        "0.100 kbit/s (X.1)",
        "0.075/1.2 kbit/s (V.6 and X.1)",
        "1.2/0.075 kbit/s (V.6 and X.1)",
        "0.050 kbit/s (V.6 and X.1)",
        "0.075 kbit/s (V.6 and X.1)",
        "0.110 kbit/s (V.6 and X.1)",
        "0.150 kbit/s (V.6 and X.1)",
        "0.200 kbit/s (V.6 and X.1)",
        "0.300 kbit/s (V.6 and X.1)",
        "12 kbit/s (V.6)",
    };
    return pick(k, v, "unknown");
}

std::string_view display_tag_text(unsigned v)
{
    static constexpr std::string_view k[] = {
        "Space", "Skip", "Continuation", "Called Address", "Cause", "Progress indicator",
        "Notification indicator", "Prompt", "Accumulated digits", "Status", "Inband", "Calling address",
        "Reason", "Calling party name", "Called party name", "Original call name", "Redirecting name",
        "Connected name", "Originatin restrictions", "Date & time of day", "Call appearance ID",
        "Feature address", "Redirection name", "Redirection number", "Redirecting number",
        "Original called number", "Conneced number", "Unknown", "Text",
    };
    return pick(k, v);
}

} // namespace linescope
