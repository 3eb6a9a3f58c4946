// Cross-check with a general protocol analyser: the capture is exported
// with linescope2pcap and dissected by tshark; SAPI, TEI, frame kind,
// N(R), N(S), message type, cause, bearer capability and channel
// identification must agree with the report. Skipped without tshark.
#include "program_runner.h"
#include "q931.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace linescope;
using namespace linescope::testing;

namespace {

struct Frame {
    std::map<std::string, std::string> f;
};

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == sep) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

std::string trim(const std::string& s)
{
    std::size_t a = s.find_first_not_of(' ');
    std::size_t b = s.find_last_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// The fields of each D-channel block of a report.
std::vector<Frame> report_frames(const std::string& report)
{
    std::vector<Frame> frames;
    const std::string rule = std::string(77, '-');
    std::vector<std::string> blocks;
    for (std::size_t at = 0; at != std::string::npos;) {
        std::size_t next = report.find(rule, at);
        blocks.push_back(report.substr(at, next == std::string::npos ? next : next - at));
        at = next == std::string::npos ? next : next + rule.size();
    }
    for (const std::string& block : blocks) {
        if (block.find("ISDN D-Channel") == std::string::npos)
            continue;
        Frame fr;
        std::vector<std::string> lines = split(block, '\r');
        const bool q931 = block.find("Q.931 Message") != std::string::npos;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string line = trim(lines[i]);
            auto value = [&](const std::string& label) -> bool {
                if (line.rfind(label, 0) != 0)
                    return false;
                return true;
            };
            auto after = [&](const std::string& label) { return trim(line.substr(label.size())); };
            auto next_text = [&]() {
                std::size_t j = i + 1;
                while (j < lines.size() && trim(lines[j]).empty())
                    ++j;
                return j < lines.size() ? trim(lines[j]) : std::string();
            };
            if (value("SAPI          ->"))
                fr.f["sapi"] = after("SAPI          ->");
            else if (value("TEI           ->"))
                fr.f["tei"] = after("TEI           ->");
            else if (value("COMMAND TYPE  ->"))
                fr.f["kind"] = after("COMMAND TYPE  ->");
            else if (value("N(R)          ->"))
                fr.f["nr"] = after("N(R)          ->");
            else if (value("N(S)          ->"))
                fr.f["ns"] = after("N(S)          ->");
            else if (q931 && value("Message Type           -->"))
                fr.f["msg"] = after("Message Type           -->");
            else if (value("Cause Value:") && !fr.f.count("cause"))
                fr.f["cause"] = next_text();
            else if (value("Information Transfer Capability:"))
                fr.f["cap"] = next_text();
            else if (value("Information Transfer Rate:") && !fr.f.count("rate"))
                fr.f["rate"] = after("Information Transfer Rate:");
            else if (value("Channel selection:") && !fr.f.count("chan"))
                fr.f["chan"] = after("Channel selection:");
            else if (value("User Layer 1 Protocol:"))
                fr.f["l1"] = after("User Layer 1 Protocol:");
        }
        frames.push_back(fr);
    }
    return frames;
}

long number(const std::string& s) { return std::strtol(s.c_str(), nullptr, 0); }

std::string kind_from_tshark(const std::vector<std::string>& v)
{
    // ftype, s_ftype, u_modifier_cmd, u_modifier_resp
    const long ftype = number(v[0]);
    if ((ftype & 1) == 0)
        return "IFRAME";
    if (ftype == 1) {
        // The analyser gives the field values shifted down to bit 0.
        switch (number(v[1])) {
        case 0: return "RR";
        case 1: return "RNR";
        case 2: return "REJ";
        default: return "UNKNOWN";
        }
    }
    const long m = number(v[2].empty() ? v[3] : v[2]) << 2;
    switch (m) {
    case 0x00: return "UI";
    case 0x0C: return "DM";
    case 0x40: return "DISC";
    case 0x6C: return "SABME";
    case 0x60: return "UA";
    case 0x84: return "FRMR";
    default: return "UNKNOWN";
    }
}

