#pragma once
// What the program does with the engine's event: asks before an update is
// installed, shows the dial-up status and the download's progress, reports
// failures, asks for a restart or whether a user's own step is done, and lights
// the tray alert once an update is in.
//
// Events come in through the event loop, also while one of this handler's own
// message boxes is up, so a later event may close the dialogs an earlier one
// opened, and the program may be told to end meanwhile. Hence: the dialogs are
// only reached through guarded pointers, nothing is deleted while the handler's
// code is on the stack (it is handed to the event loop once the handler is
// idle), and after every box the engine is looked up afresh.

#include "productsettings.h"

#include <QList>
#include <QObject>
#include <QPointer>

class CPatchwellApp;
class CPatchwellCtrl;
class CDunStatusDialog;
class CDownloadProgressDialog;
class QTimer;

class CUpdateEventHandler : public QObject {
    Q_OBJECT
public:
    explicit CUpdateEventHandler(CPatchwellApp *app);
    ~CUpdateEventHandler() override;

    // Event 1 of the engine: kind 0..25, a number, a text.
    void OnEvent(long kind, long number, const QString &text);

    // The program is ending: both dialogs go (the main window gets its input back).
    void DestroyDialogs();
    // True while the handler's code is on the stack (inside an event or a box).
    bool busy() const { return active_ > 0; }
    // The engine object goes once the handler is idle (now when it is).
    void DeleteWhenIdle(QObject *object);

    CDunStatusDialog *statusDialog() const;
    CDownloadProgressDialog *progressDialog() const;
    const CProductSettings &eventProduct() const { return eventProduct_; }
    QString displayName() const { return displayName_; }
    bool confirmUpdates() const { return confirmUpdates_; }

    static constexpr long kBlockBytes = 5000;
    // The bar's length for a file of that many bytes: one per started block,
    // at least one, within the bar's 16-bit range.
    static int BlocksFor(long bytes);

private:
    struct Event {
        long kind;
        long number;
        QString text;
    };
    class Busy;

    void handle(const Event &e);
    CPatchwellCtrl *control() const;
    void loadEventProduct(long product, const QString &text);
    int ask(const QString &text, int buttons, int icon);
    void pump();
    void showSheet(bool show);
    void bringMainWindowForward();

    void updatePrompt(long product, const QString &version);
    void upToDate(long product);
    void status(long kind, long product);
    void progress(long kind, long number, const QString &text);
    void restart();
    void completionPrompt();
    void finish(long kind, long number, const QString &text);

    // The end of a run, whatever ended it (an event, an answer, a cancel): once
    // the engine no longer reports an update running and no box of ours is up,
    // the sheet's dates are read anew and a sheet this handler hid comes back.
    void watchRunEnd(bool reloadDates);
    void checkRunEnd();

    void closeProgress();
    void onStatusCancel();
    void retire(QObject *object);
    void whenIdle();

    QPointer<CPatchwellApp> app_;
    CProductSettings eventProduct_;
    QString displayName_;
    bool confirmUpdates_ = false;
    QPointer<CDunStatusDialog> status_;
    QPointer<CDownloadProgressDialog> progress_;
    long fileCount_ = 0;
    long fileNumber_ = 0;
    int prompts_ = 0;           // update prompts on screen (one inside another's wait is possible)

    QList<Event> queue_;        // events not yet handled, oldest first
    bool pumping_ = false;      // dispatching waiting messages for a dialog
    int active_ = 0;
    QList<QPointer<QObject>> retired_;   // to be deleted once idle
    QTimer *runEnd_;
    bool sheetHidden_ = false;   // hidden by this handler, to come back when the run ends
    bool reloadDates_ = false;
};
