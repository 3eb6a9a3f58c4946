#include "safefs.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pw::safefs {

namespace {

// The paths from base's child down to path; empty when path is not below base.
QStringList pathsBelow(const QString &base, const QString &path)
{
    const QString rel = QDir(base).relativeFilePath(QDir::cleanPath(path));
    if (rel.isEmpty() || rel == QLatin1String(".") || rel.startsWith(QLatin1String("..")) || QDir::isAbsolutePath(rel))
        return {};
    QStringList out;
    QString current = QDir::cleanPath(base);
    for (const QString &part : rel.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        current += QLatin1Char('/') + part;
        out << current;
    }
    return out;
}

bool removeAt(int dirFd, const char *name)
{
    struct stat st {};
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(dirFd, name, 0) == 0 || errno == ENOENT;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent *e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
    }
    bool ok = true;
    for (const std::string &n : names)
        ok = removeAt(fd, n.c_str()) && ok;
    ::closedir(dir);
    return ::unlinkat(dirFd, name, AT_REMOVEDIR) == 0 && ok;
}

} // namespace

bool isLink(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

QString linkBelow(const QString &base, const QString &path)
{
    for (const QString &p : pathsBelow(base, path)) {
        if (isLink(p))
            return p;
    }
    return {};
}

bool makeFolder(const QString &base, const QString &path, QString *why)
{
    const QStringList paths = pathsBelow(base, path);
    if (paths.isEmpty()) {
        if (why)
            *why = path + QStringLiteral(" is not inside ") + base;
        return false;
    }
    QDir().mkpath(base);
    for (const QString &p : paths) {
        const QByteArray name = QFile::encodeName(p);
        if (::mkdir(name.constData(), 0700) == 0)
            continue;
        const int err = errno;
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0) {
            if (why)
                *why = QStringLiteral("cannot create %1: %2").arg(p, QString::fromLocal8Bit(std::strerror(err)));
            return false;
        }
        if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) {
            if (why)
                *why = p + (S_ISLNK(st.st_mode) ? QStringLiteral(" is a link") : QStringLiteral(" is not a folder"));
            return false;
        }
    }
    return true;
}

bool removeTree(const QString &path)
{
    return removeAt(AT_FDCWD, QFile::encodeName(path).constData());
}

bool syncFolder(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

int createFile(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

} // namespace pw::safefs
