#include "sim_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace simtest {

namespace {
int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

std::string tallysimPath()
{
    return TALLYSIM_PATH;
}

std::string makeTempDir()
{
    char tmpl[] = "/tmp/tallysim-test-XXXXXX";
    char *d = ::mkdtemp(tmpl);
    return d ? std::string(d) : std::string();
}

void removeTree(const std::string &path)
{
    if (path.rfind("/tmp/tallysim-test-", 0) != 0)
        return;   // never anything else
    std::string cmd = "rm -rf '" + path + "'";
    [[maybe_unused]] int rc = std::system(cmd.c_str());
}

bool pathExists(const std::string &path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool finalResult(const std::string &text, std::string *out)
{
    auto ends = [&](const std::string &s) { return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0; };
    if (ends("\r\nOK\r\n")) {
        if (out)
            *out = "OK";
        return true;
    }
    if (ends("\r\nERROR\r\n")) {
        if (out)
            *out = "ERROR";
        return true;
    }
    return false;
}

SimProcess::SimProcess(const std::vector<std::string> &args, const std::string &scale, const std::string &root,
                       const std::string &linkName)
{
    root_ = root.empty() ? makeTempDir() : root;
    ownRoot_ = root.empty();
    link_ = linkName.empty() ? std::string() : root_ + "/" + linkName;
    int pipefd[2];
    if (::pipe(pipefd) != 0)
        return;
    std::vector<std::string> argv = {tallysimPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    if (!link_.empty()) {
        argv.push_back("--link");
        argv.push_back(link_);
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(pipefd[1], 1);
        ::close(pipefd[0]);
        ::close(pipefd[1]);
        ::setenv("TALLYLINE_ROOT", root_.c_str(), 1);
        ::setenv("TALLYLINE_TIME_SCALE", scale.c_str(), 1);
        std::vector<char *> cargv;
        for (auto &a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        ::execv(cargv[0], cargv.data());
        ::_exit(127);
    }
    ::close(pipefd[1]);
    outPipe_ = pipefd[0];
    // The first line on stdout is the slave path, printed once the port is up.
    std::string line;
    int64_t end = nowMs() + 5000;
    while (nowMs() < end) {
        pollfd p{outPipe_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        char c;
        if (::read(outPipe_, &c, 1) != 1)
            break;
        if (c == '\n') {
            firstLine_ = line;
            lastSlave_ = line;
            break;
        }
        line.push_back(c);
    }
}

SimProcess::~SimProcess()
{
    closePort();
    stop();
    if (outPipe_ >= 0)
        ::close(outPipe_);
    if (ownRoot_)
        removeTree(root_);
}

bool SimProcess::running()
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

int SimProcess::stop()
{
    if (pid_ <= 0)
        return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 500; ++i) {
        pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
}

std::vector<std::string> SimProcess::moreLines(int ms)
{
    std::vector<std::string> lines;
    int64_t end = nowMs() + ms;
    while (outPipe_ >= 0) {
        int64_t left = end - nowMs();
        if (left <= 0)
            break;
        pollfd p{outPipe_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            continue;
        char buf[256];
        ssize_t n = ::read(outPipe_, buf, sizeof buf);
        if (n <= 0)
            break;
        pending_.append(buf, static_cast<size_t>(n));
        for (size_t nl; (nl = pending_.find('\n')) != std::string::npos;) {
            lines.push_back(pending_.substr(0, nl));
            lastSlave_ = lines.back();
            pending_.erase(0, nl + 1);
        }
    }
    return lines;
}

bool SimProcess::openPort(int waitMs)
{
    closePort();
    int64_t end = nowMs() + waitMs;
    do {
        fd_ = ::open(portPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ >= 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (nowMs() < end);
    if (fd_ < 0)
        return false;
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd_, TCSANOW, &tio);
    return true;
}

void SimProcess::closePort()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void SimProcess::send(const std::string &bytes)
{
    size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        ssize_t w = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (w > 0) {
            done += static_cast<size_t>(w);
        } else if (w < 0 && errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            break;
        }
    }
}

std::string SimProcess::readUntil(const std::string &needle, int timeoutMs)
{
    std::string got;
    int64_t end = nowMs() + timeoutMs;
    while (fd_ >= 0) {
        if (!needle.empty() && got.find(needle) != std::string::npos)
            break;
        int64_t left = end - nowMs();
        if (left <= 0)
            break;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::min<int64_t>(left, 50))) <= 0)
            continue;
        char buf[4096];
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0)
            got.append(buf, static_cast<size_t>(n));
        else if (n < 0 && errno != EAGAIN)
            break;
        else if (n == 0)
            break;
    }
    return got;
}

std::string SimProcess::readFor(int ms)
{
    return readUntil(std::string(), ms);
}

std::string SimProcess::command(const std::string &cmd, int timeoutMs)
{
    send(cmd + "\r");
    std::string got;
    int64_t end = nowMs() + timeoutMs;
    while (!finalResult(got) && nowMs() < end) {
        std::string more = readUntil("\r\n", static_cast<int>(std::max<int64_t>(1, end - nowMs())));
        if (more.empty())
            break;
        got += more;
    }
    return got;
}

} // namespace simtest
