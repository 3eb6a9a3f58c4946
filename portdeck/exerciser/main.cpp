// portdeck_exerciser: a randomized user of Portdeck against emulated devices.
//
//   portdeck_exerciser [--seed N] [--seconds S] [--log FILE] [--time-scale X]
//                      [--watchdog S] [--stuck S] [--slow PERCENT]
//                      [--real-process]
//
// By default the window runs in the exerciser's own process, and a new one
// is made whenever one ended. With --real-process the real portdeck program
// is started again and again, the exerciser inside it (a library loaded into
// it), and each ends by its own exit path; this process starts the devices,
// switches their faults and sees every program end.
//
// Exit status 0 when the run passed, 1 when it found a fault (the reason, the
// seed and the last actions on stderr, every action in the log), 2 on bad
// arguments. A crash or a sanitizer report ends the process by itself; the
// seed is printed first and the action log is written as the run goes.

#include "clock.h"
#include "exerciser.h"
#include "inprocess.h"
#include "supervisor.h"
#include "watchdog.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

// Written by the crash handler as it is: the seed and where the actions are.
char gCrashNote[1024];
size_t gCrashNoteLength = 0;

void onCrash(int sig)
{
    [[maybe_unused]] ssize_t n = ::write(2, gCrashNote, gCrashNoteLength);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

bool parse(int argc, char **argv, ExerciserOptions &o, QByteArray &scale, bool &realProcess)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--real-process") {
            realProcess = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const QByteArray value = argv[++i];
        bool ok = true;
        if (arg == "--seed")
            o.seed = value.toULongLong(&ok);
        else if (arg == "--seconds")
            o.seconds = value.toInt(&ok);
        else if (arg == "--log")
            o.logPath = QString::fromLocal8Bit(value);
        else if (arg == "--time-scale")
            scale = value;
        else if (arg == "--watchdog")
            o.watchdogSeconds = value.toInt(&ok);
        else if (arg == "--stuck")
            o.stuckSeconds = value.toInt(&ok);
        else if (arg == "--slow")
            o.slowPercent = value.toInt(&ok);
        else
            return false;
        if (!ok)
            return false;
    }
    return o.slowPercent >= 0 && o.slowPercent <= 100;
}

} // namespace

int main(int argc, char **argv)
{
    ExerciserOptions options;
    options.seed = static_cast<quint64>(std::chrono::system_clock::now().time_since_epoch().count()) % 1000000007ULL;
    QByteArray scale = qgetenv("TALLYLINE_TIME_SCALE");
    if (scale.isEmpty())
        scale = "0.05";
    bool realProcess = false;
    if (!parse(argc, argv, options, scale, realProcess)) {
        std::fprintf(stderr, "usage: portdeck_exerciser [--seed N] [--seconds S] [--log FILE] [--time-scale X]"
                             " [--watchdog S] [--stuck S] [--slow PERCENT] [--real-process]\n");
        return 2;
    }
    options.fastScale = scale.toDouble() > 0 ? scale.toDouble() : 0.05;
    if (options.logPath.isEmpty())
        options.logPath = QStringLiteral("exerciser-%1.log").arg(options.seed);
    if (!options.logPath.startsWith(QLatin1Char('/')))   // the run moves into its own directory
        options.logPath = QDir::currentPath() + QLatin1Char('/') + options.logPath;
    QFile::remove(options.logPath);
    std::fprintf(stderr, "exerciser: seed %llu, %d s%s, action log %s\n", static_cast<unsigned long long>(options.seed),
                 options.seconds, realProcess ? ", real portdeck processes" : "", qPrintable(options.logPath));

    gCrashNoteLength = size_t(std::snprintf(gCrashNote, sizeof gCrashNote,
                                            "exerciser: FAILED (seed %llu): crashed; action log %s\n",
                                            static_cast<unsigned long long>(options.seed),
                                            qPrintable(options.logPath)));
    gCrashNoteLength = std::min(gCrashNoteLength, sizeof gCrashNote - 1);
    for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        std::signal(sig, onCrash);

    // A machine state of its own, the emulators on the fast clock, no display needed.
    QTemporaryDir root;
    options.root = root.path();
    qputenv("TALLYLINE_ROOT", root.path().toLocal8Bit());
    qputenv("TALLYLINE_TIME_SCALE", scale);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QDir::setCurrent(options.root);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);   // the window comes and goes within one run
    tl::setTimeScale(options.fastScale);

    if (realProcess)
        return superviseRealPrograms(options);

    int status = 0;
    {
        InProcessHost host;
        Exerciser exerciser(options, host);
        exerciser.startDevices();
        Watchdog watchdog(exerciser, options);
        status = exerciser.run();
    }
    return status;
}
