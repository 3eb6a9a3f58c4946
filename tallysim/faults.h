#pragma once
// Faults a device can be told to show, all combinable:
//   silent               never answers (no echo either)
//   silent-after=N       answers the first N command lines, then nothing
//   error=CMD            answers "ERROR" to the command line CMD (letter case ignored,
//                        "AT" prefix optional), e.g. error=ati20; repeatable
//   lose-ati7-head[=N]   the first N identity answers (default 1) lose their
//                        first lines, up to and including the maker's name
//   baud=N               each byte sent or received takes 10 bit times at N baud
//   garbage[=N]          N bytes of line noise (default 8) after every answer
//   reset-after=CMD      after answering CMD the first time: "Close this App",
//                        drop-off and return
//   stay-up-after-flash  a good firmware image is answered "OK"; the device
//                        restarts only when told so by "at~x!"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct FaultConfig {
    bool silent = false;
    long silentAfter = -1;                 // -1 = off
    std::vector<std::string> errorFor;     // normalised: upper case, without "AT"
    int loseAti7Head = 0;
    long baud = 0;                         // 0 = no delay
    int garbage = 0;
    std::string resetAfter;                // normalised like errorFor; "" = off
    bool stayUpAfterFlash = false;
};

// Parses one --fault value (several may be given, comma-separated).
// Returns an error text or "".
std::string parseFault(const std::string &list, FaultConfig &cfg);

// Upper case, leading "AT" removed, trailing CR/LF removed.
std::string normaliseCommand(const std::string &line);

// Runtime side of the faults: counters and the noise generator.
class FaultState {
public:
    explicit FaultState(const FaultConfig &cfg) : cfg_(cfg) {}
    const FaultConfig &config() const { return cfg_; }

    // Called once per command line received; true when the device stays mute.
    bool muteFor();
    long commandsSeen() const { return commands_; }
    bool errorFor(const std::string &normalisedCmd) const;
    // True for the identity answers whose head is to be lost (counts them).
    bool takeAti7Head();
    bool takeResetAfter(const std::string &normalisedCmd);
    std::string noise();
    // Nanoseconds per byte at the configured baud rate, 0 when off.
    int64_t byteDelayNs() const;

private:
    FaultConfig cfg_;
    long commands_ = 0;
    int ati7Lost_ = 0;
    bool resetDone_ = false;
    uint32_t seed_ = 0x2545f491u;
};

} // namespace sim
