#include "sharedmemory.h"

#include "paths.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// A block lives as long as one process has it open, as a mapping of the paging
// file does. The file stays on disk, so each user holds a shared flock on it;
// the first creator that finds no other user starts the block zero-filled.

namespace {

QString blockPath(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    const QString dir = tl::tallylineRoot() + QStringLiteral("/shm");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + safe;
}

bool lockFile(int fd, int how)
{
    int rc;
    do {
        rc = ::flock(fd, how);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

} // namespace

SharedMemoryBlock::SharedMemoryBlock(const QString &name) : name_(name) {}

SharedMemoryBlock::~SharedMemoryBlock() { close(); }

bool SharedMemoryBlock::create(std::size_t size)
{
    close();
    if (size == 0)
        return false;
    const int fd = ::open(QFile::encodeName(blockPath(name_)).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // Nobody else has it open: what is left in the file is from an earlier run.
    if (lockFile(fd, LOCK_EX | LOCK_NB)) {
        if (::ftruncate(fd, 0) != 0) {
            ::close(fd);
            return false;
        }
    }
    if (!lockFile(fd, LOCK_SH)) {
        ::close(fd);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || (static_cast<std::size_t>(st.st_size) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0)) {
        ::close(fd);
        return false;
    }
    return map(fd);
}

bool SharedMemoryBlock::open()
{
    close();
    const int fd = ::open(QFile::encodeName(blockPath(name_)).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A file nobody holds is a leftover, not a block.
    if (lockFile(fd, LOCK_EX | LOCK_NB) || !lockFile(fd, LOCK_SH)) {
        ::close(fd);
        return false;
    }
    return map(fd);
}

bool SharedMemoryBlock::map(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size <= 0) {
        ::close(fd);
        return false;
    }
    void *p = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    data_ = p;
    size_ = static_cast<std::size_t>(st.st_size);
    return true;
}

void SharedMemoryBlock::close()
{
    if (data_)
        ::munmap(data_, size_);
    if (fd_ >= 0)
        ::close(fd_);
    data_ = nullptr;
    size_ = 0;
    fd_ = -1;
}
