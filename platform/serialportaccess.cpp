#include "serialportaccess.h"

#include "comports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tl {

namespace {

QMutex faultMutex;
QHash<QString, int> &faults()
{
    static QHash<QString, int> table;
    return table;
}

// The names a lock file for this device may have: "LCK..ttyUSB0" as the UUCP
// tools write it, and the form with the path below /dev ("LCK..pts_3") or the
// whole path ("LCK.._tmp_port") with its slashes turned into underscores.
QStringList lockNames(const QString &device)
{
    QStringList names;
    auto add = [&names](const QString &path) {
        const QString base = QFileInfo(path).fileName();
        QString relative = path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
        relative.replace(QLatin1Char('/'), QLatin1Char('_'));
        for (const QString &name : {base, relative})
            if (!name.isEmpty() && !names.contains(QLatin1String("LCK..") + name))
                names << QLatin1String("LCK..") + name;
    };
    add(device);
    const QString target = QFileInfo(device).canonicalFilePath();
    if (!target.isEmpty() && target != device)
        add(target);
    return names;
}

bool processAlive(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

QString processName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

} // namespace

QStringList serialLockDirectories()
{
    const QByteArray configured = qgetenv("TALLYLINE_SERIAL_LOCK_DIRS");
    if (!configured.isEmpty())
        return QString::fromLocal8Bit(configured).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return {QStringLiteral("/var/lock"), QStringLiteral("/run/lock")};
}

std::optional<SerialLockHolder> serialLockHolder(const QString &device)
{
    const QStringList names = lockNames(device);
    for (const QString &dir : serialLockDirectories()) {
        for (const QString &name : names) {
            QFile file(dir + QLatin1Char('/') + name);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            // The pid in ASCII on the first line (UUCP pads it with blanks);
            // some writers add the program's name on the second.
            const QList<QByteArray> lines = file.read(4096).split('\n');
            bool ok = false;
            const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
            if (!ok || pid == qint64(::getpid()) || !processAlive(pid))
                continue;
            SerialLockHolder holder{pid, processName(pid)};
            if (holder.program.isEmpty())
                holder.program = QString::fromLocal8Bit(lines.value(1).trimmed());
            return holder;
        }
    }
    return std::nullopt;
}

DeviceGroup deviceGroup(const QString &device)
{
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return {};
    DeviceGroup group;
    const struct group *gr = ::getgrgid(st.st_gid);
    group.name = gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(st.st_gid);
    // Joining root's group is no advice to give.
    group.grantsAccess = st.st_gid != 0 && (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    return group;
}

int probeOpen(const QString &device)
{
    if (const int injected = openErrorForTesting(device))
        return injected;
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

PortAccessProblem lockedBy(int comNumber, const QString &device, const SerialLockHolder &holder)
{
    PortAccessProblem p;
    p.kind = PortAccessProblem::InUse;
    p.comNumber = comNumber;
    p.device = device;
    p.pid = holder.pid;
    p.program = holder.program;
    return p;
}

PortAccessProblem openRefused(int comNumber, const QString &device, int error)
{
    PortAccessProblem p;
    p.comNumber = comNumber;
    p.device = device;
    if (error == EACCES || error == EPERM) {
        const DeviceGroup group = deviceGroup(device);
        p.kind = PortAccessProblem::NoPermission;
        p.group = group.name;
        p.groupGrantsAccess = group.grantsAccess;
    } else if (error == EBUSY) {
        p.kind = PortAccessProblem::InUse;   // opened by another for exclusive use
    }
    return p;
}

PortAccessProblem portAccessProblem(int comNumber)
{
    const QString device = comPortDevice(comNumber);
    if (device.isEmpty())
        return {};
    if (const auto holder = serialLockHolder(device))
        return lockedBy(comNumber, device, *holder);
    return openRefused(comNumber, device, probeOpen(device));
}

void setOpenErrorForTesting(const QString &device, int error)
{
    QMutexLocker lock(&faultMutex);
    if (error == 0)
        faults().remove(device);
    else
        faults().insert(device, error);
}

int openErrorForTesting(const QString &device)
{
    QMutexLocker lock(&faultMutex);
    return faults().value(device, 0);
}

} // namespace tl
