#pragma once
// A randomized user of Patchwell against the real engine and an update site
// whose faults change at random. Each program runs as main() runs it (its
// own event loop until it ends), and actions fire from timers, so many land
// inside the program's boxes, its sheet's loop and the engine's waits: the
// tray icon double-clicked and its menu picked from, the sheet's tabs and
// fields, the prompts answered late, the progress window's Cancel, SIGTERM,
// and second starts of the real program beside it.
//
// It fails on an event loop that stops answering (the watchdog, in unscaled
// time), a program that runs on with no icon or with its sheet hidden and
// nothing going on, a second start that does not end, and on what a program
// leaves behind: the engine still registered, a damaged registry file, a
// staging folder, an installed version the site never offered. A crash or a
// sanitizer report ends the process by itself. The seed and every action go
// to the action log as they happen.

#include "faultsite.h"
#include "trayicon.h"
#include "uiservices.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <memory>
#include <random>

class CPatchwellApp;
class QDialog;
class QEventLoop;

struct ExerciserOptions {
    quint64 seed = 1;
    int seconds = 60;
    QString logPath;
    QString root;               // the machine state directory
    QString programDir;         // where the real patchwell lies (second starts)
    int watchdogSeconds = 5;    // the event loop must answer within this
    int stuckSeconds = 15;      // no icon, or a hidden sheet with nothing going on, may last this long
};

class Exerciser : public QObject, public UiServices {
    Q_OBJECT
public:
    explicit Exerciser(const ExerciserOptions &options);
    ~Exerciser() override;

    // Runs programs one after another until the time is up; 0 when nothing failed.
    int run();

    std::atomic<qint64> lastBeat{0};
    qint64 elapsedMs() const { return clock_.elapsed(); }
    QString recentActions() const;
    void fail(const QString &why);

    int messageBox(QWidget *parent, const QString &text, const QString &caption, int buttons, int icon) override;
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    bool showHelp(QWidget *, const QString &, int) override { return false; }
    int chooseLanguage(QWidget *, const QList<LanguageChoice> &, int) override { return -1; }

    // The tray the programs get: the desktop's part of it, driven by the exerciser.
    class Tray;
    Tray *tray = nullptr;

private:
    void note(const QString &action);
    int pick(int n) { return n > 0 ? int(rng_() % unsigned(n)) : 0; }
    bool chance(int percent) { return pick(100) < percent; }
    void setUpMachine();
    void runProgram();
    void endSecondStarts();
    void checkAfterProgram();
    void act();
    void checkWayOut();

    void doubleClickIcon();
    void rightClickIcon();
    void pickFromMenu();
    void actInSheet();
    void actInAbout();
    void cancelDownload();
    void secondStart();
    void terminate();
    void switchFault();
    QDialog *shownSheet() const;

    ExerciserOptions options_;
    std::mt19937_64 rng_;
    QFile log_;
    QStringList recent_;
    QElapsedTimer clock_;
    QTimer actionTimer_;
    QTimer beatTimer_;
    QTimer wayOutTimer_;
    std::unique_ptr<FaultSite> site_;
    CPatchwellApp *app_ = nullptr;
    QList<QEventLoop *> boxes_;        // the boxes' waits on the stack, innermost last
    QList<QProcess *> seconds_;        // second starts still running
    QStringList products_;
    int failures_ = 0;
    int programs_ = 0;
    int actions_ = 0;
    bool configOnly_ = false;
    qint64 noIconSinceMs_ = -1;
    qint64 hiddenSinceMs_ = -1;
};
