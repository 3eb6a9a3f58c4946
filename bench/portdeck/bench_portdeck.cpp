// Portdeck's direct-mode detection of an ISDN TA, a 56K business modem and an
// IDSL modem played by tallysim, against the floor that the pauses of a pass
// without silence set; the start-up to the main window shown; and the
// resident memory after detection.
//
// Floor per answering port: 5 ticks before the open, 10 after it, 9 after the
// close (every wait ends with the answer, which comes at once); a port that
// does not exist costs nothing. Three ports: 72 ticks, 3.96 s at time scale 1.
// A serial port of the machine itself that the scan meets is silent: it adds
// its full waits (18 and 54 ticks) to the floor as well.

#include "clock.h"
#include "comports.h"
#include "containerframe.h"
#include "paths.h"
#include "registry.h"
#include "widgets.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

constexpr int kFloorTicksPerPort = 5 + 10 + 9;
constexpr int kSilentPortTicks = kFloorTicksPerPort + 18 + 54;

// The ticks the scan's own pauses and waits must spend, walking the ports as it does.
int floorTicks(const QList<int> &emulated, int *silentPorts)
{
    int ticks = 0;
    int unavailableInRow = 0;
    *silentPorts = 0;
    for (int port = 1; port < 30; ++port) {
        if (!IsPortAvailable(port)) {
            if (++unavailableInRow > 4)
                break;
            continue;
        }
        unavailableInRow = 0;
        if (emulated.contains(port)) {
            ticks += kFloorTicksPerPort;
        } else {
            ticks += kSilentPortTicks;
            ++*silentPorts;
        }
    }
    return ticks;
}

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

struct Machine {
    QTemporaryDir root;
    std::vector<std::unique_ptr<QProcess>> sims;

    Machine()
    {
        qputenv("TALLYLINE_ROOT", root.path().toLocal8Bit());
        QDir::setCurrent(root.path());
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", "409");
        const QString sim = tl::programDirectory() + QStringLiteral("/tallysim");
        const struct { const char *product; int com; } devices[] = {{"isdnta", 1}, {"56k", 3}, {"idsl", 4}};
        for (const auto &d : devices) {
            auto p = std::make_unique<QProcess>();
            p->start(sim, {"--product", d.product, "--com", QString::number(d.com), "--link",
                           root.path() + QStringLiteral("/ttyCOM%1").arg(d.com)});
            p->waitForReadyRead(5000);   // the terminal's name: the device serves
            sims.push_back(std::move(p));
        }
    }
    ~Machine()
    {
        for (auto &p : sims) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }
};

void DirectDetection(benchmark::State &state)
{
    Machine machine;
    TcontainerFrame frame({});
    frame.TimerAtOpen->setEnabled(false);
    frame.show();
    const double tickMs = 1000.0 / tl::kTicksPerSecond * tl::timeScale();
    double floorMs = 0;
    double wallMs = 0;
    int found = 0;
    int silentPorts = 0;
    floorMs = floorTicks({1, 3, 4}, &silentPorts) * tickMs;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        frame.detectBtnClick();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000.0);
        found = frame.ModemCount;
        wallMs += ms;
    }
    state.counters["products"] = found;
    state.counters["silent_machine_ports"] = silentPorts;
    QElapsedTimer probe;   // what the platform's port test costs per call
    probe.start();
    for (int i = 0; i < 10; ++i)
        IsPortAvailable(5);
    state.counters["port_test_ms"] = double(probe.nsecsElapsed()) / 1e7;
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio_to_floor"] = floorMs > 0 ? wallMs / state.iterations() / floorMs : 0;
    state.counters["rss_kb_after_detection"] = double(residentKb());
}
BENCHMARK(DirectDetection)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void StartupToWindowShown(benchmark::State &state)
{
    QTemporaryDir root;
    qputenv("TALLYLINE_ROOT", root.path().toLocal8Bit());
    QDir::setCurrent(root.path());
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", "409");
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto frame = std::make_unique<TcontainerFrame>(QStringList());
        frame->show();
        if (!QTest::qWaitForWindowExposed(frame.get(), 5000))
            state.SkipWithError("window not shown");
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        frame->TimerAtOpen->setEnabled(false);
    }
    state.counters["rss_kb"] = double(residentKb());
}
BENCHMARK(StartupToWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
