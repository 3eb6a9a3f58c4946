// X.25 packet layer on the D channel (SAPI 16).
#include "q921.h"

namespace linescope {

std::string_view x25_packet_type_name(std::uint8_t type)
{
    // RR, RNR and REJ carry P(R) in their top three bits.
    switch (type & 0x1F) {
    case 0x01: return "RR";
    case 0x05: return "RNR";
    case 0x09: return "REJ";
    default: break;
    }
    switch (type) {
    case 0x0B: return "Call Request";
    case 0x0F: return "Call Connected";
    case 0x13: return "Clear Request";
    case 0x17: return "Clear Confirmation";
    case 0x1B: return "Reset Request";
    case 0x1F: return "Reset Confirmation";
    case 0x23: return "Interrupt";
    case 0x27: return "Interrupt Confirmation";
    case 0xF1: return "Diagnostic";
    case 0xF3: return "Registration Request";
    case 0xF7: return "Registration Confirmation";
    case 0xFB: return "Restart Request";
    case 0xFF: return "Restart Confirmation";
    default: return "Unknown";
    }
}

namespace {

constexpr std::string_view kNotObtainable = "Cause Not Obtainable";

std::string_view clearing_cause(unsigned v)
{
    switch (v) {
    case 0: return "DTE Originated";
    case 1: return "Number Busy";
    case 3: return "Invalid Facility";
    case 5: return "Network Congestion";
    case 9: return "Out Of Order";
    case 11: return "Access Barred";
    case 17: return "Remote Procedure Error";
    case 19: return "Local Procedure Error";
    case 21: return "ROA Out Of Order";
    case 25: return "Reverse Charge Not Subscribed";
    case 33: return "Incompatible Destination";
    case 41: return "Fast Select Not Subscribed";
    case 57: return "Ship Absent";
    default: return kNotObtainable;
    }
}

std::string_view resetting_cause(unsigned v)
{
    switch (v) {
    case 0: return "DTE Originated";
    case 1: return "Out Of Order";
    case 3: return "Remote Procedure Error";
    case 5: return "Local Procedure Error";
    case 7: return "Network Congestion";
    case 9: return "Remote DTE Operational";
    case 15: return "Network Operational";
    case 17: return "Incompatible Destination";
    case 29: return "Network Out of Order";
    default: return kNotObtainable;
    }
}

std::string_view restarting_cause(unsigned v)
{
    switch (v) {
    case 0: return "DTE Originated";
    case 1: return "Local Procedure Error";
    case 3: return "Network Congestion";
    case 7: return "Network Operational";
    case 127: return "Registration/Cancellation confirmed";
    default: return kNotObtainable;
    }
}

std::string_view diagnostic(unsigned v)
{
    switch (v) {
    case 65: return "Facility Code Not Allowed";
    case 66: return "Facility Parameter Not Allowed";
    case 67: return "Invalid Called Address";
    case 68: return "Invalid Calling Address";
    case 69: return "Invalid Facility/Registration Length";
    case 70: return "Incoming Call Barred";
    case 71: return "No Logical Channel Available";
    case 72: return "Call Collision";
    case 76: return "Facility Not Provisioned";
    case 77: return "Invalid ITU Facility";
    default: return "No Diag Info";
    }
}

// Packed BCD digits, high nibble first, from the given nibble on; stops
// at the end of the packet.
void bcd_digits(const std::uint8_t* p, std::size_t n, std::size_t first_nibble, unsigned count, char* out,
                std::size_t& written)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    written = 0;
    for (unsigned i = 0; i < count; ++i) {
        std::size_t nib = first_nibble + i;
        if (nib / 2 >= n)
            break;
        std::uint8_t b = p[nib / 2];
        out[written++] = kDigits[nib % 2 == 0 ? b >> 4 : b & 0x0F];
    }
}

void call_request(Report& out, const std::uint8_t* p, std::size_t n)
{
    if (n < 4)
        return;
    const unsigned called = p[3] & 0x0F;
    const unsigned calling = p[3] >> 4;
    char digits[16];
    std::size_t len = 0;
    const std::uint8_t* addr = p + 4;
    const std::size_t addr_avail = n - 4;
    out.lit("            Called Address Length:  ");
    out.udec(called);
    out.lit("\r            Called Address:         ");
    bcd_digits(addr, addr_avail, 0, called, digits, len);
    out.put(digits, len);
    out.lit("\r            Calling Address Length: ");
    out.udec(calling);
    out.lit("\r            Calling Address:        ");
    bcd_digits(addr, addr_avail, called, calling, digits, len);
    out.put(digits, len);
    out.cr();
    const std::size_t facilities = 4 + (called + calling + 1) / 2;
    if (facilities < n) {
        out.lit("            Facilities Length:      ");
        out.udec(p[facilities]);
        out.cr();
    }
}

void cause_and_diagnostic(Report& out, std::string_view label, std::string_view cause, const std::uint8_t* p,
                          std::size_t n)
{
    out.put(label);
    out.put(cause);
    out.cr();
    if (n < 5)
        return;
    out.lit("            Diagnostic Code:        ");
    out.put(diagnostic(p[4]));
    out.cr();
}

} // namespace

void decode_x25(Report& out, const std::uint8_t* p, std::size_t n)
{
    out.lit("\r        Layer 3 Decode:\r\r");
    if (n >= 1 && ((p[0] >> 4) & 3) != 1) {
        out.lit("Invalid General Format Identifier (");
        out.udec((p[0] >> 4) & 3);
        out.lit("), could not decode as X.25 msg\r");
        return;
    }
    if (n < 3) {
        out.lit("Short packet (");
        out.udec(n);
        out.lit(" octets), could not decode as X.25 msg\r");
        return;
    }
    out.lit("            X.25 Message\r\r");
    out.lit("            General Format Identifier     --> ");
    out.udec(p[0] >> 4);
    out.lit("\r            Logical Channel Group Number  --> ");
    out.udec(p[0] & 0x0F);
    out.lit("\r            Logical Channel Number        --> ");
    out.udec(p[1]);
    out.lit("\r            Packet Type                   --> ");
    out.put(x25_packet_type_name(p[2]));
    out.lit("\r\r");
    if (n < 4 && p[2] != 0x0B)
        return;
    switch (p[2]) {
    case 0x0B:
        call_request(out, p, n);
        break;
    case 0x13:
        cause_and_diagnostic(out, "            Clearing Cause:         ", clearing_cause(p[3]), p, n);
        break;
    case 0x1B:
        cause_and_diagnostic(out, "            Resetting Cause:        ", resetting_cause(p[3]), p, n);
        break;
    case 0xFB:
        cause_and_diagnostic(out, "            Restarting Cause:       ", restarting_cause(p[3]), p, n);
        break;
    default:
        break;
    }
}

} // namespace linescope
