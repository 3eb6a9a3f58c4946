#pragma once
// What the emulator enters into the registry store so that Portdeck finds it:
// its port under HARDWARE\DEVICEMAP\SERIALCOMM ("COMn"), and optionally a modem
// class key with DriverDesc and AttachedTo for the TAPI device list. Everything
// entered is removed again by unregisterAll().

#include <string>

namespace sim {

class Registration {
public:
    ~Registration() { unregisterAll(); }

    // Registers portName as COMn; with a tapiName also the modem class key.
    bool registerPort(const std::string &portName, int com, const std::string &tapiName, std::string &error);
    // The port got a new name (a drop-off without a fixed link), and with
    // com > 0 a new number (re-enumerated): moves the entry in one step, and
    // the modem class key's AttachedTo with the number.
    void movePort(const std::string &portName, int com = 0);
    void unregisterAll();

private:
    std::string portName_;
    std::string modemKey_;
    int com_ = 0;
};

} // namespace sim
