// Why a port cannot be opened: missing permission names the device node's
// group, a port in use names the program holding it (lock file) or says
// "another program" (exclusive use).

#include "fresh_root.h"
#include "other_user.h"
#include "paths.h"
#include "ptypair.h"
#include "serialport.h"
#include "serialportaccess.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString helperProgram() { return tl::programDirectory() + QStringLiteral("/tlplatform_helper"); }

QString groupOf(const QString &device)
{
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return QString();
    const struct group *gr = ::getgrgid(st.st_gid);
    return gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(st.st_gid);
}

// Root may give the pseudo-terminal to the group a USB serial adapter's node
// has; otherwise it keeps its own (tty, usually).
void giveToDialout(const QString &device)
{
    const struct group *gr = ::getgrnam("dialout");
    if (::geteuid() == 0 && gr) {
        ASSERT_EQ(::chown(QFile::encodeName(device).constData(), uid_t(-1), gr->gr_gid), 0);
    }
}

gid_t gidOf(const QString &device)
{
    struct stat st {};
    ::stat(QFile::encodeName(device).constData(), &st);
    return st.st_gid;
}

class SerialPortAccessTest : public FreshRootTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.valid());
        pty.registerAs(7);
        port.setComNumber(7);
        // Lock files of the test's own, never the machine's.
        previousLockDirs = qgetenv("TALLYLINE_SERIAL_LOCK_DIRS");
        lockDir = root.file(QStringLiteral("locks"));
        QDir().mkpath(lockDir);
        qputenv("TALLYLINE_SERIAL_LOCK_DIRS", QFile::encodeName(lockDir));
    }
    void TearDown() override
    {
        tl::setOpenErrorForTesting(pty.slavePath(), 0);
        if (previousLockDirs.isEmpty())
            qunsetenv("TALLYLINE_SERIAL_LOCK_DIRS");
        else
            qputenv("TALLYLINE_SERIAL_LOCK_DIRS", previousLockDirs);
        if (holder.state() != QProcess::NotRunning) {
            holder.kill();
            holder.waitForFinished();
        }
    }
    void writeLock(const QString &name, const QByteArray &text)
    {
        QFile f(lockDir + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // The device's lock file name as the serial tools write it: "LCK..pts_3".
    QString lockName() const { return QLatin1String("LCK..") + pty.slavePath().mid(5).replace(QLatin1Char('/'), QLatin1Char('_')); }
    // Runs the open as an ordinary user: this process directly when it is one,
    // else the helper program as a second user (root passes every check).
    // Returns the helper's answer line, or "" when neither can be done.
    QString openAsOrdinaryUser(QString *why)
    {
        if (::geteuid() != 0) {
            try {
                port.open();
                return QStringLiteral("opened");
            } catch (const EApdPortNoPermission &e) {
                return QStringLiteral("no-permission %1 %2 %3").arg(e.device(), e.group()).arg(int(e.groupGrantsAccess()));
            } catch (const EApdPortInUse &e) {
                return QStringLiteral("in-use %1 %2").arg(e.pid()).arg(e.program()).trimmed();
            } catch (const EApdPortError &e) {
                return QStringLiteral("error %1").arg(QString::fromLocal8Bit(e.what()));
            }
        }
        const auto user = otherUser(why);
        const QString registry = root.file(QStringLiteral("registry"));
        if (!user || !handOver(root.path(), registry, *user))
            return QString();
        for (const QString &name : QDir(registry).entryList(QDir::Files))
            if (::chown(QFile::encodeName(registry + QLatin1Char('/') + name).constData(), user->uid, user->gid) != 0)
                return QString();
        QByteArray out, err;
        if (runAsOtherUser(*user, helperProgram(), {"openport", "7"}, &out, &err) != 0) {
            *why = QString::fromLocal8Bit(err);
            return QString();
        }
        return QString::fromLocal8Bit(out).trimmed();
    }

    PtyPair pty;
    TApdComPort port;
    QString lockDir;
    QByteArray previousLockDirs;
    QProcess holder;
};

TEST_F(SerialPortAccessTest, ALockFileOfALiveProgramNamesItAndKeepsThePortClosed)
{
    holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    const qint64 pid = holder.processId();
    // The UUCP form: the pid right-aligned in ten places.
    writeLock(lockName(), QByteArray::number(pid).rightJustified(10, ' ') + '\n');
    try {
        port.open();
        FAIL() << "opened a port another program has locked";
    } catch (const EApdPortInUse &e) {
        EXPECT_EQ(e.pid(), pid);
        EXPECT_EQ(e.program(), QStringLiteral("sleep"));
        EXPECT_EQ(e.device(), pty.slavePath());
        EXPECT_EQ(e.comNumber(), 7);
    }
    EXPECT_FALSE(port.isOpen());

    // Once that program has ended its lock is stale: the port opens, and the
    // lock file, not ours, stays where it is.
    holder.kill();
    holder.waitForFinished();
    EXPECT_NO_THROW(port.open());
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(QFile::exists(lockDir + QLatin1Char('/') + lockName()));
}

TEST_F(SerialPortAccessTest, LockFilesByDeviceNameOrWithTheProgramsNameAreRead)
{
    // A lock by the device's own name, with a program name on its second line
    // (the process's name comes first, when it can be read).
    holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    writeLock(QLatin1String("LCK..") + QFileInfo(pty.slavePath()).fileName(),
              QByteArray::number(holder.processId()) + "\nminicom\nhost\n");
    EXPECT_THROW(port.open(), EApdPortInUse);

    // This process's own lock (a second port object on the same device) and
    // a lock file that names no number are not another program's.
    holder.kill();
    holder.waitForFinished();
    writeLock(lockName(), QByteArray::number(qint64(::getpid())) + "\n");
    writeLock(QLatin1String("LCK..") + QFileInfo(pty.slavePath()).fileName(), "garbage\n");
    EXPECT_NO_THROW(port.open());
}

TEST_F(SerialPortAccessTest, InjectedOpenErrorsTakeTheSystemsPath)
{
    const QString device = pty.slavePath();
    giveToDialout(device);
    ASSERT_EQ(::chmod(QFile::encodeName(device).constData(), 0660), 0);
    tl::setOpenErrorForTesting(device, EACCES);
    try {
        port.open();
        FAIL() << "opened";
    } catch (const EApdPortNoPermission &e) {
        EXPECT_EQ(e.device(), device);
        EXPECT_EQ(e.group(), groupOf(device));
        // Root's own group is never offered.
        EXPECT_EQ(e.groupGrantsAccess(), gidOf(device) != 0);
    }
    // A node its group may not read and write: joining the group is no help.
    ASSERT_EQ(::chmod(QFile::encodeName(device).constData(), 0620), 0);
    try {
        port.open();
        FAIL() << "opened";
    } catch (const EApdPortNoPermission &e) {
        EXPECT_FALSE(e.groupGrantsAccess());
    }
    // The same look without opening, for a caller that only learnt of a failure.
    EXPECT_EQ(tl::portAccessProblem(7).kind, tl::PortAccessProblem::NoPermission);
    tl::setOpenErrorForTesting(device, EBUSY);
    EXPECT_EQ(tl::portAccessProblem(7).kind, tl::PortAccessProblem::InUse);
    try {
        port.open();
        FAIL() << "opened";
    } catch (const EApdPortInUse &e) {
        EXPECT_EQ(e.pid(), 0);
        EXPECT_EQ(e.program(), QString());
    }
    tl::setOpenErrorForTesting(device, 0);
    EXPECT_EQ(tl::portAccessProblem(7).kind, tl::PortAccessProblem::None);
    EXPECT_NO_THROW(port.open());
}

TEST_F(SerialPortAccessTest, ADeviceNodeWithoutPermissionNamesItsGroup)
{
    const QString device = pty.slavePath();
    giveToDialout(device);
    ASSERT_EQ(::chmod(QFile::encodeName(device).constData(), 0), 0);
    QString why;
    const QString answer = openAsOrdinaryUser(&why);
    if (answer.isEmpty())
        GTEST_SKIP() << qPrintable(why);
    EXPECT_EQ(answer.toStdString(), QStringLiteral("no-permission %1 %2 0").arg(device, groupOf(device)).toStdString());
}

TEST_F(SerialPortAccessTest, APortOpenedForExclusiveUseIsInUse)
{
    const QString device = pty.slavePath();
    ASSERT_EQ(::chmod(QFile::encodeName(device).constData(), 0666), 0);
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ioctl(fd, TIOCEXCL), 0);
    QString why;
    const QString answer = openAsOrdinaryUser(&why);
    ::close(fd);
    if (answer.isEmpty())
        GTEST_SKIP() << qPrintable(why);
    EXPECT_EQ(answer.toStdString(), "in-use 0");
}

} // namespace
