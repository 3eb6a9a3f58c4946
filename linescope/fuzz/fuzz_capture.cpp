// Fuzz entry over the whole decode path: un-stuffing, record framing and
// every decoder. The first byte picks the probe switches that are off, so
// that each combination of decoders is reached.
#include "session.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    linescope::Session session;
    const std::uint8_t off = data[0];
    session.probes.raw_dump = !(off & 0x01);
    session.probes.q921 = !(off & 0x02);
    session.probes.q931 = !(off & 0x04);
    session.probes.x25 = !(off & 0x08);
    session.probes.physical = !(off & 0x10);
    session.probes.analog = !(off & 0x20);
    session.probes.isdn_ppp = !(off & 0x40);
    session.probes.dte_ppp = !(off & 0x80);
    session.base_time = 915148800; // 1999-01-01

    linescope::CountingSink sink;
    linescope::Report report(sink, 1u << 16);
    linescope::MemorySource memory(data + 1, size - 1);
    linescope::UnstuffSource unstuffed(memory);
    linescope::write_report(unstuffed, session, report, 0);
    return 0;
}