std::string capability_text(long v)
{
    switch (v) {
    case 0: return "SPEECH";
    case 8: return "UNRESTRICTED DIGITAL INFORMATION";
    case 9: return "RESTRICTED DIGITAL INFORMATION";
    case 16: return "3.1 kHz AUDIO";
    case 17: return "7 kHz AUDIO";
    case 24: return "VIDEO";
    default: return "???";
    }
}

Bytes comparison_capture()
{
    Bytes r = record('4', {0}, 0);
    auto add = [&](char type, const Bytes& frame) { r = concat({r, record(static_cast<std::uint8_t>(type), frame, 10)}); };
    add('1', tei_frame(0x1111, 1, 127));
    add('0', tei_frame(0x1111, 2, 70, true));
    add('1', u_frame(0x7F, 0, 70, false));
    add('0', u_frame(0x73, 0, 70, false));
    add('1', i_frame(0, 70, false, 0, 0, false,
                     q931(5, false, 0x05, concat({{0xA1}, ie(0x04, {0x80, 0x90, 0xA2}), ie(0x18, {0x83}),
                                                  ie(0x70, {0xC1, '5', '5', '5', '1', '2', '3', '4'})}))));
    add('0', s_frame(0x01, 0, 70, false, 1, false));
    add('0', i_frame(0, 70, true, 0, 1, false, q931(5, true, 0x02, ie(0x18, {0x89}))));
    add('0', i_frame(0, 70, true, 1, 1, true, q931(5, true, 0x01, ie(0x1E, {0x82, 0x88}))));
    add('1', s_frame(0x05, 0, 70, false, 2, true));
    add('1', s_frame(0x09, 0, 70, true, 2, false));
    add('0', i_frame(0, 70, true, 2, 1, false, q931(5, true, 0x07, ie(0x18, {0x8A}))));
    add('1', i_frame(0, 70, false, 1, 3, false, q931(5, false, 0x0F, {})));
    add('1', i_frame(0, 70, false, 2, 3, false,
                     q931(6, false, 0x05, concat({ie(0x04, {0x88, 0x90}), ie(0x18, {0x81})}))));
    add('0', i_frame(0, 70, true, 3, 3, false, q931(6, true, 0x5A, ie(0x08, {0x82, 0x91}))));
    add('1', i_frame(0, 70, false, 3, 4, false, q931(7, false, 0x05, ie(0x04, {0x90, 0x90, 0xA3}))));
    add('0', i_frame(0, 70, true, 4, 4, false, q931(7, true, 0x5A, ie(0x08, {0x83, 0xA2}))));
    add('0', i_frame(0, 70, true, 5, 4, false, q931(5, true, 0x45, ie(0x08, {0x80, 0x90}))));
    add('1', i_frame(0, 70, false, 4, 6, false, q931(5, false, 0x4D, {})));
    add('0', i_frame(0, 70, true, 6, 5, false, q931(5, true, 0x5A, {})));
    add('1', i_frame(0, 70, false, 5, 7, false, q931(8, false, 0x7D, concat({ie(0x08, {0x80, 0xE5}), ie(0x14, {0x0A})}))));
    add('1', u_frame(0x53, 0, 70, true));
    add('0', u_frame(0x1F, 0, 70, true));
    add('0', u_frame(0x97, 0, 70, true, {0x01, 0x02, 0x03, 0x04, 0x05}));
    add('1', i_frame(16, 70, false, 0, 0, false, {0x10, 0x01, 0x0B, 0x35, 0x12, 0x34, 0x51, 0x23, 0x00}));
    return r;
}

} // namespace

