// linescope2pcap: writes a capture's D-channel frames and PPP packets as
// two pcap files, so that they can be opened by common network tools.
//   PREFIX.lapd.pcap  link type 203, LAPD from the address field
//   PREFIX.ppp.pcap   link type 204, PPP behind a direction byte
// Record times follow the same clock as the report: the capture file's
// modification time, moved by the time-reference records.
#include "blog.h"
#include "source.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

constexpr std::uint32_t kLinkLapd = 203;
constexpr std::uint32_t kLinkPppWithDirection = 204;

void put32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

bool write_global_header(std::FILE* f, std::uint32_t link_type)
{
    std::uint8_t h[24] = {};
    put32(h, 0xA1B2C3D4);
    h[4] = 2; // version 2.4
    h[6] = 4;
    put32(h + 16, 65535 + 8);
    put32(h + 20, link_type);
    return std::fwrite(h, 1, sizeof h, f) == sizeof h;
}

bool write_packet(std::FILE* f, std::int64_t when, const std::uint8_t* prefix, std::size_t prefix_len,
                  const std::uint8_t* p, std::size_t n)
{
    std::uint8_t h[16] = {};
    // pcap seconds are 32 bits unsigned.
    std::uint32_t sec = when < 0 ? 0 : when > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<std::uint32_t>(when);
    put32(h, sec);
    put32(h + 8, static_cast<std::uint32_t>(prefix_len + n));
    put32(h + 12, static_cast<std::uint32_t>(prefix_len + n));
    return std::fwrite(h, 1, sizeof h, f) == sizeof h &&
           (prefix_len == 0 || std::fwrite(prefix, 1, prefix_len, f) == prefix_len) &&
           (n == 0 || std::fwrite(p, 1, n, f) == n);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: linescope2pcap CAPTURE OUTPUT-PREFIX\n");
        return 1;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "linescope2pcap: cannot open \"%s\"\n", argv[1]);
        return 1;
    }
    std::int64_t base = 0;
    struct stat st {};
    if (fstat(fileno(in), &st) == 0)
        base = st.st_mtime;

    const std::string lapd_name = std::string(argv[2]) + ".lapd.pcap";
    const std::string ppp_name = std::string(argv[2]) + ".ppp.pcap";
    std::FILE* lapd = std::fopen(lapd_name.c_str(), "wb");
    std::FILE* ppp = std::fopen(ppp_name.c_str(), "wb");
    if (lapd == nullptr || ppp == nullptr) {
        std::fprintf(stderr, "linescope2pcap: cannot create \"%s\"\n", (lapd == nullptr ? lapd_name : ppp_name).c_str());
        return 1;
    }
    bool ok = write_global_header(lapd, kLinkLapd) && write_global_header(ppp, kLinkPppWithDirection);

    linescope::FileSource file(in);
    linescope::UnstuffSource unstuffed(file);
    linescope::RecordReader reader(unstuffed);
    linescope::RecordHeader h;
    const std::uint8_t* p = nullptr;
    std::uint32_t reference = 0;
    unsigned long long frames = 0, packets = 0;
    while (ok && reader.next(h, p)) {
        const std::int64_t when = base + (static_cast<std::int64_t>(h.timestamp) - reference);
        namespace rec = linescope::rec;
        std::uint8_t dir = 0;
        switch (h.type) {
        case rec::kTimeReference:
            reference = h.timestamp;
            break;
        case rec::kDReceive:
        case rec::kDTransmit:
            ok = write_packet(lapd, when, nullptr, 0, p, h.length);
            ++frames;
            break;
        case rec::kBReceive:
        case rec::kBTransmit:
            // The channel byte has no place in the PPP link type.
            dir = h.type == rec::kBTransmit ? 1 : 0;
            ok = write_packet(ppp, when, &dir, 1, p + (h.length ? 1 : 0), h.length ? h.length - 1u : 0u);
            ++packets;
            break;
        case rec::kDteReceive:
        case rec::kDteTransmit:
            dir = h.type == rec::kDteTransmit ? 1 : 0;
            ok = write_packet(ppp, when, &dir, 1, p, h.length);
            ++packets;
            break;
        default:
            break;
        }
    }
    std::fclose(in);
    if (std::fclose(lapd) != 0 || std::fclose(ppp) != 0)
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "linescope2pcap: write failed\n");
        return 1;
    }
    std::printf("%llu D-channel frames, %llu PPP packets\n", frames, packets);
    return 0;
}
