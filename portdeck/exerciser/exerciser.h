#pragma once
// A randomized user of the real Portdeck window and its libraries against
// emulated devices whose faults come and go. Actions fire from timers, so
// that many land inside the program's own waits, boxes and nested loops.
//
// The program is seen as a user sees it: its window and the widgets in it,
// found by name, and the devices' transcripts. So the same exerciser runs
// the window in its own process, or sits inside the real portdeck program
// (ProgramHost tells which). A run fails on
//  - an event loop that stops answering (the watchdog, in real time; part of
//    the programs run at the real clock, where a freeze of a wait is as long
//    as the user would see it);
//  - a way out that does not work: Back pressed must leave the screen, Exit
//    pressed must end the program, each within a bound, and the device list
//    reached must be usable;
//  - what a device received: a command of the configuration form after the
//    form was hidden, a write of settings neither stored nor reported, a
//    command other than a probe while the TA restarts (TranscriptWatch);
//  - a box opened by a library form that is hidden;
// and a crash or a sanitizer report ends the process by itself. The seed and
// every action go to the action log as they happen.

#include "simdevices.h"
#include "transcripts.h"
#include "uiservices.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <memory>
#include <random>

class QWidget;

// A widget as the action log names it: its object name (or class) and text.
QString describe(const QWidget *w);
// How deep the current thread's event loops are nested.
int loopLevel();
// Shown and enabled: a user could press it.
bool usable(const QWidget *w);

// How the exerciser reaches the program under test.
class ProgramHost {
public:
    virtual ~ProgramHost() = default;
    // The main window, null while no program runs.
    virtual QWidget *window() const = 0;
    // The program has ended by its own exit path.
    virtual bool ended() const = 0;
    // In the exerciser's own process a new program is started after one
    // ended; inside the real program the run ends with it.
    virtual bool canRestart() const = 0;
    virtual void startProgram(const QStringList &args, double timeScale) = 0;
    virtual void dropProgram() = 0;
};

struct ExerciserOptions {
    quint64 seed = 1;
    int seconds = 60;
    QString logPath;
    QString root;                 // the machine state directory
    int watchdogSeconds = 5;      // the event loop must answer within this (real time)
    int stuckSeconds = 10;        // a way out may fail to be there this long (unscaled: scaled by the clock)
    double fastScale = 0.05;      // the clock of most programs
    int slowPercent = 25;         // programs run at the real clock
    bool ownDevices = true;       // the exerciser starts the devices and switches their faults
    bool endWithExit = false;     // the run ends by pressing Exit (inside the real program)
};

class Exerciser : public QObject, public UiServices {
    Q_OBJECT
public:
    Exerciser(const ExerciserOptions &options, ProgramHost &host);
    ~Exerciser() override;

    // Runs the whole session in the application's event loop; 0 when nothing failed.
    int run();
    // Takes the devices someone else started (inside the real program).
    void useDevices(const QList<ExercisedDevice> &devices);
    // Starts the devices itself (in its own process).
    void startDevices();

    // The time of the event loop's last answer, for the watchdog (ms since start).
    std::atomic<qint64> lastBeat{0};
    // Set while the exerciser itself blocks (starting a device): not the program's freeze.
    std::atomic<bool> ownBlocking{false};
    qint64 elapsedMs() const { return clock_.elapsed(); }
    QString recentActions() const;
    void fail(const QString &why);
    int failures() const { return failures_; }
    QString summary() const;

    // The services the program's boxes and dialogs go through.
    int messageBox(QWidget *parent, const QString &text, const QString &caption, int buttons, int icon) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &directory,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &directory,
                         const QString &filter) override;
    bool showHelp(QWidget *parent, const QString &helpFile, int context) override;
    int chooseLanguage(QWidget *parent, const QList<LanguageChoice> &languages, int currentId) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void note(const QString &action);
    int pick(int n) { return n > 0 ? int(rng_() % unsigned(n)) : 0; }
    bool chance(int percent) { return pick(100) < percent; }
    QString randomFaults();
    QString randomText();
    void startProgram();
    void programEnded();
    void act();
    void check();
    void finish();
    void dialogPause(QWidget *parent, int ms);
    double scale() const { return scale_; }
    // Unscaled milliseconds as real ones, never below a floor for the machine's own delays.
    qint64 realBound(qint64 unscaledMs, qint64 floorMs) const;

    // The window, as a user sees it.
    QWidget *window() const;
    QWidget *own(const char *name) const;      // a control of the window itself
    QWidget *defaultSheet() const;
    QList<QWidget *> deviceButtons() const;
    QWidget *shownForm() const;                // a library form on the right, if any
    QWidget *libraryFormOf(QWidget *w) const;  // the library form a widget belongs to
    bool productScreen() const;
    bool deviceList() const;
    bool idle() const;                         // no wait, no box: the main loop is at rest
    QString screenName() const;
    void watchForms();

    // The actions.
    void clickDeviceButton();
    void clickToolButton(bool exitToo);
    void actInForm();
    void actInBox();
    void clickTab();
    void pressKey();
    void switchFault();
    void closeWindow();
    QList<QWidget *> candidates(QWidget *root) const;

    // The way-out probe: Back or Exit pressed, and seen to work.
    void startProbe();
    void checkProbe();
    void checkNestedLoop();

    ExerciserOptions options_;
    ProgramHost &host_;
    std::mt19937_64 rng_;
    QFile log_;
    QStringList recent_;
    QElapsedTimer clock_;
    QTimer actionTimer_;
    QTimer beatTimer_;
    QTimer checkTimer_;
    std::unique_ptr<SimDevices> sims_;
    QList<ExercisedDevice> devices_;
    QList<std::shared_ptr<exerciser::TranscriptWatch>> watches_;   // per device, TA only
    QSet<QWidget *> watchedForms_;
    bool finishing_ = false;
    qint64 endBeganMs_ = -1;         // the run's time is up (inside the real program)
    qint64 endPressedMs_ = -1;       // its closing Exit was pressed
    int failures_ = 0;
    int baseLoopLevel_ = 1;
    double scale_ = 1;
    qint64 topLevelSeenMs_ = 0;   // when the event loop was last seen at its base level
    qint64 restartAtMs_ = -1;
    QList<qint64> returnAtMs_;    // per device, -1 when present
    int actions_ = 0;
    int programs_ = 0;
    int slowPrograms_ = 0;
    int probes_ = 0;
    bool tapiMode_ = false;
    QString firmwareFile_;

    struct Probe {
        bool active = false;
        bool exit = false;
        QString from;              // the screen it started on
        qint64 startedMs = 0;
        qint64 deadlineMs = 0;
        qint64 refusedSinceMs = -1;   // refused because an update runs
        qint64 pressAgainAtMs = -1;
    } probe_;
    qint64 nextProbeMs_ = 0;
    qint64 blockedSinceMs_ = -1;      // the way out has been missing since
};
