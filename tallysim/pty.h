#pragma once
// The device's end of the line: a pseudo-terminal master in raw mode, with an
// optional symbolic link naming its slave side. The device keeps a slave
// descriptor of its own, so the master never hangs up when clients close, and
// watches the slave for clients opening and closing it (inotify), so that what
// was meant for a client that left is not read by the next one.

#include <string>

namespace sim {

class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    // Opens a new master (non-blocking), sets the slave raw, and points the link
    // at the slave. Returns false with an error text.
    bool open(const std::string &link, std::string &error);
    // Removes the link (the device is gone from the bus) but keeps the master open.
    void removeLink();
    void closeMaster();
    int fd() const { return fd_; }
    int watchFd() const { return watch_; }
    // Reads the pending open and close events of other processes on the slave.
    // overflow: events were lost, the count is unknown.
    void takeEvents(int &opens, int &closes, bool &overflow);
    // Drops what the device sent that no client has read yet.
    void flushUnread();
    const std::string &slavePath() const { return slave_; }
    // What the port is called: the link when there is one, else the slave path.
    std::string portName() const { return link_.empty() ? slave_ : link_; }

private:
    int fd_ = -1;
    int hold_ = -1;
    int watch_ = -1;
    std::string slave_;
    std::string link_;
};

// Points `link` at `target`, replacing an older symbolic link atomically.
bool makeLink(const std::string &link, const std::string &target, std::string &error);

} // namespace sim
