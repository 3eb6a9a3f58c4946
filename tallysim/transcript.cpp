#include "transcript.h"

#include <ctime>

namespace sim {

std::string visible(const std::string &text)
{
    std::string out;
    char buf[8];
    for (unsigned char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c >= 0x7f) {
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else
            out.push_back(static_cast<char>(c));
    }
    return out;
}

Transcript::~Transcript()
{
    if (f_)
        std::fclose(f_);
}

bool Transcript::open(const std::string &path)
{
    f_ = std::fopen(path.c_str(), "a");
    return f_ != nullptr;
}

void Transcript::write(const char *prefix, const std::string &text)
{
    if (!f_)
        return;
    if (times_) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(f_, "[%lld] ", static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
    }
    std::fprintf(f_, "%s%s\n", prefix, visible(text).c_str());
    std::fflush(f_);
}

} // namespace sim
