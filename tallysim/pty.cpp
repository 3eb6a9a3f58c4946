#include "pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

Pty::~Pty()
{
    removeLink();
    closeMaster();
}

bool makeLink(const std::string &link, const std::string &target, std::string &error)
{
    struct stat st{};
    if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = link + " exists and is not a symbolic link";
        return false;
    }
    std::string tmp = link + ".new." + std::to_string(::getpid());
    ::unlink(tmp.c_str());
    if (::symlink(target.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), link.c_str()) != 0) {
        error = "cannot link " + link + ": " + std::strerror(errno);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

bool Pty::open(const std::string &link, std::string &error)
{
    int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    char name[128];
    if (::ptsname_r(fd, name, sizeof name) != 0) {
        error = "no slave name";
        ::close(fd);
        return false;
    }
    // Raw on the slave side: no echo of what we write, no line editing, no CR
    // translation. The slave is closed again at once; clients bring their own.
    int s = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (s >= 0) {
        termios tio{};
        if (::tcgetattr(s, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::cfsetspeed(&tio, B57600);
            ::tcsetattr(s, TCSANOW, &tio);
        }
    }
    int w = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (w >= 0 && ::inotify_add_watch(w, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        ::close(w);
        w = -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    if (!link.empty() && !makeLink(link, name, error)) {
        ::close(fd);
        if (s >= 0)
            ::close(s);
        if (w >= 0)
            ::close(w);
        return false;
    }
    closeMaster();
    fd_ = fd;
    hold_ = s;
    watch_ = w;
    slave_ = name;
    link_ = link;
    return true;
}

void Pty::removeLink()
{
    if (!link_.empty()) {
        // Only our own link: a newer emulator may have taken the name over.
        char target[256];
        ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
        if (n > 0) {
            target[n] = '\0';
            if (slave_ == target)
                ::unlink(link_.c_str());
        }
    }
}

void Pty::closeMaster()
{
    for (int *p : {&watch_, &hold_, &fd_}) {
        if (*p >= 0)
            ::close(*p);
        *p = -1;
    }
}

void Pty::takeEvents(int &opens, int &closes, bool &overflow)
{
    opens = closes = 0;
    overflow = false;
    if (watch_ < 0)
        return;
    alignas(inotify_event) char buf[4096];
    for (;;) {
        ssize_t n = ::read(watch_, buf, sizeof buf);
        if (n <= 0)
            break;
        for (char *p = buf; p < buf + n;) {
            auto *ev = reinterpret_cast<inotify_event *>(p);
            if (ev->mask & IN_Q_OVERFLOW)
                overflow = true;
            if (ev->mask & IN_OPEN)
                ++opens;
            if (ev->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))
                ++closes;
            p += sizeof(inotify_event) + ev->len;
        }
    }
}

void Pty::flushUnread()
{
    if (hold_ >= 0)
        ::tcflush(hold_, TCIFLUSH);
}

} // namespace sim
