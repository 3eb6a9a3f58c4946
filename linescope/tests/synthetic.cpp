// The mixed capture used by the benchmark and the streaming tests.
#include "blog.h"
#include "capture_builder.h"

namespace linescope::testing {

namespace {

struct Template {
    std::uint8_t type;
    Bytes payload;
    // Offsets of a LAPD frame's N(S)/N(R) octets and of a Q.931 call
    // reference, varied per record; 0 means none.
    std::size_t ns = 0, nr = 0, cref = 0;
};

std::vector<Template> templates()
{
    std::vector<Template> t;
    auto dch = [&](bool tx, const Bytes& frame, bool numbered, bool q931_info) {
        Template x{static_cast<std::uint8_t>(tx ? rec::kDTransmit : rec::kDReceive), frame};
        if (numbered) {
            x.ns = 2;
            x.nr = 3;
        }
        if (q931_info)
            x.cref = 6;
        t.push_back(x);
    };
    const Bytes bearer = ie(0x04, {0x80, 0x90, 0xA2});
    const Bytes data_bearer = ie(0x04, {0x88, 0x90, 0x21, 0x8F});
    const Bytes channel = ie(0x18, {0x83});
    const Bytes b1 = ie(0x18, {0x89});
    const Bytes called = ie(0x70, {0xC1, '5', '5', '5', '1', '2', '1', '2'});
    const Bytes keypad = ie(0x2C, {'1', '2', '3', '4'});
    const Bytes spid = ie(0x3A, {'0', '1', '5', '5', '5', '1', '2', '1', '2', '0', '0'});
    const Bytes endpoint = ie(0x3B, {0x81, 0x81});
    const Bytes signal = ie(0x34, {0x01});
    const Bytes progress = ie(0x1E, {0x82, 0x88});
    const Bytes cause_normal = ie(0x08, {0x80, 0x90});
    const Bytes cause_busy = ie(0x08, {0x82, 0x91});
    const Bytes state = ie(0x14, {0x0A});
    const Bytes display = concat({{0x9D}, ie(0x2A, {0x80, 0x8E, 0x05, 'A', 'l', 'i', 'c', 'e', 0x8B, 0x03, '5', '5', '5'})});
    const Bytes att = concat({{0x96}, ie(0x7A, {0x13, 0x81, 0x91, 0x84, 0x01, 0x02, '0', '1', 0x02, 0x02, 0x81, 0x85, 0x09, 0x01, 0x0A})});

    // Call set-up and clearing.
    dch(true, i_frame(0, 64, false, 0, 0, false, q931(1, false, 0x05, concat({{0xA1}, bearer, channel, keypad, called, spid}))), true, true);
    dch(false, s_frame(0x01, 0, 64, false, 1, false), false, false);
    dch(false, i_frame(0, 64, true, 0, 1, false, q931(1, true, 0x02, b1)), true, true);
    dch(false, i_frame(0, 64, true, 1, 1, false, q931(1, true, 0x01, concat({signal, progress, display}))), true, true);
    dch(true, s_frame(0x01, 0, 64, false, 2, true), false, false);
    dch(false, i_frame(0, 64, true, 2, 1, false, q931(1, true, 0x07, concat({b1, signal, display}))), true, true);
    dch(true, i_frame(0, 64, false, 1, 3, false, q931(1, false, 0x0F, {})), true, true);
    dch(true, i_frame(0, 64, false, 2, 3, false, q931(1, false, 0x7B, keypad)), true, true);
    dch(false, i_frame(0, 64, true, 3, 3, false, q931(1, true, 0x45, concat({cause_normal, progress}))), true, true);
    dch(true, i_frame(0, 64, false, 3, 4, false, q931(1, false, 0x4D, cause_normal)), true, true);
    dch(false, i_frame(0, 64, true, 4, 4, false, q931(1, true, 0x5A, concat({cause_busy, state}))), true, true);
    dch(true, i_frame(0, 64, false, 4, 5, false, q931(2, false, 0x05, concat({data_bearer, channel, called, endpoint}))), true, true);
    dch(false, i_frame(0, 64, true, 5, 5, false, q931(2, true, 0x7D, concat({cause_busy, state}))), true, true);
    dch(false, i_frame(0, 64, true, 6, 5, false, concat({q931(3, true, 0x62, concat({att}))})), true, true);
    // Link set-up, supervision, TEI management.
    dch(true, tei_frame(0x1234, 1, 127), false, false);
    dch(false, tei_frame(0x1234, 2, 64), false, false);
    dch(false, tei_frame(0, 4, 127), false, false);
    dch(true, tei_frame(0x4321, 5, 64), false, false);
    dch(true, u_frame(0x7F, 0, 64, false), false, false);
    dch(false, u_frame(0x73, 0, 64, false), false, false);
    dch(false, s_frame(0x05, 0, 64, true, 3, true), false, false);
    dch(true, s_frame(0x09, 0, 64, false, 3, false), false, false);
    dch(true, u_frame(0x53, 0, 64, false), false, false);
    dch(false, u_frame(0x1F, 0, 64, false), false, false);
    dch(false, u_frame(0x87, 0, 64, false, {0x01, 0x02, 0x03}), false, false);
    // X.25 on SAPI 16.
    dch(true, i_frame(16, 64, false, 0, 0, false, {0x10, 0x01, 0x0B, 0x35, 0x12, 0x34, 0x51, 0x23, 0x00}), true, false);
    dch(false, i_frame(16, 64, true, 0, 1, false, {0x10, 0x01, 0x0F}), true, false);
    dch(true, i_frame(16, 64, false, 1, 1, false, {0x10, 0x01, 0x41}), true, false);
    dch(false, i_frame(16, 64, true, 1, 2, false, {0x10, 0x01, 0x13, 0x09, 0x43}), true, false);
    dch(true, i_frame(16, 64, false, 2, 2, false, {0x10, 0x00, 0xFB, 0x07, 0x00}), true, false);

    // PPP on the B channel and the DTE side.
    auto b = [&](bool tx, const Bytes& packet) {
        Template x{static_cast<std::uint8_t>(tx ? rec::kBTransmit : rec::kBReceive), concat({{1}, packet})};
        t.push_back(x);
    };
    auto dte = [&](bool tx, const Bytes& packet) {
        t.push_back({static_cast<std::uint8_t>(tx ? rec::kDteTransmit : rec::kDteReceive), packet});
    };
    const Bytes lcp_opts = {0x01, 0x04, 0x05, 0xDC, 0x02, 0x06, 0x00, 0x0A, 0x00, 0x00, 0x03, 0x04, 0xC0, 0x23,
                            0x05, 0x06, 0x12, 0x34, 0x56, 0x78, 0x07, 0x02, 0x08, 0x02, 0x13, 0x07, 0x01,
                            0xAA, 0xBB, 0xCC, 0xDD};
    b(true, ppp(0xC021, 1, 1, lcp_opts));
    b(false, ppp(0xC021, 1, 7, {0x03, 0x05, 0xC2, 0x23, 0x05, 0x05, 0x06, 0x01, 0x02, 0x03, 0x04}));
    b(false, ppp(0xC021, 2, 1, lcp_opts));
    b(true, ppp(0xC021, 3, 7, {0x03, 0x04, 0xC0, 0x23}));
    b(false, ppp(0xC021, 9, 2, {0x12, 0x34, 0x56, 0x78}));
    b(true, ppp(0xC021, 8, 3, {0x80, 0x2B, 0x01, 0x01, 0x00, 0x04}));
    b(true, ppp(0xC023, 1, 1, {0x04, 'u', 's', 'e', 'r', 0x06, 's', 'e', 'c', 'r', 'e', 't'}));
    b(false, ppp(0xC023, 2, 1, {0x0B, 'W', 'e', 'l', 'c', 'o', 'm', 'e', ' ', 'i', 'n', '.'}));
    b(false, ppp(0xC223, 1, 1, {0x08, 1, 2, 3, 4, 5, 6, 7, 8, 'n', 'a', 's'}));
    b(true, ppp(0xC223, 2, 1, {0x10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 'u', 's', 'e', 'r'}));
    b(false, ppp(0xC223, 3, 1, {}));
    b(true, ppp(0x8021, 1, 1, {0x02, 0x06, 0x00, 0x2D, 0x0F, 0x01, 0x03, 0x06, 0, 0, 0, 0, 0x81, 0x06, 0, 0, 0, 0}));
    b(false, ppp(0x8021, 3, 1, {0x03, 0x06, 192, 168, 1, 5, 0x81, 0x06, 192, 168, 1, 1}));
    b(true, ppp(0x802B, 1, 1, {0x01, 0x06, 0, 0, 0, 1}));
    b(false, ppp(0x803F, 1, 1, {0x01, 0x04, 0x00, 0x02}));
    b(true, ppp(0x80FD, 1, 1, {0x11, 0x05, 0x00, 0x01, 0x03, 0x12, 0x06, 0x00, 0x00, 0x00, 0x01}));
    b(false, ppp(0xC02B, 1, 1, {0x17, 0x06, 0x11, 0x22, 0x33, 0x44}));
    b(true, ppp(0xC02D, 1, 1, {0x01, 0x06, 0x00, 0x01, 0xF4, 0x00}));
    b(false, ppp(0xC02D, 2, 1, {0x00, 0x04, 0x06, 0x02, 0x00, 0x01}));
    dte(false, ppp(0xC021, 1, 1, lcp_opts, false));
    dte(true, ppp(0xC021, 2, 1, lcp_opts, false));
    dte(false, ppp(0x8021, 1, 2, {0x03, 0x06, 0, 0, 0, 0}));
    dte(true, ppp(0xC021, 5, 3, {}));
    dte(true, ppp(0x0021, 0x45, 0, {0x00, 0x1C, 0, 0}));

    // Line events.
    t.push_back({rec::kSyncLost, {}});
    t.push_back({rec::kSyncAcquired, {}});
    t.push_back({rec::kPort1Offhook, {}});
    t.push_back({rec::kPort1Onhook, {}});
    t.push_back({rec::kTimeReference, {}});
    return t;
}

} // namespace

Bytes synthetic_records(std::size_t records, std::uint32_t seed)
{
    const std::vector<Template> t = templates();
    Bytes out;
    out.reserve(records * 40);
    Bytes head = record(rec::kDriversLoaded, {switch_type::kNationalIsdn}, 0);
    out.insert(out.end(), head.begin(), head.end());
    std::uint32_t state = seed;
    std::uint32_t ts = 1000;
    for (std::size_t i = 1; i < records; ++i) {
        state = state * 1664525u + 1013904223u;
        const Template& x = t[i % t.size()];
        if ((state >> 28) == 0)
            ++ts;
        Bytes r = record(x.type, x.payload, ts);
        std::uint8_t* p = r.data() + 8;
        if (x.ns)
            p[x.ns] = static_cast<std::uint8_t>((state >> 8) & 0xFE);
        if (x.nr)
            p[x.nr] = static_cast<std::uint8_t>(((state >> 16) & 0xFE) | (p[x.nr] & 1));
        if (x.cref)
            p[x.cref] = static_cast<std::uint8_t>((p[x.cref] & 0x80) | ((state >> 20) & 0x7F));
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

} // namespace linescope::testing
