// Record dispatch: the block head and the per-type lines of the report.
#include "dump.h"
#include "ppp.h"
#include "q921.h"
#include "session.h"

namespace linescope {

namespace {

constexpr char kVersion[] = "Version 1.0";
constexpr char kDate[] = "02/19/99";
constexpr char kEquals[] = "=============================================================================";
constexpr char kDashes[] = "-----------------------------------------------------------------------------";
static_assert(sizeof kEquals - 1 == 77 && sizeof kDashes - 1 == 77);

void block_head(Session& s, const RecordHeader& h, Report& out)
{
    out.cr();
    out.lit(kDashes);
    out.cr();
    // The reference may lie after the record: count the difference signed
    // so that such a record shows a time just before the reference.
    std::int64_t t = s.base_time + (static_cast<std::int64_t>(h.timestamp) - static_cast<std::int64_t>(s.reference));
    s.clock.stamp(t, out);
    out.lit("\r\r");
}

std::string_view switch_type_name(std::uint8_t type)
{
    switch (type) {
    case switch_type::kNationalIsdn: return "National ISDN";
    case switch_type::kAtt5ess: return "AT&T 5ESS Custom";
    case switch_type::kDms100: return "Northern Telecom DMS-100 Custom";
    default: return "Unknown";
    }
}

} // namespace

void print_header(Report& out)
{
    out.lit("Varnel ISDN Event LINESCOPE Utility                 ");
    out.lit(kVersion);
    out.lit("           ");
    out.lit(kDate);
    out.cr();
    out.lit(kEquals);
    out.lit("\r\r\r");
}

void print_trailer(Report& out, std::uint64_t records)
{
    out.cr();
    out.lit(kEquals);
    out.cr();
    out.lit(kEquals);
    out.cr();
    out.udec(records);
    out.lit(" Records processed.\r");
}

void print_rec(Session& s, const RecordHeader& h, const std::uint8_t* p, Report& out)
{
    const std::size_t n = h.length;
    switch (h.type) {
    case rec::kDReceive:
    case rec::kDTransmit:
        if (!s.probes.any_dchannel())
            return;
        block_head(s, h, out);
        if (h.type == rec::kDReceive)
            out.lit("  <<<   ISDN D-Channel Receive Pkt                                   CPE<-NET\r");
        else
            out.lit("  >>>   ISDN D-Channel Transmit Pkt                                  NET<-CPE\r");
        decode_dchannel(out, s.probes, s.switch_type, p, n, h.type == rec::kDReceive ? 0 : 1);
        if (s.probes.raw_dump) {
            out.lit("\r        Layer 1 Message Dump:\r");
            hex_dump(out, p, n, 12);
        }
        return;
    case rec::kSyncLost:
    case rec::kSyncAcquired:
        if (!s.probes.physical)
            return;
        block_head(s, h, out);
        if (h.type == rec::kSyncLost)
            out.lit("        ISDN Physical Layer Synchronization Lost\r");
        else
            out.lit("        ISDN Physical Layer Synchronization Acquired\r");
        return;
    case rec::kDriversLoaded:
        // A record without its switch-type byte leaves the type as it was.
        out.lit("Drivers loaded.\r");
        out.lit("\r            Switch type = ");
        if (n >= 1) {
            s.switch_type = p[0];
            out.put(switch_type_name(p[0]));
        } else {
            out.lit("Unknown");
        }
        out.cr();
        return;
    case rec::kDriversUnloaded:
        out.lit("Drivers unloaded.\r");
        return;
    case rec::kTimeReference:
        s.reference = h.timestamp;
        return;
    case rec::kPort1Offhook:
    case rec::kPort1Onhook:
    case rec::kPort2Offhook:
    case rec::kPort2Onhook:
        if (!s.probes.analog)
            return;
        block_head(s, h, out);
        out.lit("        Analog Device Port ");
        out.ch(h.type <= rec::kPort1Onhook ? '1' : '2');
        if (h.type == rec::kPort1Offhook || h.type == rec::kPort2Offhook)
            out.lit(" transition: Offhook\r");
        else
            out.lit(" transition: Onhook\r");
        return;
    case rec::kBReceive:
    case rec::kBTransmit: {
        if (!s.probes.isdn_ppp)
            return;
        block_head(s, h, out);
        // An empty payload has no channel byte: it counts as "not B1".
        int channel = (n >= 1 && p[0] == 1) ? 1 : 2;
        if (h.type == rec::kBReceive) {
            out.lit("  <<<   ISDN B-Channel #");
            out.ch(static_cast<char>('0' + channel));
            out.lit(" Receive Pkt (PPP CP)                      CPE<-NET\r");
        } else {
            out.lit("  >>>   ISDN B-Channel #");
            out.ch(static_cast<char>('0' + channel));
            out.lit(" Transmit Pkt (PPP CP)                     NET<-CPE\r");
        }
        if (n >= 1)
            decode_ppp(out, p + 1, n - 1);
        else
            decode_ppp(out, p, 0);
        return;
    }
    case rec::kDteReceive:
    case rec::kDteTransmit:
        if (!s.probes.dte_ppp)
            return;
        block_head(s, h, out);
        if (h.type == rec::kDteReceive)
            out.lit("  >>>   DTE Receive Pkt (PPP CP)                                     CPE<-DTE\r");
        else
            out.lit("  <<<   DTE Transmit Pkt (PPP CP)                                    DTE<-CPE\r");
        decode_ppp(out, p, n);
        return;
    default:
        return; // counted, nothing written
    }
}

void write_report(ByteSource& source, Session& session, Report& out, std::size_t buffer_size)
{
    print_header(out);
    RecordReader reader(source, buffer_size);
    RecordHeader header;
    const std::uint8_t* payload = nullptr;
    while (reader.next(header, payload)) {
        ++session.records;
        print_rec(session, header, payload, out);
    }
    print_trailer(out, session.records);
}

} // namespace linescope
