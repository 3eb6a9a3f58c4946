#include "watchdog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

Watchdog::Watchdog(const Exerciser &exerciser, const ExerciserOptions &options)
    : exerciser_(exerciser), options_(options), thread_([this] { watch(); })
{
}

Watchdog::~Watchdog()
{
    done_ = true;
    thread_.join();
}

void Watchdog::programEnding()
{
    endingSince_ = exerciser_.elapsedMs();
}

void Watchdog::watch()
{
    const qint64 limit = qint64(options_.watchdogSeconds) * 1000;
    const qint64 endingLimit = 30000;
    qint64 ownSeen = 0;
    while (!done_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const qint64 now = exerciser_.elapsedMs();
        const char *what = nullptr;
        qint64 silent = 0;
        if (endingSince_ >= 0) {
            silent = now - endingSince_;
            if (silent > endingLimit)
                what = "the program was asked to end and has not ended for";
        } else {
            // The exerciser's own blocking (starting a device) is no freeze of the program.
            if (exerciser_.ownBlocking)
                ownSeen = now;
            silent = now - std::max<qint64>(exerciser_.lastBeat, ownSeen);
            if (silent > limit)
                what = "the event loop has not answered for";
        }
        if (!done_ && what) {
            std::fprintf(stderr,
                         "exerciser: FAILED (seed %llu): %s %lld ms\nlast actions:\n%s\naction log: %s\n",
                         static_cast<unsigned long long>(options_.seed), what, static_cast<long long>(silent),
                         qPrintable(exerciser_.recentActions()), qPrintable(options_.logPath));
            std::fflush(stderr);
            std::abort();
        }
    }
}
