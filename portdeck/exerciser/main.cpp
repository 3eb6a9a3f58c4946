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
#include "exercisercommandline.h"
#include "inprocess.h"
#include "supervisor.h"
#include "watchdog.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    ExerciserOptions options;
    options.seed = exerciser::seedFromClock();
    QByteArray scale = exerciser::defaultScale();
    bool realProcess = false;
    const bool parsed = exerciser::parseCommonArguments(
        argc, argv, options, scale,
        [&](const QByteArray &arg) {
            if (arg != "--real-process")
                return false;
            realProcess = true;
            return true;
        },
        [&](const QByteArray &arg, const QByteArray &value, bool &ok) {
            if (arg != "--slow")
                return false;
            options.slowPercent = value.toInt(&ok);
            return true;
        });
    if (!parsed || options.slowPercent < 0 || options.slowPercent > 100) {
        std::fprintf(stderr, "usage: portdeck_exerciser [--seed N] [--seconds S] [--log FILE] [--time-scale X]"
                             " [--watchdog S] [--stuck S] [--slow PERCENT] [--real-process]\n");
        return 2;
    }
    options.fastScale = scale.toDouble() > 0 ? scale.toDouble() : 0.05;
    options.logPath = exerciser::absoluteLogPath(options.logPath, QStringLiteral("exerciser"), options.seed);
    QFile::remove(options.logPath);
    std::fprintf(stderr, "exerciser: seed %llu, %d s%s, action log %s\n", static_cast<unsigned long long>(options.seed),
                 options.seconds, realProcess ? ", real portdeck processes" : "", qPrintable(options.logPath));

    exerciser::noteCrashes(options.seed, options.logPath);

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
