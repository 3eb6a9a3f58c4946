#pragma once
// One emulated device: executes command lines and answers them. Knows nothing
// of the port or of faults; the server feeds it lines and acts on what it asks
// for (a firmware download, a drop-off from the bus).

#include "commandparser.h"
#include "products.h"
#include "settings.h"

#include <ctime>
#include <string>
#include <vector>

namespace sim {

struct DeviceConfig {
    Product product = Product::IsdnTa;
    std::string serial;
    int country = 0;
    int switchType = 2;
    std::vector<std::string> lineStates;   // empty: the default list
    bool lineStatesGiven = false;          // walk them from power-up as well
    bool echo = true;
};

enum class DeviceAction {
    None,
    DropOff,         // print "Close this App", leave the bus, come back restarted
    StartDownload,   // receive a firmware image by Xmodem
};

struct DeviceReply {
    std::string text;        // everything the device prints for this line
    DeviceAction action = DeviceAction::None;
    bool error = false;
};

class Device {
public:
    explicit Device(const DeviceConfig &cfg);

    // Loads a persisted state (stored profile, firmware date) and restarts from it.
    void restore(const PersistedState &state);
    PersistedState persisted() const;
    // Set when "&W" (or the line set-up) changed the stored profile; cleared by the call.
    bool takeStoredChanged();

    // One command line, without "AT" and without the final carriage return.
    DeviceReply execute(const std::string &body);
    // The result code alone, as the current V and Q settings print it.
    std::string resultCode(bool ok) const;

    // A firmware image arrived complete; true when it fits this product.
    bool acceptFirmware(const std::string &image);
    // Power-up after a drop-off or "Z!": the stored profile becomes live.
    void restart();

    // Sets a value in both the live and the stored profile (command-line overrides).
    void setBoth(const std::string &key, const std::string &value);

    bool echo() const;
    Product product() const { return cfg_.product; }
    const ValueMap &live() const { return state_.live; }
    std::string firmwareDate() const { return firmwareDate_; }
    std::string lineStatus() const;   // what the next "ati12" would show, without moving on

private:
    struct State {
        ValueMap live;
        ValueMap stored;
        int linePos = -1;            // -1: settled on the last state
        long clockOffset = 0;        // device clock minus the PC's local time, seconds
    };

    bool apply(State &st, const Op &op, std::string &info, DeviceAction &action) const;
    bool allowedKey(const std::string &key) const;
    std::string infoText(State &st, int n, bool &ok) const;
    std::string nextLineStatus(State &st) const;
    std::string resolveStatus(const State &st, const std::string &raw) const;
    bool lineConfigured(const ValueMap &v) const;
    std::string identity(const ValueMap &v) const;
    bool usOrder(const ValueMap &v) const;
    std::tm deviceTime(const State &st) const;
    std::string wrapInfo(const std::string &text) const;

    DeviceConfig cfg_;
    const ProductInfo &info_;
    State state_;
    std::string firmwareDate_;
    bool storedChanged_ = false;
};

} // namespace sim
