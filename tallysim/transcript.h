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
    void received(const std::string &line) { write("> ", line); }
    void sent(const std::string &text) { write("< ", text); }
    void event(const std::string &text) { write("# ", text); }

private:
    void write(const char *prefix, const std::string &text);
    std::FILE *f_ = nullptr;
};

std::string visible(const std::string &text);

} // namespace sim
