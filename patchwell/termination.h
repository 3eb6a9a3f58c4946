#pragma once
// A termination request (SIGTERM from the session's log-out or a caller,
// SIGINT) reaches the program through its event loop: a running update is
// cancelled without a question and the program ends as Exit ends it.

#include <QObject>
#include <memory>

class CPatchwellApp;
class QSocketNotifier;

class TerminationHandler : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers (once per process) and serves this program.
    explicit TerminationHandler(CPatchwellApp &app);
    ~TerminationHandler() override;
    bool terminated() const { return terminated_; }

private:
    void onSignal();
    CPatchwellApp &app_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool terminated_ = false;
};
