// The exerciser inside the real portdeck program: loaded into it before it
// starts (the supervisor sets LD_PRELOAD and TALLYLINE_EXERCISER_AGENT), it
// finds the program's window, works it as the exerciser does, and at the end
// of its time presses Exit, so that the program ends by its own exit path.
// A fault found ends the program at once with status 3.

#include "exerciser.h"
#include "watchdog.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class AgentHost : public ProgramHost {
public:
    QWidget *window() const override
    {
        if (!window_ && !quitting)
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("containerFrame"))
                    window_ = w;
        return window_;
    }
    bool ended() const override { return quitting; }
    bool canRestart() const override { return false; }
    void startProgram(const QStringList &, double) override {}
    void dropProgram() override {}
    bool quitting = false;

private:
    mutable QPointer<QWidget> window_;
};

void startExerciserAgent()
{
    const QString config = qEnvironmentVariable("TALLYLINE_EXERCISER_AGENT");
    if (config.isEmpty())
        return;
    qunsetenv("TALLYLINE_EXERCISER_AGENT");   // not for the programs Portdeck starts
    qunsetenv("LD_PRELOAD");
    ExerciserOptions options;
    options.ownDevices = false;
    options.endWithExit = true;
    options.root = qEnvironmentVariable("TALLYLINE_ROOT");
    QList<ExercisedDevice> devices;
    for (const QString &item : config.split(QLatin1Char(';'))) {
        const QString key = item.section(QLatin1Char('='), 0, 0), value = item.section(QLatin1Char('='), 1);
        if (key == QLatin1String("seed"))
            options.seed = value.toULongLong();
        else if (key == QLatin1String("seconds"))
            options.seconds = value.toInt();
        else if (key == QLatin1String("log"))
            options.logPath = value;
        else if (key == QLatin1String("watchdog"))
            options.watchdogSeconds = value.toInt();
        else if (key == QLatin1String("stuck"))
            options.stuckSeconds = value.toInt();
        else if (key == QLatin1String("devices"))
            for (const QString &d : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                devices << ExercisedDevice{d.section(QLatin1Char(':'), 0, 0), d.section(QLatin1Char(':'), 1, 1).toInt(),
                                           d.section(QLatin1Char(':'), 2)};
    }
    // They live as long as the program does.
    auto *host = new AgentHost;
    auto *exerciser = new Exerciser(options, *host);
    exerciser->useDevices(devices);
    auto *watchdog = new Watchdog(*exerciser, options);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, exerciser, [host, exerciser, watchdog] {
        host->quitting = true;
        watchdog->programEnding();
        std::fprintf(stderr, "exerciser (in portdeck): %s\n", qPrintable(exerciser->summary()));
    });
    QTimer::singleShot(0, exerciser, [exerciser] { exerciser->run(); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startExerciserAgent)
