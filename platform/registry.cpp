#include "registry.h"

#include "paths.h"
#include "registryfile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// How the store stays consistent between processes:
// - readers parse the root's file and keep it open; a later call re-reads only
//   when the path now names another file (another inode: it was replaced) or its
//   size or time changed. Holding the old file open keeps its inode number from
//   being reused, so "same inode" really means "same file".
// - writers take an exclusive flock on "<root>.lock", re-read the file, change
//   it, write "<root>.reg.tmp.<pid>", fsync it and rename it over the file. A
//   writer killed half-way leaves only a temporary file, which no reader opens
//   and the next writer removes.

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
    bool badKnown = false;  // a damaged file that could not be set aside, already reported
    FileIdentity badId;

    void forget()
    {
        if (heldFd >= 0)
            ::close(heldFd);
        heldFd = -1;
        loaded = false;
        present = false;
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

class FileLock {
public:
    explicit FileLock(const QString &path)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0)
            return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~FileLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // closing drops the flock
    }
    bool ok() const { return fd_ >= 0; }
private:
    int fd_ = -1;
};

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
            return report(QStringLiteral("cannot lock %1: %2").arg(lockPath_, QString::fromLocal8Bit(std::strerror(errno))));
        removeStaleTemporaries();
        refresh(true);
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
            if (cache_.loaded && !cache_.present)
                return;
            cache_.forget();
            cache_.loaded = true;
            return;
        }
        if (cache_.loaded && cache_.present && cache_.id == identityOf(st))
            return;
        if (cache_.badKnown && cache_.badId == identityOf(st)) {
            cache_.forget();
            cache_.loaded = true;
            return;
        }

        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            cache_.forget();
            cache_.loaded = true;
            return;
        }
        struct stat opened;
        QByteArray data;
        QString error;
        RegTree tree;
        if (::fstat(fd, &opened) != 0 || !readAll(fd, data)) {
            ::close(fd);
            cache_.forget();
            cache_.loaded = true;
            return;
        }
        if (!parseRegistryText(data, name_, tree, &error)) {
            ::close(fd);
            setAsideDamaged(underLock, error, identityOf(opened));
            return;
        }
        cache_.forget();
        cache_.loaded = true;
        cache_.present = true;
        cache_.id = identityOf(opened);
        cache_.heldFd = fd;
        cache_.tree = std::move(tree);
    }

    // Moves a damaged file out of the way, once, under the lock: by the time we
    // hold it another process may already have replaced or moved the file.
    void setAsideDamaged(bool underLock, const QString &why, const FileIdentity &id)
    {
        if (!underLock) {
            FileLock lock(lockPath_);
            refresh(true);
            return;
        }
        cache_.forget();
        cache_.loaded = true;
        QString target = file_ + QStringLiteral(".bad");
        for (int n = 2; QFile::exists(target); ++n)
            target = file_ + QStringLiteral(".%1.bad").arg(n);
        if (::rename(QFile::encodeName(file_).constData(), QFile::encodeName(target).constData()) == 0)
            report(QStringLiteral("%1 is damaged (%2); set aside as %3, starting with an empty %4")
                       .arg(file_, why, target, name_));
        else {
            report(QStringLiteral("%1 is damaged (%2) and could not be set aside; using an empty %3")
                       .arg(file_, why, name_));
            cache_.badKnown = true;
            cache_.badId = id;
        }
    }

    // Temporary files of writers that died; we hold the lock, so none is in use.
    void removeStaleTemporaries()
    {
        const QStringList stale = QDir(dir_).entryList({name_ + QStringLiteral(".reg.tmp.*")}, QDir::Files | QDir::Hidden);
        for (const QString &f : stale)
            QFile::remove(dir_ + QLatin1Char('/') + f);
    }

    bool store(const RegTree &tree)
    {
        const QByteArray data = formatRegistryText(tree, name_);
        const QString temp = file_ + QStringLiteral(".tmp.%1").arg(::getpid());
        const QByteArray tempPath = QFile::encodeName(temp);
        const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return report(QStringLiteral("cannot write %1: %2").arg(temp, QString::fromLocal8Bit(std::strerror(errno))));
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
        for (const RegValue &v : k->values)
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
        RegValue *v = k.findValue(value.name);
        if (!v) {
            k.values.append(value);
            changed = true;
        } else if (v->type != value.type || v->text != value.text || v->dword != value.dword) {
            // The stored name keeps its letter case, as the original store does.
            const QString storedName = v->name;
            *v = value;
            v->name = storedName;
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
        for (qsizetype i = 0; i < k->values.size(); ++i) {
            if (k->values[i].name.compare(name, Qt::CaseInsensitive) == 0) {
                k->values.removeAt(i);
                changed = true;
                return true;
            }
        }
        return false;
    });
}

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
