#pragma once
// Runs tallysim as a child process on its own fresh TALLYLINE_ROOT and talks
// to it over its pseudo-terminal, as a program of the suite would.

#include <string>
#include <vector>

namespace simtest {

class SimProcess {
public:
    // Starts "tallysim <args> --link <root>/ttySim" with TALLYLINE_ROOT and a
    // fast clock (TALLYLINE_TIME_SCALE=0.02 unless `scale` says otherwise).
    // An empty linkName starts it without a link: the port is the slave path,
    // the latest one the emulator printed.
    explicit SimProcess(const std::vector<std::string> &args, const std::string &scale = "0.02",
                        const std::string &root = "", const std::string &linkName = "ttySim");
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool started() const { return pid_ > 0 && !firstLine_.empty(); }
    int pid() const { return pid_; }
    const std::string &firstLine() const { return firstLine_; }   // the slave path
    const std::string &link() const { return link_; }
    // What a client opens: the link, else the latest slave path.
    std::string portPath() const { return link_.empty() ? lastSlave_ : link_; }
    const std::string &root() const { return root_; }
    std::string file(const std::string &name) const { return root_ + "/" + name; }

    bool openPort(int waitMs = 2000);    // opens the link, raw; waits for it to exist
    void closePort();
    bool portOpen() const { return fd_ >= 0; }

    void send(const std::string &bytes);
    // Reads until `needle` has arrived (returns everything read so far,
    // including it) or the time is up (returns what came, needle missing).
    std::string readUntil(const std::string &needle, int timeoutMs = 3000);
    // Reads whatever arrives within the time.
    std::string readFor(int ms);
    // Sends "cmd\r" and reads up to its final result code ("\r\nOK\r\n" or "\r\nERROR\r\n").
    std::string command(const std::string &cmd, int timeoutMs = 3000);

    // Further lines on stdout (the new slave path after each return) that
    // arrive within the time.
    std::vector<std::string> moreLines(int ms);

    // SIGTERM and wait; returns the exit status (-1 when killed by force).
    int stop();
    bool running();

private:
    int pid_ = -1;
    int fd_ = -1;
    int outPipe_ = -1;
    std::string root_;
    bool ownRoot_ = false;
    std::string link_;
    std::string firstLine_;
    std::string lastSlave_;
    std::string pending_;   // stdout after the first line, not yet a whole line
};

// Path of the tallysim program under test.
std::string tallysimPath();
// A fresh directory under /tmp, removed by removeTree.
std::string makeTempDir();
void removeTree(const std::string &path);
bool pathExists(const std::string &path);
std::string readFile(const std::string &path);

// True when `text` ends with a final result code; out gets "OK" or "ERROR".
bool finalResult(const std::string &text, std::string *out = nullptr);

} // namespace simtest
