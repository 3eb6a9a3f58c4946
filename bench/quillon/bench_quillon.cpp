// The read-back chain (ati12 to ati4) against the device emulator. With the
// emulator sending at 57600 baud the chain's wall time is compared with the
// time its bytes need on the wire (10 bits per byte, both directions); without
// the delay the figure is the library's and the link's own overhead.
#include "modules.h"
#include "paths.h"
#include "progressform.h"
#include "quillonexports.h"
#include "quillonform.h"
#include "serialport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

bool waitFor(const std::function<bool()> &cond, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    return true;
}

// Bytes of the command lines the emulator logged ("> " lines, "\r" written as two characters).
qint64 commandBytes(const QString &log)
{
    QFile f(log);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    qint64 n = 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("> "))
            n += QByteArray(line.mid(2)).replace("\\r", "\r").size();
    return n;
}

class Rig {
public:
    explicit Rig(bool wireSpeed)
    {
        qputenv("TALLYLINE_ROOT", QFile::encodeName(dir_.path()));
        log_ = dir_.path() + "/tallysim.log";
        QStringList args{"--product", "isdnta", "--com", "11", "--switch", "0", "--log", log_};
        if (wireSpeed)
            args << "--fault" << "baud=57600";
        sim_.start(tl::programDirectory() + "/tallysim", args);
        ok_ = sim_.waitForStarted(5000) && waitFor([&] { return sim_.canReadLine(); }, 5000);
        if (!ok_)
            return;
        host_ = std::make_unique<QWidget>();
        port_ = new TApdComPort(host_.get());
        port_->setComNumber(11);
        port_->open();
        module_ = LoadLibrary(QStringLiteral(QUILLON_TESTABLE_LIBRARY));
        auto init = reinterpret_cast<InitializeQuillonFn>(GetProcAddress(module_, "_InitializeQuillon"));
        show_ = reinterpret_cast<ShowQuillonFormFn>(GetProcAddress(module_, "_ShowQuillonForm"));
        auto trigger = reinterpret_cast<TriggerAvailFn>(GetProcAddress(module_, "_QuillonComPort1TriggerAvail"));
        QObject::connect(port_, &TApdComPort::triggerAvail, host_.get(), [this, trigger](int count) {
            received_ += count;
            trigger(port_, static_cast<unsigned short>(count));
            port_->flushInBuffer();
        });
        init(host_.get(), port_, "QB0412001", "European", host_.get(), 0x8190);
        form_ = host_->findChild<TQuillonForm *>();
        ok_ = form_ != nullptr;
    }
    ~Rig()
    {
        if (module_) {
            reinterpret_cast<VoidFn>(GetProcAddress(module_, "_DestroyQuillonDll"))();
        }
        host_.reset();
        sim_.terminate();
        if (!sim_.waitForFinished(5000))
            sim_.kill();
    }
    bool ok() const { return ok_; }

    // One chain; returns false when it did not end.
    bool readBack(double *seconds, qint64 *wireBytes)
    {
        // Let any clock exchange of the previous chain finish first.
        waitFor([&] { return form_->clockStep == 0; }, 5000);
        show_(0, 1, "APPLICATION", "Germany Internal");
        const qint64 sentBefore = commandBytes(log_);
        received_ = 0;
        QElapsedTimer t;
        t.start();
        show_(1, 1, "APPLICATION", "Germany Internal");
        const bool done = waitFor([&] { return !form_->chainRunning; }, 60000);
        *seconds = t.nsecsElapsed() / 1e9;
        waitFor([&] { return false; }, 20);   // the log line of the last query
        *wireBytes = received_ + (commandBytes(log_) - sentBefore);
        return done && !form_->chainFailed;
    }

private:
    QTemporaryDir dir_;
    QString log_;
    QProcess sim_;
    std::unique_ptr<QWidget> host_;
    TApdComPort *port_ = nullptr;
    HMODULE module_ = nullptr;
    ShowQuillonFormFn show_ = nullptr;
    TQuillonForm *form_ = nullptr;
    qint64 received_ = 0;
    bool ok_ = false;
};

void runChain(benchmark::State &state, bool wireSpeed)
{
    Rig rig(wireSpeed);
    if (!rig.ok()) {
        state.SkipWithError("tallysim or the library is not available");
        return;
    }
    double totalWall = 0, totalWire = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        double seconds = 0;
        qint64 wire = 0;
        if (!rig.readBack(&seconds, &wire)) {
            state.SkipWithError("the read-back did not end");
            return;
        }
        state.SetIterationTime(seconds);
        totalWall += seconds;
        totalWire += wire * 10.0 / 57600.0;
        bytes = wire;
    }
    state.counters["bytes"] = double(bytes);
    state.counters["wire_ms"] = totalWire * 1000.0 / double(state.iterations());
    state.counters["wall_ms"] = totalWall * 1000.0 / double(state.iterations());
    state.counters["wall_per_wire"] = totalWall / totalWire;
}

void BM_ReadBackAt57600(benchmark::State &state) { runChain(state, true); }
void BM_ReadBackNoDelay(benchmark::State &state) { runChain(state, false); }

} // namespace

BENCHMARK(BM_ReadBackAt57600)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ReadBackNoDelay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Real time: the emulator's byte delay must not be scaled.
    qputenv("TALLYLINE_TIME_SCALE", "1");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
