// A whole update run of the engine (update.ini, its signature, the readme, one
// large file, verification on disk, install and record) from a local HTTP site
// (python3's http.server in its own process), side by side with what a shell
// does for the same bytes: curl fetching the same four files to disk, then
// sha256sum over the large one. Also the growth of peak resident memory during
// the run, for two sizes: a streaming run grows the same for both.

#include "localsite.h"
#include "control.h"
#include "registry.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QEventLoop>

#include <benchmark/benchmark.h>

namespace {

// Peak resident memory since the last reset, in kB (VmHWM).
long peakKb()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

void resetPeak()
{
    QFile refs("/proc/self/clear_refs");
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void BM_SignedUpdateRun(benchmark::State &state)
{
    const qint64 megabytes = state.range(0);
    QTemporaryDir root, site, keys, shell;
    qputenv("TALLYLINE_ROOT", QFile::encodeName(root.path()));
    const QString product = QStringLiteral("Bench");

    // The site: a file of pseudo-random bytes, notes, update.ini and its signature.
    {
        QFile f(site.filePath("big.bin"));
        f.open(QIODevice::WriteOnly);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QByteArray block(1 << 20, 0);
        quint32 x = 12345;
        for (qint64 m = 0; m < megabytes; ++m) {
            for (char &c : block) {
                x = x * 1103515245u + 12345u;
                c = char(x >> 23);
            }
            f.write(block);
            hash.addData(block);
        }
        QFile notes(site.filePath("readme.txt"));
        notes.open(QIODevice::WriteOnly);
        notes.write("What is new\n");
        QFile ini(site.filePath("update.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Update]\nProduct=Bench\nVersion=2.0\nReadme=readme.txt\nFiles=1\n[File1]\nName=big.bin\nSize="
                  + QByteArray::number(megabytes << 20) + "\nSHA256=" + hash.result().toHex() + "\n");
    }
    if (!run("minisign", {"-G", "-W", "-p", keys.filePath("k.pub"), "-s", keys.filePath("k.key")})
        || !run("minisign", {"-S", "-s", keys.filePath("k.key"), "-m", site.filePath("update.ini"), "-t",
                             "product=Bench\texpires=2099-12-31"})) {
        state.SkipWithError("minisign is needed (scripts/deps)");
        return;
    }
    QFile pub(keys.filePath("k.pub"));
    pub.open(QIODevice::ReadOnly);
    const QString publicKey = QString::fromLatin1(pub.readAll().split('\n').value(1));

    LocalSite server(site.path());
    const QString url = server.url();

    const QString key = QStringLiteral("Software\\Varnel\\Patchwell\\Products\\") + product;
    reg::writeString(RegRoot::LocalMachine, key, "ProductUpdateURL", url);
    reg::writeString(RegRoot::LocalMachine, key, "UpdatePublicKey", publicKey);
    reg::writeDword(RegRoot::LocalMachine, key, "ConfirmAllUpdates", 0);
    double engineSeconds = 0, shellSeconds = 0, worst = 0;
    long growth = 0;
    for (auto _ : state) {
        reg::writeString(RegRoot::LocalMachine, key, "InstalledVersion", "1.0");
        QDir(root.filePath("patchwell/updates")).removeRecursively();
        pw::PatchwellControl control;
        // A real event loop, as the host runs: a loop that sleeps between
        // rounds (QTest::qWaitFor) would hold the transfer back.
        QEventLoop loop;
        long last = -1;
        control.Advise([&](long kind, long, const QString &) {
            last = kind;
            if (kind >= 10 && kind != 12)
                loop.quit();
        });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        QVariantList args{0};
        resetPeak();
        const long before = peakKb();
        QElapsedTimer t;
        t.start();
        control.Invoke(pw::DispUpdateNow, args);
        loop.exec();
        const double engine = t.nsecsElapsed() / 1e9;
        growth = qMax(growth, peakKb() - before);
        if (last != 11)
            state.SkipWithError("update run did not finish");

        QDir(shell.path()).removeRecursively();
        QDir().mkpath(shell.path());
        QElapsedTimer c;
        c.start();
        run("curl", {"-s", "-f", "-o", shell.filePath("update.ini"), url + "update.ini", "-o",
                     shell.filePath("update.ini.minisig"), url + "update.ini.minisig", "-o",
                     shell.filePath("readme.txt"), url + "readme.txt", "-o", shell.filePath("big.bin"),
                     url + "big.bin"});
        run("sha256sum", {shell.filePath("big.bin")});
        const double shellRun = c.nsecsElapsed() / 1e9;
        engineSeconds += engine;
        shellSeconds += shellRun;
        worst = qMax(worst, engine / shellRun);
    }
    state.counters["engine_s"] = benchmark::Counter(engineSeconds, benchmark::Counter::kAvgIterations);
    state.counters["curl_sha256sum_s"] = benchmark::Counter(shellSeconds, benchmark::Counter::kAvgIterations);
    state.counters["engine_per_shell"] = shellSeconds > 0 ? engineSeconds / shellSeconds : 0;
    state.counters["worst_run_per_shell"] = worst;
    state.counters["peak_rss_growth_MB"] = growth / 1024.0;
}
BENCHMARK(BM_SignedUpdateRun)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
