#include "session.h"

#include <cstdio>
#include <ctime>

namespace linescope {

void LocalClock::format(std::int64_t t)
{
    std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (localtime_r(&tt, &tm) == nullptr)
        tm = std::tm{}; // out of the C library's range: print zeros
    int n = std::snprintf(text_, sizeof text_, "%02d/%02d/%02d %02d:%02d:%02d ", tm.tm_mon + 1, tm.tm_mday,
                          tm.tm_year, tm.tm_hour, tm.tm_min, tm.tm_sec);
    len_ = n > 0 ? static_cast<std::size_t>(n) : 0;
    cached_sec_ = tm.tm_sec;
}

void LocalClock::stamp(std::int64_t t, Report& out)
{
    if (!valid_ || t != cached_) {
        // Later in the same local minute: only the seconds change (zone
        // changes fall on whole minutes).
        if (valid_ && t > cached_ && t - cached_ < 60 - cached_sec_ && cached_sec_ < 60 && len_ >= 3) {
            int sec = cached_sec_ + static_cast<int>(t - cached_);
            text_[len_ - 3] = static_cast<char>('0' + sec / 10);
            text_[len_ - 2] = static_cast<char>('0' + sec % 10);
            cached_sec_ = sec;
        } else {
            format(t);
        }
        cached_ = t;
        valid_ = true;
    }
    out.put(text_, len_);
}

} // namespace linescope
