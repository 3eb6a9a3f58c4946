#pragma once
// A randomized user of the real Portdeck window and its libraries against
// emulated devices whose faults come and go. Actions fire from timers, so
// that many land inside the program's own waits, boxes and nested loops.
// The run fails on an event loop that stops answering (the watchdog) and on
// a product or tool screen left with no enabled way out; a crash or a
// sanitizer report ends the process by itself. The seed and every action
// go to the action log as they happen.

#include "simdevices.h"
#include "uiservices.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <memory>
#include <random>

class PortdeckDictionary;
class TcontainerFrame;
class QWidget;

struct ExerciserOptions {
    quint64 seed = 1;
    int seconds = 60;
    QString logPath;
    QString root;                 // the machine state directory
    int watchdogSeconds = 5;      // the event loop must answer within this
    int stuckSeconds = 10;        // a screen with no way out may last this long
};

class Exerciser : public QObject, public UiServices {
    Q_OBJECT
public:
    explicit Exerciser(const ExerciserOptions &options);
    ~Exerciser() override;

    // Runs the whole session in the application's event loop; 0 when nothing failed.
    int run();

    // The time of the event loop's last answer, for the watchdog (ms since start).
    std::atomic<qint64> lastBeat{0};
    qint64 elapsedMs() const { return clock_.elapsed(); }
    // The last actions, for a report from another thread's point of view.
    QString recentActions() const;
    void fail(const QString &why);

    // The services the program's boxes and dialogs go through.
    int messageBox(QWidget *parent, const QString &text, const QString &caption, int buttons, int icon) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &directory,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &directory,
                         const QString &filter) override;
    bool showHelp(QWidget *parent, const QString &helpFile, int context) override;
    int chooseLanguage(QWidget *parent, const QList<LanguageChoice> &languages, int currentId) override;

private:
    void note(const QString &action);
    int pick(int n) { return n > 0 ? int(rng_() % unsigned(n)) : 0; }
    bool chance(int percent) { return pick(100) < percent; }
    QString randomFaults();
    QString randomText();
    void startDevices();
    void startProgram();
    void endProgram();
    void act();
    void checkWayOut();
    void finish();
    // A dialog-like wait of the given length that ends early when parent goes.
    void dialogPause(QWidget *parent, int ms);

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
    QWidget *shownForm() const;

    ExerciserOptions options_;
    std::mt19937_64 rng_;
    QFile log_;
    QStringList recent_;
    QElapsedTimer clock_;
    QTimer actionTimer_;
    QTimer beatTimer_;
    QTimer wayOutTimer_;
    std::unique_ptr<SimDevices> sims_;
    std::unique_ptr<PortdeckDictionary> dictionary_;
    std::unique_ptr<TcontainerFrame> frame_;
    QList<QWidget *> ownChildren_;
    bool terminated_ = false;
    bool finishing_ = false;
    int failures_ = 0;
    qint64 stuckSinceMs_ = -1;
    qint64 topLevelSeenMs_ = 0;   // when the event loop was last seen at its top level
    qint64 restartAtMs_ = -1;
    QList<qint64> returnAtMs_;   // per device, -1 when present
    int actions_ = 0;
    int programs_ = 0;
    bool tapiMode_ = false;
    QString firmwareFile_;
};
