// LAPD frame decode and TEI management.
#include "dump.h"
#include "q921.h"
#include "q931.h"

namespace linescope {

LapdControl classify_control(std::uint8_t control)
{
    LapdControl c;
    if ((control & 0x01) == 0) {
        c.kind = FrameKind::I;
        c.i_format = true;
        c.s_format = true;
        return c;
    }
    if ((control & 0x03) == 0x01) {
        c.s_format = true;
        switch (control) {
        case 0x01: c.kind = FrameKind::RR; break;
        case 0x05: c.kind = FrameKind::RNR; break;
        case 0x09: c.kind = FrameKind::REJ; break;
        default: c.kind = FrameKind::Unknown; break;
        }
        return c;
    }
    switch (control & ~0x10u) {
    case 0x03: c.kind = FrameKind::UI; break;
    case 0x0F: c.kind = FrameKind::DM; break;
    case 0x43: c.kind = FrameKind::DISC; break;
    case 0x6F: c.kind = FrameKind::SABME; break;
    case 0x63: c.kind = FrameKind::UA; break;
    case 0x87: c.kind = FrameKind::FRMR; break;
    default: c.kind = FrameKind::Unknown; break;
    }
    return c;
}

std::string_view frame_kind_name(FrameKind kind)
{
    switch (kind) {
    case FrameKind::I: return "IFRAME";
    case FrameKind::RR: return "RR";
    case FrameKind::RNR: return "RNR";
    case FrameKind::REJ: return "REJ";
    case FrameKind::UI: return "UI";
    case FrameKind::DM: return "DM";
    case FrameKind::DISC: return "DISC";
    case FrameKind::SABME: return "SABME";
    case FrameKind::UA: return "UA";
    case FrameKind::FRMR: return "FRMR";
    case FrameKind::Unknown: break;
    }
    return "UNKNOWN";
}

std::string_view tei_message_name(unsigned type)
{
    static constexpr std::string_view kNames[] = {
        "UNKNOWN",          "ID Request", "ID Assigned", "ID Denied", "ID Check Request",
        "ID Check Response", "ID Remove", "ID Verify",
    };
    return type < 8 ? kNames[type] : kNames[0];
}

namespace {

void layer2_lines(Report& out, const std::uint8_t* f, const LapdControl& c, int direction)
{
    const bool cr = (f[0] & 0x02) != 0;
    // The network sends commands with C/R set, the user side with it clear.
    const bool command = direction == 0 ? cr : !cr;
    out.lit("            C/R BIT       -> ");
    out.put(cr ? std::string_view("SET") : std::string_view("CLEAR"));
    out.put(command ? std::string_view(" (COMMAND FRAME)\r") : std::string_view(" (RESPONSE FRAME)\r"));
    out.lit("            SAPI          -> ");
    out.udec(f[0] >> 2);
    out.lit("\r            TEI           -> ");
    out.udec(f[1] >> 1);
    out.lit("\r            COMMAND TYPE  -> ");
    out.put(frame_kind_name(c.kind));
    const bool pf = c.s_format ? (f[3] & 0x01) != 0 : (f[2] & 0x10) != 0;
    out.put(pf ? std::string_view("\r            P/F BIT       -> SET\r")
               : std::string_view("\r            P/F BIT       -> CLEAR\r"));
    if (c.i_format || c.kind == FrameKind::RR || c.kind == FrameKind::RNR || c.kind == FrameKind::REJ) {
        out.lit("            N(R)          -> ");
        out.udec(f[3] >> 1);
        out.cr();
    }
    if (c.i_format) {
        out.lit("            N(S)          -> ");
        out.udec(f[2] >> 1);
        out.cr();
    }
}

void information_field(Report& out, const Probes& probes, std::uint8_t switch_type, unsigned sapi,
                       const std::uint8_t* info, std::size_t n)
{
    if (probes.q931 && sapi == kSapiCallControl) {
        decode_layer3_msg(out, switch_type, info, n);
    } else if (probes.x25 && sapi == kSapiPacket) {
        decode_x25(out, info, n);
    } else {
        out.lit("            INFO: (");
        out.udec(n);
        out.lit(" octets)\r");
        hex_dump(out, info, n, 12);
    }
}

} // namespace

void decode_dchannel(Report& out, const Probes& probes, std::uint8_t switch_type, const std::uint8_t* f,
                     std::size_t n, int direction)
{
    // Address and control must be there before anything can be said; an
    // I or S frame also needs its second control octet.
    LapdControl c;
    bool whole = n >= 3;
    if (whole) {
        c = classify_control(f[2]);
        whole = !c.s_format || n >= 4;
    }
    if (!whole) {
        if (probes.q921) {
            out.lit("\r        Layer 2 Decode:\r\r");
            out.lit("            Short frame (");
            out.udec(n);
            out.lit(" octets), could not decode as Q.921\r");
        }
        return;
    }
    if (probes.q921) {
        out.lit("\r        Layer 2 Decode:\r\r");
        layer2_lines(out, f, c, direction);
    }
    const unsigned sapi = f[0] >> 2;
    if (c.i_format) {
        information_field(out, probes, switch_type, sapi, f + 4, n - 4);
    } else if (c.kind == FrameKind::UI) {
        if (probes.q921 && n > 3 && f[3] == kTeiManagementEntity)
            decode_tei_management(out, f + 3, n - 3);
        else
            information_field(out, probes, switch_type, sapi, f + 3, n - 3);
    }
}

void decode_tei_management(Report& out, const std::uint8_t* m, std::size_t n)
{
    // A message cut short shows the fields it holds whole.
    out.lit("\r            TEI Management Message\r\r");
    out.lit("            Management Entity ID   --> ");
    out.udec(m[0]);
    out.cr();
    if (n < 3)
        return;
    out.lit("            Reference Number (Ri)  --> ");
    out.udec(m[1] << 8 | m[2]);
    out.cr();
    if (n < 4)
        return;
    const unsigned type = m[3];
    out.lit("            Message Type           --> ");
    out.udec(type);
    out.lit("    (");
    out.put(tei_message_name(type));
    out.lit(")\r");
    if (n < 5)
        return;
    const unsigned ai = m[4];
    out.lit("            Action Indicator (Ai)  --> ");
    out.dec_pad(ai >> 1, 3, ' ');
    out.lit("  (");
    std::string_view text;
    switch (type) {
    case 1: text = "Any TEI value acceptable"; break;
    case 2: text = "Assigned TEI value"; break;
    case 3: text = "Denied TEI value"; break;
    case 4: text = ai >= 254 ? "Check all TEI values" : "TEI value to be checked"; break;
    case 5: text = "TEI value in use"; break;
    case 6: text = ai >= 254 ? "Request for removal of all TEI values" : "TEI value to be removed"; break;
    case 7: text = "TEI value to be checked"; break;
    default: text = "???"; break;
    }
    out.put(text);
    out.lit(")\r");
}

} // namespace linescope
