// Builds capture files for the tests and the benchmark: records, the
// flag/escape framing, and the LAPD, Q.931 and PPP pieces inside them.
#pragma once

#include "probes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace linescope::testing {

using Bytes = std::vector<std::uint8_t>;

Bytes record(std::uint8_t type, const Bytes& payload, std::uint32_t timestamp = 0, std::uint8_t source = 0);

// Flag, the bytes with 7E and 7D escaped, flag.
Bytes stuff(const Bytes& plain);

Bytes concat(std::initializer_list<Bytes> parts);

// LAPD frames (address, control, information).
Bytes i_frame(unsigned sapi, unsigned tei, bool cr, unsigned ns, unsigned nr, bool poll, const Bytes& info);
Bytes s_frame(std::uint8_t control, unsigned sapi, unsigned tei, bool cr, unsigned nr, bool poll);
Bytes u_frame(std::uint8_t control, unsigned sapi, unsigned tei, bool cr, const Bytes& info = {});
// TEI management on SAPI 63, TEI 127, in a UI frame; the network sends
// its messages as commands (C/R set), the user side with C/R clear.
Bytes tei_frame(unsigned ri, unsigned type, unsigned ai, bool from_network = false);

// A Q.931 message with a one-octet call reference.
Bytes q931(unsigned call_ref, bool flag, std::uint8_t type, const Bytes& ies);
// Variable-length IE.
Bytes ie(std::uint8_t id, const Bytes& contents);

// A PPP packet: FF 03 (optional), protocol, code, id, length, data.
Bytes ppp(unsigned protocol, std::uint8_t code, std::uint8_t id, const Bytes& data, bool hdlc = true);

// Decodes an un-stuffed or stuffed capture in memory as the program
// would, with the given probes and base time.
std::string decode_plain(const Bytes& plain, const Probes& probes = {}, std::int64_t base_time = 0);
std::string decode_stuffed(const Bytes& stuffed, const Probes& probes = {}, std::int64_t base_time = 0);

// "\r" line ends made readable for comparison with the expected files.
std::string readable(const std::string& report);
// Contents of linescope/tests/expected/<name>. With LINESCOPE_UPDATE_EXPECTED=1
// in the environment the file is first rewritten from `actual` (to be
// reviewed line by line before it is committed).
std::string expected(const std::string& name, const std::string& actual);

// A mixed capture of `records` records (un-stuffed): Q.931 call set-up
// and clearing with several IEs, S and U frames, TEI management, X.25,
// and PPP packets of every control protocol on both sides.
Bytes synthetic_records(std::size_t records, std::uint32_t seed = 1);

} // namespace linescope::testing
