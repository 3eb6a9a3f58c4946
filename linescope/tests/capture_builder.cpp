#include "capture_builder.h"

#include "report.h"
#include "session.h"
#include "source.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifndef LINESCOPE_EXPECTED_DIR
#define LINESCOPE_EXPECTED_DIR "."
#endif

namespace linescope::testing {

Bytes record(std::uint8_t type, const Bytes& payload, std::uint32_t ts, std::uint8_t source)
{
    Bytes r = {type,
               source,
               static_cast<std::uint8_t>(payload.size()),
               static_cast<std::uint8_t>(payload.size() >> 8),
               static_cast<std::uint8_t>(ts),
               static_cast<std::uint8_t>(ts >> 8),
               static_cast<std::uint8_t>(ts >> 16),
               static_cast<std::uint8_t>(ts >> 24)};
    r.insert(r.end(), payload.begin(), payload.end());
    return r;
}

Bytes stuff(const Bytes& plain)
{
    Bytes out;
    out.reserve(plain.size() + plain.size() / 16 + 2);
    out.push_back(0x7E);
    for (std::uint8_t b : plain) {
        if (b == 0x7E || b == 0x7D) {
            out.push_back(0x7D);
            out.push_back(b ^ 0x20);
        } else {
            out.push_back(b);
        }
    }
    out.push_back(0x7E);
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

namespace {

Bytes address(unsigned sapi, unsigned tei, bool cr)
{
    return {static_cast<std::uint8_t>(sapi << 2 | (cr ? 2 : 0)), static_cast<std::uint8_t>(tei << 1 | 1)};
}

} // namespace

Bytes i_frame(unsigned sapi, unsigned tei, bool cr, unsigned ns, unsigned nr, bool poll, const Bytes& info)
{
    Bytes f = address(sapi, tei, cr);
    f.push_back(static_cast<std::uint8_t>(ns << 1));
    f.push_back(static_cast<std::uint8_t>(nr << 1 | (poll ? 1 : 0)));
    f.insert(f.end(), info.begin(), info.end());
    return f;
}

Bytes s_frame(std::uint8_t control, unsigned sapi, unsigned tei, bool cr, unsigned nr, bool poll)
{
    Bytes f = address(sapi, tei, cr);
    f.push_back(control);
    f.push_back(static_cast<std::uint8_t>(nr << 1 | (poll ? 1 : 0)));
    return f;
}

Bytes u_frame(std::uint8_t control, unsigned sapi, unsigned tei, bool cr, const Bytes& info)
{
    Bytes f = address(sapi, tei, cr);
    f.push_back(control);
    f.insert(f.end(), info.begin(), info.end());
    return f;
}

Bytes tei_frame(unsigned ri, unsigned type, unsigned ai, bool from_network)
{
    return u_frame(0x03, 63, 127, from_network,
                   {0x0F, static_cast<std::uint8_t>(ri >> 8), static_cast<std::uint8_t>(ri),
                    static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(ai << 1 | 1)});
}

Bytes q931(unsigned call_ref, bool flag, std::uint8_t type, const Bytes& ies)
{
    Bytes m = {0x08, 0x01, static_cast<std::uint8_t>((flag ? 0x80 : 0) | (call_ref & 0x7F)), type};
    m.insert(m.end(), ies.begin(), ies.end());
    return m;
}

Bytes ie(std::uint8_t id, const Bytes& contents)
{
    Bytes e = {id, static_cast<std::uint8_t>(contents.size())};
    e.insert(e.end(), contents.begin(), contents.end());
    return e;
}

Bytes ppp(unsigned protocol, std::uint8_t code, std::uint8_t id, const Bytes& data, bool hdlc)
{
    Bytes p;
    if (hdlc) {
        p.push_back(0xFF);
        p.push_back(0x03);
    }
    const std::size_t length = data.size() + 4;
    p.push_back(static_cast<std::uint8_t>(protocol >> 8));
    p.push_back(static_cast<std::uint8_t>(protocol));
    p.push_back(code);
    p.push_back(id);
    p.push_back(static_cast<std::uint8_t>(length >> 8));
    p.push_back(static_cast<std::uint8_t>(length));
    p.insert(p.end(), data.begin(), data.end());
    return p;
}

std::string decode_plain(const Bytes& plain, const Probes& probes, std::int64_t base_time)
{
    Session session;
    session.probes = probes;
    session.base_time = base_time;
    StringSink sink;
    {
        Report report(sink);
        MemorySource source(plain.data(), plain.size());
        write_report(source, session, report);
    }
    return sink.text;
}

std::string decode_stuffed(const Bytes& stuffed, const Probes& probes, std::int64_t base_time)
{
    Session session;
    session.probes = probes;
    session.base_time = base_time;
    StringSink sink;
    {
        Report report(sink);
        MemorySource source(stuffed.data(), stuffed.size());
        UnstuffSource unstuffed(source);
        write_report(unstuffed, session, report);
    }
    return sink.text;
}

std::string readable(const std::string& report)
{
    std::string s = report;
    for (char& c : s)
        if (c == '\r')
            c = '\n';
    return s;
}

std::string expected(const std::string& name, const std::string& actual)
{
    const char* update = std::getenv("LINESCOPE_UPDATE_EXPECTED");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream out(std::string(LINESCOPE_EXPECTED_DIR) + "/" + name, std::ios::binary);
        out << actual;
    }
    std::ifstream in(std::string(LINESCOPE_EXPECTED_DIR) + "/" + name, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing expected file " + name);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace linescope::testing