TEST(TsharkComparison, DChannelDecodeAgrees)
{
    if (std::system("command -v tshark > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "tshark is not installed";
    ScratchDir dir;
    const Bytes records = comparison_capture();
    dir.write("cap.dat", stuff(records));
    ASSERT_EQ(dir.run(shell_quote(LINESCOPE_BIN) + " -x1 cap.dat out.txt"), 0);
    ASSERT_EQ(dir.run(shell_quote(LINESCOPE2PCAP_BIN) + " cap.dat cap"), 0);
    std::string fields;
    ASSERT_EQ(dir.run("tshark -r cap.lapd.pcap -T fields -E separator=/t -E occurrence=f"
                      " -e lapd.sapi -e lapd.tei -e lapd.control.ftype -e lapd.control.s_ftype"
                      " -e lapd.control.u_modifier_cmd -e lapd.control.u_modifier_resp"
                      " -e lapd.control.n_r -e lapd.control.n_s -e q931.message_type -e q931.cause_value"
                      " -e q931.information_transfer_capability -e q931.information_transfer_rate"
                      " -e q931.channel.selection -e q931.uil1 2>/dev/null",
                      &fields),
              0);
    std::vector<Frame> ours = report_frames(dir.read("out.txt"));
    std::vector<std::string> rows = split(fields, '\n');
    if (!rows.empty() && rows.back().empty())
        rows.pop_back();
    ASSERT_EQ(rows.size(), ours.size());
    ASSERT_EQ(ours.size(), 24u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string> t = split(rows[i], '\t');
        ASSERT_EQ(t.size(), 14u) << rows[i];
        const auto& o = ours[i].f;
        SCOPED_TRACE("frame " + std::to_string(i + 1) + ": " + rows[i]);
        EXPECT_EQ(o.at("sapi"), std::to_string(number(t[0])));
        EXPECT_EQ(o.at("tei"), std::to_string(number(t[1])));
        EXPECT_EQ(o.at("kind"), kind_from_tshark({t[2], t[3], t[4], t[5]}));
        EXPECT_EQ(o.count("nr") ? o.at("nr") : "", t[6].empty() ? "" : std::to_string(number(t[6])));
        EXPECT_EQ(o.count("ns") ? o.at("ns") : "", t[7].empty() ? "" : std::to_string(number(t[7])));
        if (!t[8].empty()) {
            EXPECT_EQ(o.at("msg"), std::string(q931_message_name(static_cast<unsigned>(number(t[8])))));
        } else {
            EXPECT_EQ(o.count("msg"), 0u);
        }
        if (!t[9].empty()) {
            EXPECT_EQ(o.at("cause"), std::string(cause_text(static_cast<unsigned>(number(t[9])))));
        }
        if (!t[10].empty()) {
            EXPECT_EQ(o.at("cap"), capability_text(number(t[10])));
        }
        if (!t[11].empty()) {
            EXPECT_EQ(o.at("rate"), std::string(transfer_rate_text(static_cast<unsigned>(number(t[11])))));
        }
        if (!t[12].empty()) {
            EXPECT_EQ(o.at("chan"), std::string(channel_selection_text(false, static_cast<unsigned>(number(t[12])))));
        }
        if (!t[13].empty()) {
            EXPECT_EQ(o.at("l1"), std::string(layer1_protocol_text(static_cast<unsigned>(number(t[13])))));
        }
    }
}

TEST(TsharkComparison, PppExportOpens)
{
    if (std::system("command -v tshark > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "tshark is not installed";
    ScratchDir dir;
    Bytes records = concat({record('a', concat({{1}, ppp(0xC021, 1, 1, {0x01, 0x04, 0x05, 0xDC})}), 1),
                            record('`', concat({{2}, ppp(0xC023, 1, 2, {0x01, 'u', 0x01, 'p'})}), 2),
                            record('p', ppp(0x8021, 1, 3, {0x03, 0x06, 10, 0, 0, 1}, false), 3),
                            record('q', ppp(0x80FD, 1, 4, {0x11, 0x05, 0x00, 0x01, 0x03}), 4)});
    dir.write("cap.dat", stuff(records));
    ASSERT_EQ(dir.run(shell_quote(LINESCOPE2PCAP_BIN) + " cap.dat cap"), 0);
    std::string fields;
    ASSERT_EQ(dir.run("tshark -r cap.ppp.pcap -T fields -E separator=/t -e ppp.protocol -e frame.p2p_dir 2>/dev/null",
                      &fields),
              0);
    // Direction as the analyser sees it: 0 sent by the adapter, 1 received.
    EXPECT_EQ(fields, "0xc021\t0\n0xc023\t1\n0x8021\t1\n0x80fd\t0\n");
}
