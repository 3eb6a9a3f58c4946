// What noticing plugged-in devices costs, in a root of its own with 29
// registered ports (the most a detection pass probes), each a link to a
// pseudo-terminal:
//   Look             one look at the ports (the registry, the system's serial
//                    devices, each node checked, the folders watched)
//   NoticeANewPort   from a new registered port's link made to the watcher's
//                    signal (file system notification and event loop)
//
//   bench_portwatch [--benchmark_filter=...]
#include "registry.h"
#include "serialportwatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

const QString kKey = QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM");

struct Ports {
    QTemporaryDir dir;
    QString terminal;
    int master = -1;
    Ports()
    {
        qputenv("TALLYLINE_ROOT", QFile::encodeName(dir.path()));
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        terminal = QString::fromLocal8Bit(::ptsname(master));
        QDir().mkpath(dir.path() + QStringLiteral("/links"));
        for (int com = 1; com < 30; ++com)
            add(com);
    }
    ~Ports() { ::close(master); }
    QString link(int com) const { return dir.path() + QStringLiteral("/links/ttyB%1").arg(com); }
    void add(int com)
    {
        QFile::link(terminal, link(com));
        reg::writeString(RegRoot::LocalMachine, kKey, link(com), QStringLiteral("COM%1").arg(com));
    }
};

void Look(benchmark::State &state)
{
    Ports ports;
    tl::SerialPortWatcher watcher;
    for (auto _ : state)
        benchmark::DoNotOptimize(watcher.look());
}
BENCHMARK(Look)->Unit(benchmark::kMillisecond);

void NoticeANewPort(benchmark::State &state)
{
    Ports ports;
    QFile::remove(ports.link(29));
    tl::SerialPortWatcher watcher;
    bool noticed = false;
    QObject::connect(&watcher, &tl::SerialPortWatcher::mayHaveChanged, [&] { noticed = true; });
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(ports.link(29));
        QCoreApplication::processEvents();
        noticed = false;
        state.ResumeTiming();
        QFile::link(ports.terminal, ports.link(29));
        while (!noticed)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
}
BENCHMARK(NoticeANewPort)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
