#include "singleinstance.h"

#include "paths.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

// The lock is an flock on a file: the kernel drops it when its holder dies, so
// a crashed program never blocks the next start. The file itself stays; only
// the flock counts. The descriptor is close-on-exec, so programs we start do
// not inherit (and keep holding) our lock.

namespace {

QString lockPath(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    const QString dir = tl::tallylineRoot() + QStringLiteral("/locks");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + safe + QStringLiteral(".lock");
}

int tryLock(const QString &path, int openFlags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), openFlags | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

NamedMutex::NamedMutex(const QString &name) : name_(name) {}

NamedMutex::~NamedMutex() { release(); }

bool NamedMutex::exists(const QString &name)
{
    const QString path = lockPath(name);
    if (!QFile::exists(path))
        return false;
    const int fd = tryLock(path, O_RDWR);
    if (fd < 0)
        return QFile::exists(path);   // held by someone (or vanished meanwhile)
    ::close(fd);
    return false;
}

bool NamedMutex::create()
{
    if (fd_ >= 0)
        return true;
    fd_ = tryLock(lockPath(name_), O_RDWR | O_CREAT);
    if (fd_ < 0)
        return false;
    // The holder's process id, for people looking at the lock directory.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd_, 0) == 0 && ::write(fd_, pid.data(), pid.size()) < 0) {
        // Only informative; the flock is what counts.
    }
    return true;
}

void NamedMutex::release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}
