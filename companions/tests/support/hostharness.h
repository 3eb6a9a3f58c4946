#pragma once
// Plays the host for the library tests: loads a library by its platform name
// and resolves its exports, owns the port and file-transfer components as the
// host does, forwards their events to the exports the way the host routes
// them, waits out a USB reset and hands the port back, and records the
// window messages the library posts.

#include "modules.h"
#include "productlibs.h"
#include "protocol.h"
#include "serialport.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

class Library {
public:
    explicit Library(const char *name) : module_(LoadLibrary(QString::fromLatin1(name))) {}
    ~Library() { free(); }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    bool loaded() const { return module_ != nullptr; }
    void *symbol(const char *name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }
    template <class Fn> Fn fn(const char *name) const { return reinterpret_cast<Fn>(symbol(name)); }
    bool free()
    {
        if (!module_)
            return true;
        const bool ok = FreeLibrary(module_);
        module_ = nullptr;
        return ok;
    }

private:
    HMODULE module_;
};

struct PostedMessage {
    quint32 message;
    qintptr wParam;
    qintptr lParam;
};

// The host's main window (the owner of the library's messages) with the
// default sheet the forms are placed in.
class HostWindow : public QWidget {
public:
    HostWindow();
    QWidget *sheet;
    QList<PostedMessage> messages;
    std::function<void(const PostedMessage &)> onMessage;
    int count(quint32 message) const;

protected:
    bool event(QEvent *e) override;
};

class HostHarness {
public:
    explicit HostHarness(int comNumber);
    ~HostHarness();

    TApdComPort port;
    TApdProtocol protocol;
    HostWindow window;

    bool openPort();

    // Event routing, as the host does for the current activity.
    TriggerAvailFn triggerAvail = nullptr;
    TriggerDataFn triggerData = nullptr;
    LastComportCmdFn lastComportCmd = nullptr;
    ProtocolEventFn protocolStatus = nullptr;
    ProtocolEventFn protocolError = nullptr;
    ProtocolEventFn protocolFinish = nullptr;
    VoidFn usbResetReceived = nullptr;

    // Installs the "Close this App" trigger; a reset not caused by "at~x!"
    // (per lastComportCmd) is waited out here and the port reopened.
    void addUsbResetTrigger();
    // Closes the port, waits for the device to drop off and return (30 polls
    // of 18 ticks, then 54 ticks), reopens it. False when it did not reopen.
    bool waitThroughPowerCycle();

    // Called when the device has announced a reset, before the wait.
    std::function<void()> beforePowerCycle;

    int usbResetTrigger = 0;
    int usbResets = 0;            // resets handled here
    int reopenFailures = 0;
    QStringList lastCommandsSeen; // what lastComportCmd gave at each trigger
    QList<int> protocolErrors;
    QList<int> protocolFinishes;
};
