#pragma once
// A scripted ISDN TA on the master side of a pseudo-terminal: collects each
// command line the form sends and answers it from a table of canned replies,
// so that form tests see exactly which lines reached the device.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;
class TApdComPort;

class FakeTa : public QObject {
    Q_OBJECT
public:
    FakeTa();
    ~FakeTa() override;
    bool valid() const { return master_ >= 0; }
    QString slavePath() const { return slave_; }

    // Registers the slave as COMn in the current root and opens a port on it.
    TApdComPort *openPort(int comNumber, QObject *parent = nullptr);

    // Reply to a command line (without its "\r"), matched case-insensitively;
    // a command without an entry gets "\r\nOK\r\n". "" means silence.
    QHash<QString, QByteArray> replies;
    // Commands (lower case) that are answered only after this many times of asking.
    QHash<QString, int> dropFirst;
    bool silent = false;
    bool echo = true;
    // Called for every line; may return a reply that overrides the table.
    std::function<std::optional<QByteArray>(const QString &)> hook;

    QStringList received;       // every command line, with its "\r"
    void send(const QByteArray &bytes);

    // The standard report of each information query for the given switch type.
    void loadStandardReplies(int switchType = 2);

private:
    void readable();
    int master_ = -1;
    QString slave_;
    QSocketNotifier *notifier_ = nullptr;
    QByteArray line_;
    QHash<QString, int> asked_;
};

// Runs events until cond holds or the real time-out passes.
bool waitFor(const std::function<bool()> &cond, int timeoutMs = 5000);
