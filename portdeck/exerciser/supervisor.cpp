// The run against the real portdeck program: each program started with the
// exerciser loaded into it, on a machine state and devices that last the
// whole run, its devices' faults switched from here meanwhile, and every
// program seen to end by itself, cleanly.
#include "supervisor.h"

#include "paths.h"
#include "registry.h"
#include "simdevices.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <cstdio>
#include <random>

namespace {

// A sanitizer's run-time must come before anything else loaded into the
// program; when this process has one, the program gets the same one first.
QString sanitizerRuntime()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const int slash = line.indexOf('/');
        if (slash >= 0 && line.contains("/libasan.so"))
            return QString::fromLocal8Bit(line.mid(slash));
    }
    return {};
}

// Where a program that does not end is stuck, when a debugger is at hand.
void printStacks(qint64 pid)
{
    QProcess gdb;
    gdb.setProcessChannelMode(QProcess::ForwardedChannels);
    gdb.start(QStringLiteral("gdb"), {QStringLiteral("-p"), QString::number(pid), QStringLiteral("-batch"),
                                      QStringLiteral("-ex"), QStringLiteral("thread apply all bt 40")});
    if (gdb.waitForStarted(5000) && !gdb.waitForFinished(60000))
        gdb.kill();
}

} // namespace

int superviseRealPrograms(const ExerciserOptions &options)
{
    QFile log(options.logPath);
    log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    QElapsedTimer clock;
    clock.start();
    const auto note = [&](const QString &text) {
        log.write(QStringLiteral("%1 ms [supervisor] %2\n").arg(clock.elapsed(), 7).arg(text).toUtf8());
    };
    std::mt19937_64 rng(options.seed);
    const auto pick = [&](int n) { return n > 0 ? int(rng() % unsigned(n)) : 0; };

    const QString program = tl::programDirectory() + QStringLiteral("/portdeck");
    const QString agent = tl::programDirectory() + QStringLiteral("/libportdeck_exerciser_agent.so");
    if (!QFile::exists(program) || !QFile::exists(agent)) {
        std::fprintf(stderr, "exerciser: portdeck or its exerciser library is not built\n");
        return 2;
    }
    QString preload = agent;
    if (const QString runtime = sanitizerRuntime(); !runtime.isEmpty())
        preload = runtime + QLatin1Char(':') + agent;

    SimDevices sims(options.root);
    bool tapi = false;
    const QList<ExercisedDevice> devices = sims.startTypical(rng, tapi, note);
    QStringList deviceList;
    for (const ExercisedDevice &d : devices)
        deviceList << QStringLiteral("%1:%2:%3").arg(d.product).arg(d.com).arg(d.transcript);
    QList<qint64> returnAt(devices.size(), -1);

    int programs = 0, slowPrograms = 0, failures = 0;
    const qint64 total = qint64(options.seconds) * 1000;
    while (clock.elapsed() < total && failures == 0) {
        ++programs;
        const qint64 slice = std::min<qint64>(total - clock.elapsed(), 1000 * (20 + pick(40)));
        const bool slow = pick(100) < options.slowPercent;
        slowPrograms += slow;
        const double scale = slow ? 1.0 : options.fastScale;
        const QString language = pick(2) ? QStringLiteral("407") : QStringLiteral("409");
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", language);
        QStringList args{QStringLiteral("/l")};
        if (pick(2))
            args << QStringLiteral("/y");
        if (tapi)
            args << QStringLiteral("/t");
        const quint64 seed = options.seed * 1000 + quint64(programs);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TALLYLINE_TIME_SCALE"), QString::number(scale));
        env.insert(QStringLiteral("LD_PRELOAD"), preload);
        env.insert(QStringLiteral("TALLYLINE_EXERCISER_AGENT"),
                   QStringLiteral("seed=%1;seconds=%2;log=%3;watchdog=%4;stuck=%5;devices=%6")
                       .arg(seed)
                       .arg((slice + 999) / 1000)
                       .arg(options.logPath)
                       .arg(options.watchdogSeconds)
                       .arg(options.stuckSeconds)
                       .arg(deviceList.join(QLatin1Char(','))));
        note(QStringLiteral("start portdeck %1 (seed %2, %3 s, language %4, clock %5)")
                 .arg(args.join(QLatin1Char(' ')))
                 .arg(seed)
                 .arg((slice + 999) / 1000)
                 .arg(language)
                 .arg(scale));
        QProcess portdeck;
        portdeck.setProcessEnvironment(env);
        portdeck.setWorkingDirectory(options.root);
        portdeck.setProcessChannelMode(QProcess::ForwardedChannels);
        portdeck.start(program, args);
        if (!portdeck.waitForStarted(10000)) {
            note(QStringLiteral("portdeck did not start"));
            ++failures;
            break;
        }
        const qint64 started = clock.elapsed();
        // The program must end by itself: the exerciser in it presses Exit at
        // the end of its time, and the exit may wait for what is under way.
        const qint64 bound = slice + std::max<qint64>(30000, qint64(120000 * scale));
        qint64 nextFault = clock.elapsed() + 300 + pick(3000);
        while (!portdeck.waitForFinished(100)) {
            const qint64 now = clock.elapsed();
            for (int i = 0; i < int(returnAt.size()); ++i) {
                if (returnAt[i] >= 0 && now >= returnAt[i]) {
                    returnAt[i] = -1;
                    note(QStringLiteral("COM%1 comes back").arg(sims.device(i).com));
                    sims.comeBack(i);
                }
            }
            if (now >= nextFault) {
                nextFault = now + 300 + pick(3000);
                const int i = pick(sims.count());
                const int r = pick(100);
                if (r < 50) {
                    note(QStringLiteral("COM%1 faults off").arg(sims.device(i).com));
                    sims.setFaults(i, QString());
                } else if (r < 85) {
                    static const char *const faults[] = {"silent", "silent-after=3", "garbage=8", "error=ati15",
                                                         "error=at&w", "error=ati7", "lose-ati7-head", "baud=57600"};
                    const QString f = QLatin1String(faults[pick(int(std::size(faults)))]);
                    note(QStringLiteral("COM%1 faults %2").arg(sims.device(i).com).arg(f));
                    sims.setFaults(i, f);
                } else if (r < 95) {
                    note(QStringLiteral("COM%1 USB reset").arg(sims.device(i).com));
                    sims.reset(i);
                } else if (returnAt[i] < 0) {
                    returnAt[i] = now + 200 + pick(3000);
                    note(QStringLiteral("COM%1 vanishes until %2 ms").arg(sims.device(i).com).arg(returnAt[i]));
                    sims.vanish(i);
                }
            }
            if (now - started > bound) {
                std::fprintf(stderr, "exerciser: FAILED (seed %llu): portdeck has not ended %lld ms after its "
                                     "start\naction log: %s\n",
                             static_cast<unsigned long long>(seed), static_cast<long long>(now - started),
                             qPrintable(options.logPath));
                printStacks(portdeck.processId());
                portdeck.kill();
                portdeck.waitForFinished(5000);
                ++failures;
                break;
            }
        }
        if (failures)
            break;
        // Devices away at the end come back for the next program.
        for (int i = 0; i < int(returnAt.size()); ++i)
            if (returnAt[i] >= 0) {
                returnAt[i] = -1;
                sims.comeBack(i);
            }
        for (int i = 0; i < sims.count(); ++i)
            sims.setFaults(i, QString());
        const bool clean = portdeck.exitStatus() == QProcess::NormalExit && portdeck.exitCode() == 0;
        note(QStringLiteral("portdeck ended after %1 ms: %2 %3")
                 .arg(clock.elapsed() - started)
                 .arg(portdeck.exitStatus() == QProcess::NormalExit ? "exit" : "crash")
                 .arg(portdeck.exitCode()));
        if (!clean) {
            std::fprintf(stderr, "exerciser: FAILED (seed %llu): portdeck %s (status %d)\naction log: %s\n",
                         static_cast<unsigned long long>(seed),
                         portdeck.exitStatus() == QProcess::NormalExit ? "ended with a failure" : "crashed",
                         portdeck.exitCode(), qPrintable(options.logPath));
            ++failures;
        }
    }
    sims.stopAll();
    const QString summary = QStringLiteral("seed %1 %2: %3 portdeck programs (%4 at the real clock), %5 ms")
                                .arg(options.seed)
                                .arg(failures ? "FAILED" : "passed")
                                .arg(programs)
                                .arg(slowPrograms)
                                .arg(clock.elapsed());
    note(summary);
    std::fprintf(stderr, "exerciser: %s\n", qPrintable(summary));
    return failures ? 1 : 0;
}
