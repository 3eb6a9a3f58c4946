#pragma once
// Aborts the process when the event loop has not answered for too long (the
// program froze), or when a program that was asked to end has not ended.

#include "exerciser.h"

#include <atomic>
#include <thread>

class Watchdog {
public:
    Watchdog(const Exerciser &exerciser, const ExerciserOptions &options);
    ~Watchdog();
    // The program's loop has stopped for good; the process must end soon.
    void programEnding();

private:
    void watch();
    const Exerciser &exerciser_;
    ExerciserOptions options_;
    std::atomic<bool> done_{false};
    std::atomic<qint64> endingSince_{-1};
    std::thread thread_;
};
