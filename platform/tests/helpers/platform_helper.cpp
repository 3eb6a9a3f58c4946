// Second process for the platform tests. Usage: tlplatform_helper <mode> <args...>
//   regwrite <key> <prefix> <count>   writes <prefix>0..<count-1> as dwords under HKLM\<key>
//   regloop <key>                     rewrites a large value under HKLM\<key> until killed
//   regread <key> <name>              reads a string under HKLM\<key> three times, prints it or "(none)"
//   reglock                           holds the write lock of HKLM, says "held", waits to be killed
//   iniwrite <file> <section> <key> <value>   WritePrivateProfileString; exit code 0 when it succeeded
//   hold <name>                       takes the named lock, says "held" or "busy", then waits to be killed
//   exists <name>                     exit code 0 when a live process holds the named lock, else 1
//   shmwrite <name> <text>            creates the block and puts the text in, keeps it open until killed
//   shmread <name>                    prints the text in an existing block (exit 1 when there is none)
//   openport <n>                      opens COMn: prints "opened", "no-permission <device> <group> <0|1>",
//                                     "in-use <pid> <program>" or "error"
//   exit <code>                       ends at once with that code

#include "inifile.h"
#include "paths.h"
#include "registry.h"
#include "serialport.h"
#include "sharedmemory.h"
#include "singleinstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

int regWrite(int argc, char **argv)
{
    if (argc < 5)
        return 2;
    const QString key = QString::fromLocal8Bit(argv[2]);
    const QString prefix = QString::fromLocal8Bit(argv[3]);
    const int count = std::atoi(argv[4]);
    for (int i = 0; i < count; ++i)
        if (!reg::writeDword(RegRoot::LocalMachine, key, prefix + QString::number(i), quint32(i)))
            return 1;
    return 0;
}

int regLoop(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const QString key = QString::fromLocal8Bit(argv[2]);
    const QString filler(20000, QLatin1Char('x'));
    for (quint32 i = 0;; ++i) {
        reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("big%1").arg(i % 50), filler + QString::number(i));
        if (i == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}

[[noreturn]] void waitToBeKilled()
{
    for (;;)
        ::pause();
}

int regRead(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    for (int i = 0; i < 3; ++i) {
        const auto v = reg::readString(RegRoot::LocalMachine, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        std::puts(v ? qPrintable(*v) : "(none)");
    }
    return 0;
}

// Stands for a writer that hangs while it holds the lock.
int regLock()
{
    const QByteArray path = QFile::encodeName(tl::tallylineRoot() + QStringLiteral("/registry/HKEY_LOCAL_MACHINE.lock"));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
        return 1;
    std::puts("held");
    std::fflush(stdout);
    waitToBeKilled();
}

int iniWrite(int argc, char **argv)
{
    if (argc < 6)
        return 2;
    return WritePrivateProfileString(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]),
                                     QString::fromLocal8Bit(argv[5]), QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}

int hold(const QString &name)
{
    NamedMutex mutex(name);
    std::puts(mutex.create() ? "held" : "busy");
    std::fflush(stdout);
    waitToBeKilled();
}

int shmWrite(const QString &name, const char *text)
{
    SharedMemoryBlock block(name);
    if (!block.create(100))
        return 1;
    std::strncpy(static_cast<char *>(block.data()), text, block.size() - 1);
    std::puts("written");
    std::fflush(stdout);
    waitToBeKilled();
}

int shmRead(const QString &name)
{
    SharedMemoryBlock block(name);
    if (!block.open())
        return 1;
    std::puts(static_cast<const char *>(block.data()));
    return 0;
}

int openPort(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TApdComPort port;
    port.setComNumber(std::atoi(argv[2]));
    try {
        port.open();
        std::puts("opened");
    } catch (const EApdPortNoPermission &e) {
        std::printf("no-permission %s %s %d\n", qPrintable(e.device()), qPrintable(e.group()), int(e.groupGrantsAccess()));
    } catch (const EApdPortInUse &e) {
        std::printf("in-use %lld %s\n", static_cast<long long>(e.pid()), qPrintable(e.program()));
    } catch (const EApdPortError &e) {
        std::printf("error %s\n", e.what());
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const char *mode = argv[1];
    if (!std::strcmp(mode, "regwrite"))
        return regWrite(argc, argv);
    if (!std::strcmp(mode, "regloop"))
        return regLoop(argc, argv);
    if (!std::strcmp(mode, "regread"))
        return regRead(argc, argv);
    if (!std::strcmp(mode, "reglock"))
        return regLock();
    if (!std::strcmp(mode, "iniwrite"))
        return iniWrite(argc, argv);
    const QString name = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (!std::strcmp(mode, "hold"))
        return hold(name);
    if (!std::strcmp(mode, "exists"))
        return NamedMutex::exists(name) ? 0 : 1;
    if (!std::strcmp(mode, "shmwrite") && argc > 3)
        return shmWrite(name, argv[3]);
    if (!std::strcmp(mode, "shmread"))
        return shmRead(name);
    if (!std::strcmp(mode, "openport") && argc > 2)
        return openPort(argc, argv);
    if (!std::strcmp(mode, "exit"))
        return argc > 2 ? std::atoi(argv[2]) : 0;
    return 2;
}
