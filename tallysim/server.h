#pragma once
// The serving loop: one device on one pseudo-terminal. Plain POSIX: ppoll over
// the master, a self-pipe for SIGTERM and SIGINT (stop), SIGUSR1 (faults
// re-read) and SIGUSR2 (a reset off the bus), and a handful of deadlines
// (paced output, Xmodem time-outs, the drop-off and return).

#include "device.h"
#include "faults.h"
#include "options.h"
#include "pty.h"
#include "registration.h"
#include "transcript.h"
#include "xmodem.h"

#include <cstdint>
#include <memory>
#include <string>

namespace sim {

class Server {
public:
    explicit Server(const Options &opts);
    // Runs until SIGTERM or SIGINT; returns the exit code.
    int run();

private:
    enum class Mode { Command, Download };
    // A restart off the bus, from the moment it is certain to its return.
    // Input is ignored throughout, so that a second restart cannot start.
    enum class Restart {
        None,
        Flashing,   // a good image is being written; "Close this App" follows
        Closing,    // "Close this App" queued; off the bus once it is out
        Away,       // off the bus; back at reopenAtNs_
    };

    bool start(std::string &error);
    void shutdown();
    void loopOnce();
    void readInput(int64_t now);
    void deliverHeldInput();
    void handleInput(const char *data, size_t len);
    void handleCommandByte(char c);
    void processLine(const std::string &line);
    void queue(const std::string &text);
    void flushOutput(int64_t nowNs);
    void clientGone(bool dropInput);
    void watchClients();
    void ignoreInput(const char *data, size_t len);
    void reloadFaults();
    void resetOnRequest();
    void startDropOff();
    void dropOff();
    void comeBack();
    void removeById();
    void finishDownload();
    void saveState();

    static int64_t nowNs();
    int64_t scaledMs(double ms) const;
    int64_t awayNs() const;

    Options opts_;
    FaultState faults_;
    Device device_;
    Transcript log_;
    Registration registration_;
    std::unique_ptr<Pty> pty_;        // the port clients open
    std::unique_ptr<Pty> retiring_;   // the port that just dropped off, drained then closed
    double scale_ = 1.0;

    Mode mode_ = Mode::Command;
    XmodemReceiver xmodem_;
    bool clientPresent_ = false;
    int clients_ = 0;
    std::string line_;
    bool inLine_ = false;
    char prev_ = 0;
    bool overlong_ = false;

    std::string out_;
    size_t outPos_ = 0;
    int64_t nextByteNs_ = 0;
    // At a set baud rate, input read from the port is held until its last
    // byte would have crossed the wire, and nothing more is read meanwhile.
    std::string heldInput_;
    int64_t heldUntilNs_ = 0;

    Restart restart_ = Restart::None;
    int64_t reopenAtNs_ = 0;
    int64_t retireAtNs_ = 0;
    int64_t firmwareDoneAtNs_ = 0;
    bool stop_ = false;
};

} // namespace sim
