#pragma once
// The update engine control: products and their settings, the update runs
// (on schedule or on request), the event log, and the dispatch table the host
// calls. Everything runs on the host's UI thread; events reach the host through
// its event loop, never from inside the engine's own code.

#include "eventlog.h"
#include "productstore.h"
#include "pwdispatch.h"
#include "updaterun.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSet>

class ScaledTimer;

namespace pw {

class PatchwellControl : public QObject, public IDispatchControl {
    Q_OBJECT
public:
    PatchwellControl();
    ~PatchwellControl() override;

    QVariant Invoke(int dispId, QVariantList &args, bool *ok = nullptr) override;
    void Advise(EventSink sink) override { sink_ = std::move(sink); }
    void Release() override { delete this; }

    // Where the engine keeps its state, under TALLYLINE_ROOT.
    static QString stateDirectory();
    static QString logDirectory();

    // The site of a product: its own site when enabled, else the registered
    // update address and folder. A plain directory becomes a file URL; a
    // relative one is taken from the product's install directory.
    QUrl siteOf(int product) const;

    void checkSchedule();     // runs the products whose next update date has come

private:
    long updateNow(int product, bool scheduled);
    void startNext();
    void runOver();
    void report(int kind, long number, const QString &text, const QString &first, const QString &second);
    void deliverEvents();
    QString productFolder(int product) const;
    bool validProduct(const QVariantList &args, int at = 0) const;

    ProductStore products_;
    EventLog log_;
    QNetworkAccessManager network_;
    QPointer<UpdateRun> run_;
    QList<int> queue_;                 // products waiting for their scheduled run
    QHash<QString, QString> readmes_;  // product name -> readme of its last offered update
    QHash<QString, bool> browser_;     // product name -> last offered update goes through the browser
    EventSink sink_;
    struct PendingEvent {
        int kind;
        long number;
        QString text;
    };
    QList<PendingEvent> pending_;      // reported, not yet handed to the host
    bool deliveryQueued_ = false;
    int logAll_ = -1;                  // "log all events", as read at the start of a run; -1: not read
    ScaledTimer *schedule_ = nullptr;
};

} // namespace pw
