#pragma once
// The transcript written with --log: one line per command received ("> "),
// per reply ("< ") and per event ("# "), control characters shown as \r, \n,
// \xNN, so that a test can compare it with what it expected.

#include <cstdio>
#include <string>

namespace sim {

class Transcript {
public:
    ~Transcript();
    bool open(const std::string &path);
    // Each line then starts with the monotonic clock in milliseconds, "[12345] ",
    // the clock other programs on the machine read as well.
    void setTimes(bool on) { times_ = on; }
    void received(const std::string &line) { write("> ", line); }
    void sent(const std::string &text) { write("< ", text); }
    void event(const std::string &text) { write("# ", text); }

private:
    void write(const char *prefix, const std::string &text);
    std::FILE *f_ = nullptr;
    bool times_ = false;
};

std::string visible(const std::string &text);

} // namespace sim
