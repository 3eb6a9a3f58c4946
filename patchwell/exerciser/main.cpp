// patchwell_exerciser: a randomized user of Patchwell against the real engine
// and an update site whose faults change at random.
//
//   patchwell_exerciser [--seed N] [--seconds S] [--log FILE] [--time-scale X]
//                       [--watchdog S] [--stuck S]
//
// Exit status 0 when the run passed, 1 when it found a fault (the reason, the
// seed and the last actions on stderr, every action in the log), 2 on bad
// arguments. A crash or a sanitizer report ends the process by itself; the
// seed is printed first and the action log is written as the run goes.

#include "clock.h"
#include "exerciser.h"
#include "exercisercommandline.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

// Aborts the process when the event loop has not answered for too long (wall time).
void watch(const Exerciser &exerciser, const ExerciserOptions &options, const std::atomic<bool> &done)
{
    const qint64 limit = qint64(options.watchdogSeconds) * 1000;
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const qint64 silent = exerciser.elapsedMs() - exerciser.lastBeat;
        if (!done && silent > limit) {
            std::fprintf(stderr,
                         "exerciser: FAILED (seed %llu): the event loop has not answered for %lld ms\n"
                         "last actions:\n%s\naction log: %s\n",
                         static_cast<unsigned long long>(options.seed), static_cast<long long>(silent),
                         qPrintable(exerciser.recentActions()), qPrintable(options.logPath));
            std::fflush(stderr);
            std::abort();
        }
    }
}

// The offscreen platform's notes on what it cannot do are no news here.
void quietMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char **argv)
{
    ExerciserOptions options;
    options.seed = exerciser::seedFromClock();
    QByteArray scale = exerciser::defaultScale();
    if (!exerciser::parseCommonArguments(argc, argv, options, scale)) {
        std::fprintf(stderr, "usage: patchwell_exerciser [--seed N] [--seconds S] [--log FILE] [--time-scale X]"
                             " [--watchdog S] [--stuck S]\n");
        return 2;
    }
    options.logPath = exerciser::absoluteLogPath(options.logPath, QStringLiteral("patchwell-exerciser"), options.seed);
    std::fprintf(stderr, "exerciser: seed %llu, %d s, action log %s\n", static_cast<unsigned long long>(options.seed),
                 options.seconds, qPrintable(options.logPath));
    exerciser::noteCrashes(options.seed, options.logPath);

    // A machine state of its own (second starts share it), no display needed,
    // viewers that show nothing.
    QTemporaryDir root;
    options.root = root.path();
    qputenv("TALLYLINE_ROOT", root.path().toLocal8Bit());
    qputenv("TALLYLINE_TIME_SCALE", scale);
    qputenv("TALLYLINE_OPENER", "/bin/true");
    qputenv("XDG_CONFIG_HOME", (root.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root.path() + QStringLiteral("/data")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    tl::setTimeScale(scale.toDouble());
    options.programDir = QCoreApplication::applicationDirPath();

    int status = 0;
    {
        Exerciser exerciser(options);
        std::atomic<bool> done{false};
        std::thread watchdog(watch, std::cref(exerciser), std::cref(options), std::cref(done));
        status = exerciser.run();
        done = true;
        watchdog.join();
    }
    return status;
}
