#pragma once
// Receiving side of Xmodem with the arithmetic checksum: 128-byte blocks
// (1024-byte STX blocks are taken too), NAK to start and to ask again, ACK per
// good block, duplicates acknowledged and dropped, EOT ends, CAN CAN cancels.
// Time is passed in by the caller, so the state machine needs no clock of its own.

#include <cstdint>
#include <string>

namespace sim {

class XmodemReceiver {
public:
    enum class Status { Receiving, Done, Failed };

    struct Timing {
        int64_t firstNakMs = 1000;    // the sender needs a moment after the command's "OK"
        int64_t nakIntervalMs = 3000; // repeated while the sender stays silent
        int startTries = 20;
        int64_t blockTimeoutMs = 1000;
        int maxErrors = 10;
    };

    XmodemReceiver() = default;
    void start(int64_t nowMs, const Timing &timing);

    // Feeds received bytes; returns what is to be sent back.
    std::string feed(const char *data, size_t len, int64_t nowMs);
    // Called when the deadline has passed; returns what is to be sent back.
    std::string onTimer(int64_t nowMs);
    int64_t deadline() const { return deadline_; }

    Status status() const { return status_; }
    const std::string &image() const { return image_; }   // trailing SUB padding removed once Done
    std::string failure() const { return failure_; }
    int blocks() const { return blocks_; }

private:
    std::string fail(const std::string &why);
    std::string block();

    Timing t_;
    Status status_ = Status::Failed;
    std::string buf_;
    std::string image_;
    std::string failure_;
    uint8_t expected_ = 1;
    bool started_ = false;     // first block seen
    int tries_ = 0;
    int errors_ = 0;
    int blocks_ = 0;
    int64_t deadline_ = 0;
};

} // namespace sim
