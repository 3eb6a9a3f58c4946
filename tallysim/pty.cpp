#include "pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
    int s = ::open(name, O_RDWR | O_NOCTTY);
    if (s >= 0) {
        termios tio{};
        if (::tcgetattr(s, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::cfsetspeed(&tio, B57600);
            ::tcsetattr(s, TCSANOW, &tio);
        }
        ::close(s);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    if (!link.empty() && !makeLink(link, name, error)) {
        ::close(fd);
        return false;
    }
    closeMaster();
    fd_ = fd;
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
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace sim
