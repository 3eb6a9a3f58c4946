#include "registry.h"

#include "clock.h"
#include "paths.h"
#include "registryfile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <csignal>
#include <ctime>
#include <mutex>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// How the store stays consistent between processes:
// - readers parse the root's file and keep it open; a later call re-reads only
//   when the path now names another file (another inode: it was replaced) or its
//   size or time changed. Holding the old file open keeps its inode number from
//   being reused, so "same inode" really means "same file".
// - writers take an exclusive flock on "<root>.lock", re-read the file, change
//   it, write "<root>.reg.tmp.<pid>", fsync it and rename it over the file. A
//   writer killed half-way leaves only a temporary file, which no reader opens
//   and the next writer removes. The lock is waited for a bounded time only: a
//   writer whose peer hangs with the lock gives up and says so.
// - a file that exists but cannot be read (permissions, I/O error, no file
//   descriptor left) is never taken as empty: reads see no values, it is
//   reported once, and writes to that root fail until it can be read again.
// - a damaged file is set aside as "*.bad"; what parsed of it is kept and
//   written back as the root's file.
// - the files may hold credentials: they are readable by their owner only.

namespace reg {

namespace {

QString rootName(RegRoot root)
{
    switch (root) {
    case RegRoot::LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case RegRoot::CurrentUser: return QStringLiteral("HKEY_CURRENT_USER");
    case RegRoot::ClassesRoot: return QStringLiteral("HKEY_CLASSES_ROOT");
    }
    return QStringLiteral("HKEY_LOCAL_MACHINE");
}

struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{};
    bool operator==(const FileIdentity &o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec
               && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

FileIdentity identityOf(const struct stat &st)
{
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

// The cached state of one root in this process.
struct RootCache {
    QString dir;            // the registry directory it was read from
    bool loaded = false;
    bool present = false;   // a file existed
    FileIdentity id;
    int heldFd = -1;        // the file we parsed, kept open (see above)
    RegTree tree;
    bool damagedInPlace = false; // tree is what parsed of a damaged file not yet set aside
    FileIdentity badId;     // the damaged file last reported as not set aside
    bool unreadable = false; // the file exists but could not be read
    QString unreadableWhy;
    QString reportedUnreadable; // the last "cannot read" reported, to report each cause once

    void forget()
    {
        if (heldFd >= 0)
            ::close(heldFd);
        heldFd = -1;
        loaded = false;
        present = false;
        damagedInPlace = false;
        unreadable = false;
        tree = RegTree();
    }
};

std::recursive_mutex &storeMutex()
{
    static std::recursive_mutex m;
    return m;
}

RootCache &cacheFor(RegRoot root)
{
    static RootCache caches[3];
    return caches[static_cast<int>(root)];
}

QString registryDir() { return tl::tallylineRoot() + QStringLiteral("/registry"); }

// How long a writer waits for a peer's lock (unscaled; never under two seconds
// of real time, since a busy peer needs real time to write): long enough for
// any sound writer, short enough that a hung peer cannot freeze the interface.
constexpr int kLockWaitMs = 5000;
constexpr int kLockWaitFloorMs = 2000;

// Takes the flock, waiting at most waitMs. The wait blocks in the kernel, so
// the lock goes to a waiter as soon as its holder lets go (a waiter that only
// polled would lose it, again and again, to a peer that writes in a loop); a
// timer signal sent to this thread alone interrupts it now and then to look
// at the clock.
bool lockWithin(int fd, int waitMs, int &err)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno != EWOULDBLOCK && errno != EINTR) {
        err = errno;
        return false;
    }
    const int tick = SIGRTMIN + 7;
    static std::once_flag handlerInstalled;
    std::call_once(handlerInstalled, [tick] {
        struct sigaction sa {};
        sa.sa_handler = [](int) {};
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;    // no SA_RESTART: the signal is there to end flock's wait
        ::sigaction(tick, &sa, nullptr);
    });
    sigset_t tickSet, previousMask;
    sigemptyset(&tickSet);
    sigaddset(&tickSet, tick);
    ::pthread_sigmask(SIG_UNBLOCK, &tickSet, &previousMask);

    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = tick;
    event._sigev_un._tid = static_cast<pid_t>(::gettid());
    timer_t timer;
    const bool timed = ::timer_create(CLOCK_MONOTONIC, &event, &timer) == 0;
    if (timed) {
        const itimerspec every50ms{{0, 50'000'000}, {0, 50'000'000}};
        ::timer_settime(timer, 0, &every50ms, nullptr);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    bool locked = false;
    for (;;) {
        if (::flock(fd, timed ? LOCK_EX : LOCK_EX | LOCK_NB) == 0) {
            locked = true;
            break;
        }
        err = errno;
        if (err != EINTR && err != EWOULDBLOCK)
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            err = EWOULDBLOCK;
            break;
        }
        if (!timed)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (timed)
        ::timer_delete(timer);
    // A tick still pending must not interrupt whatever this thread does next.
    ::pthread_sigmask(SIG_BLOCK, &tickSet, nullptr);
    const timespec noWait{0, 0};
    while (::sigtimedwait(&tickSet, nullptr, &noWait) > 0) {
    }
    ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    return locked;
}

class FileLock {
public:
    explicit FileLock(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0 && errno == EACCES)   // another user's lock file (a run as root): flock needs no write access
            fd_ = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) {
            error_ = QStringLiteral("cannot lock %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        const int waitMs = std::max(tl::scaledMs(kLockWaitMs), kLockWaitFloorMs);
        int err = 0;
        if (!lockWithin(fd_, waitMs, err)) {
            error_ = err == EWOULDBLOCK
                         ? QStringLiteral("%1 is held by another process that has not let go for %2 ms; gave up")
                               .arg(path).arg(waitMs)
                         : QStringLiteral("cannot lock %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(err)));
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FileLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // closing drops the flock
    }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    bool ok() const { return fd_ >= 0; }
    QString error() const { return error_; }
private:
    int fd_ = -1;
    QString error_;
};

// Only the owner may read a file that holds credentials.
constexpr mode_t kFileMode = 0600;

void narrowMode(int fd, const struct stat &st)
{
    if ((st.st_mode & 077) != 0 && st.st_uid == ::geteuid())
        ::fchmod(fd, st.st_mode & kFileMode);
}

bool readAll(int fd, QByteArray &out)
{
    out.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.append(buffer, n);
    }
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

class Store {
public:
    explicit Store(RegRoot root)
        : root_(root), name_(rootName(root)), dir_(registryDir()),
          file_(dir_ + QLatin1Char('/') + name_ + QStringLiteral(".reg")),
          lockPath_(dir_ + QLatin1Char('/') + name_ + QStringLiteral(".lock")),
          cache_(cacheFor(root))
    {
        if (cache_.dir != dir_) {   // TALLYLINE_ROOT changed (tests): start over
            cache_.forget();
            cache_.dir = dir_;
        }
    }

    // The current tree for reading.
    const RegTree &current()
    {
        refresh(false);
        return cache_.tree;
    }

    // Runs change on the newest tree under the lock and stores the result when it
    // says something changed. Returns false when the change was refused or the
    // file could not be written.
    bool modify(const std::function<bool(RegTree &, bool &changed)> &change)
    {
        if (!QDir().mkpath(dir_))
            return report(QStringLiteral("cannot create %1").arg(dir_));
        FileLock lock(lockPath_);
        if (!lock.ok())
            return report(QStringLiteral("%1; %2 not changed").arg(lock.error(), file_));
        removeStaleTemporaries();
        if (cache_.damagedInPlace)
            cache_.forget();    // try again to set it aside
        refresh(true);
        if (cache_.unreadable)
            return report(QStringLiteral("cannot write %1: it exists but cannot be read (%2), and writing would lose its settings")
                              .arg(file_, cache_.unreadableWhy));
        if (cache_.damagedInPlace)
            return report(QStringLiteral("cannot write %1: it is damaged and could not be set aside").arg(file_));
        RegTree tree = cache_.tree;
        bool changed = false;
        if (!change(tree, changed))
            return false;
        if (!changed)
            return true;
        return store(tree);
    }

private:
    bool report(const QString &message)
    {
        std::fprintf(stderr, "tallyline: registry: %s\n", qPrintable(message));
        return false;
    }

    // Re-reads the file when it is not the one we parsed. underLock: the caller
    // holds the write lock, so a damaged file may be set aside at once.
    void refresh(bool underLock)
    {
        struct stat st;
        const QByteArray path = QFile::encodeName(file_);
        if (::stat(path.constData(), &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                return markUnreadable(errno);
            if (cache_.loaded && !cache_.present && !cache_.unreadable && !cache_.damagedInPlace)
                return;
            cache_.forget();
            cache_.loaded = true;
            return;
        }
        if (cache_.loaded && cache_.present && cache_.id == identityOf(st))
            return;

        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return markUnreadable(errno);
        struct stat opened;
        QByteArray data;
        if (::fstat(fd, &opened) != 0 || !readAll(fd, data)) {
            const int err = errno;
            ::close(fd);
            return markUnreadable(err);
        }
        narrowMode(fd, opened);
        QString error;
        RegTree tree;
        if (!parseRegistryText(data, name_, tree, &error)) {
            ::close(fd);
            setAsideDamaged(underLock, error, identityOf(opened), std::move(tree));
            return;
        }
        cache_.forget();
        cache_.loaded = true;
        cache_.present = true;
        cache_.id = identityOf(opened);
        cache_.heldFd = fd;
        cache_.tree = std::move(tree);
        cache_.reportedUnreadable.clear();
    }

    // The file is there but we cannot read it: nothing of it is known, so
    // nothing may be written over it. Tried again on every call.
    void markUnreadable(int err)
    {
        cache_.forget();
        cache_.loaded = true;
        cache_.unreadable = true;
        cache_.unreadableWhy = QString::fromLocal8Bit(std::strerror(err));
        if (cache_.reportedUnreadable != cache_.unreadableWhy) {
            cache_.reportedUnreadable = cache_.unreadableWhy;
            report(QStringLiteral("cannot read %1: %2; its settings are not available and it will not be written until it can be read")
                       .arg(file_, cache_.unreadableWhy));
        }
    }

    // Moves a damaged file out of the way under the lock (by the time we hold
    // it another process may already have replaced or moved the file) and
    // stores what parsed of it as the root's file.
    void setAsideDamaged(bool underLock, const QString &why, const FileIdentity &id, RegTree &&kept)
    {
        if (!underLock) {
            FileLock lock(lockPath_);
            if (lock.ok()) {
                refresh(true);
                return;
            }
        }
        cache_.forget();
        cache_.loaded = true;
        QString target = file_ + QStringLiteral(".bad");
        for (int n = 2; QFile::exists(target); ++n)
            target = file_ + QStringLiteral(".%1.bad").arg(n);
        const QByteArray targetPath = QFile::encodeName(target);
        if (underLock && ::rename(QFile::encodeName(file_).constData(), targetPath.constData()) == 0) {
            ::chmod(targetPath.constData(), kFileMode);
            report(QStringLiteral("%1 is damaged (%2); set aside as %3, keeping what could be read").arg(file_, why, target));
            cache_.tree = kept;
            store(kept);
            return;
        }
        // Keep what parsed for reading; writes wait until the file can be set aside.
        if (!(cache_.badId == id))
            report(QStringLiteral("%1 is damaged (%2) and could not be set aside; using what could be read").arg(file_, why));
        cache_.badId = id;
        cache_.present = true;
        cache_.id = id;
        cache_.damagedInPlace = true;
        cache_.tree = std::move(kept);
    }

    // Temporary files of writers that died; we hold the lock, so none is in use.
    void removeStaleTemporaries()
    {
        const QStringList stale = QDir(dir_).entryList({name_ + QStringLiteral(".reg.tmp.*")}, QDir::Files | QDir::Hidden);
        for (const QString &f : stale)
            QFile::remove(dir_ + QLatin1Char('/') + f);
    }

    // The new file gets the old one's mode, never wider than the owner's own
    // access, and (when we run as root) its owner, so that one run as root does
    // not lock the user out of the user's own settings.
    void keepOwnerAndMode(int fd)
    {
        struct stat old;
        mode_t mode = kFileMode;
        if (::stat(QFile::encodeName(file_).constData(), &old) == 0) {
            if ((old.st_mode & kFileMode) & S_IRUSR)
                mode = old.st_mode & kFileMode;
            if (::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != 0))
                if (::fchown(fd, old.st_uid, old.st_gid) != 0)
                    report(QStringLiteral("cannot give %1 back to its owner: %2").arg(file_, QString::fromLocal8Bit(std::strerror(errno))));
        }
        ::fchmod(fd, mode);
    }

    bool store(const RegTree &tree)
    {
        const QByteArray data = formatRegistryText(tree, name_);
        const QString temp = file_ + QStringLiteral(".tmp.%1").arg(::getpid());
        const QByteArray tempPath = QFile::encodeName(temp);
        const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode);
        if (fd < 0)
            return report(QStringLiteral("cannot write %1: %2").arg(temp, QString::fromLocal8Bit(std::strerror(errno))));
        keepOwnerAndMode(fd);
        const bool written = writeAll(fd, data) && ::fsync(fd) == 0;
        const int savedErrno = errno;
        ::close(fd);
        if (!written || ::rename(tempPath.constData(), QFile::encodeName(file_).constData()) != 0) {
            const int err = written ? errno : savedErrno;
            ::unlink(tempPath.constData());
            return report(QStringLiteral("cannot write %1: %2").arg(file_, QString::fromLocal8Bit(std::strerror(err))));
        }
        const int dirFd = ::open(QFile::encodeName(dir_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
        // What we wrote is what we would read back; take it over without a parse.
        cache_.forget();
        cache_.loaded = true;
        const int held = ::open(QFile::encodeName(file_).constData(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        if (held >= 0 && ::fstat(held, &st) == 0) {
            cache_.present = true;
            cache_.heldFd = held;
            cache_.id = identityOf(st);
            cache_.tree = tree;
        } else {
            if (held >= 0)
                ::close(held);
            cache_.loaded = false;
        }
        return true;
    }

    RegRoot root_;
    QString name_;
    QString dir_;
    QString file_;
    QString lockPath_;
    RootCache &cache_;
};

// A key path we can store: a line break would end the "[...]" line early.
bool storableKey(const QString &key)
{
    return !key.contains(QLatin1Char('\n')) && !key.contains(QLatin1Char('\r'));
}

} // namespace

bool keyExists(RegRoot root, const QString &key)
{
    std::lock_guard guard(storeMutex());
    return Store(root).current().find(key) != nullptr;
}

bool createKey(RegRoot root, const QString &key)
{
    if (!storableKey(key))
        return false;
    std::lock_guard guard(storeMutex());
    return Store(root).modify([&](RegTree &tree, bool &changed) {
        changed = tree.find(key) == nullptr;
        tree.create(key);
        return true;
    });
}

bool deleteKey(RegRoot root, const QString &key)
{
    if (RegTree::normalizePath(key).isEmpty())
        return false;
    std::lock_guard guard(storeMutex());
    return Store(root).modify([&](RegTree &tree, bool &changed) {
        changed = tree.remove(key);
        return changed;
    });
}

QStringList subKeys(RegRoot root, const QString &key)
{
    std::lock_guard guard(storeMutex());
    return Store(root).current().children(key);
}

QStringList valueNames(RegRoot root, const QString &key)
{
    std::lock_guard guard(storeMutex());
    QStringList names;
    if (const RegKey *k = Store(root).current().find(key))
        for (const RegValue &v : k->values())
            names.append(v.name);
    return names;
}

static const RegValue *findValue(RegRoot root, const QString &key, const QString &name)
{
    const RegKey *k = Store(root).current().find(key);
    return k ? k->findValue(name) : nullptr;
}

bool valueExists(RegRoot root, const QString &key, const QString &name)
{
    std::lock_guard guard(storeMutex());
    return findValue(root, key, name) != nullptr;
}

std::optional<QString> readString(RegRoot root, const QString &key, const QString &name)
{
    std::lock_guard guard(storeMutex());
    const RegValue *v = findValue(root, key, name);
    if (!v || v->type != RegValue::String)
        return std::nullopt;
    return v->text;
}

std::optional<quint32> readDword(RegRoot root, const QString &key, const QString &name)
{
    std::lock_guard guard(storeMutex());
    const RegValue *v = findValue(root, key, name);
    if (!v || v->type != RegValue::Dword)
        return std::nullopt;
    return v->dword;
}

static bool writeValue(RegRoot root, const QString &key, const RegValue &value)
{
    if (!storableKey(key))
        return false;
    std::lock_guard guard(storeMutex());
    return Store(root).modify([&](RegTree &tree, bool &changed) {
        RegKey &k = tree.create(key);
        const RegValue *v = k.findValue(value.name);
        if (!v || v->type != value.type || v->text != value.text || v->dword != value.dword) {
            // The stored name keeps its letter case, as the original store does.
            k.setValue(value, true);
            changed = true;
        }
        return true;
    });
}

bool writeString(RegRoot root, const QString &key, const QString &name, const QString &value)
{
    RegValue v;
    v.name = name;
    v.type = RegValue::String;
    v.text = value;
    return writeValue(root, key, v);
}

bool writeDword(RegRoot root, const QString &key, const QString &name, quint32 value)
{
    RegValue v;
    v.name = name;
    v.type = RegValue::Dword;
    v.dword = value;
    return writeValue(root, key, v);
}

bool deleteValue(RegRoot root, const QString &key, const QString &name)
{
    std::lock_guard guard(storeMutex());
    return Store(root).modify([&](RegTree &tree, bool &changed) {
        RegKey *k = tree.find(key);
        if (!k)
            return false;
        changed = k->removeValue(name);
        return changed;
    });
}

QString storeDirectory() { return registryDir(); }

} // namespace reg

// ---- TRegistry -----------------------------------------------------------

bool TRegistry::openKey(const QString &key, bool canCreate)
{
    const QString path = reg::RegTree::normalizePath(key);
    const bool ok = reg::keyExists(root_, path) || (canCreate && reg::createKey(root_, path));
    if (ok) {
        current_ = path;
        open_ = true;
    }
    return ok;
}

bool TRegistry::keyExists(const QString &key) const { return reg::keyExists(root_, key); }

bool TRegistry::valueExists(const QString &name) const
{
    return open_ && reg::valueExists(root_, current_, name);
}

QString TRegistry::readString(const QString &name) const
{
    return open_ ? reg::readString(root_, current_, name).value_or(QString()) : QString();
}

int TRegistry::readInteger(const QString &name) const
{
    return open_ ? static_cast<int>(reg::readDword(root_, current_, name).value_or(0)) : 0;
}

bool TRegistry::writeString(const QString &name, const QString &value)
{
    return open_ && reg::writeString(root_, current_, name, value);
}

bool TRegistry::writeInteger(const QString &name, int value)
{
    return open_ && reg::writeDword(root_, current_, name, static_cast<quint32>(value));
}

bool TRegistry::deleteValue(const QString &name)
{
    return open_ && reg::deleteValue(root_, current_, name);
}

bool TRegistry::deleteKey(const QString &key) { return reg::deleteKey(root_, key); }

QStringList TRegistry::getKeyNames() const
{
    return open_ ? reg::subKeys(root_, current_) : QStringList();
}

QStringList TRegistry::getValueNames() const
{
    return open_ ? reg::valueNames(root_, current_) : QStringList();
}
