#pragma once
// A pseudo-terminal pair for the serial tests: the component under test opens
// the slave through the COM numbering, the test plays the device on the master.

#include <QByteArray>
#include <QString>
#include <functional>

class PtyPair {
public:
    PtyPair();            // opens the pair in raw mode; valid() tells whether it worked
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool valid() const { return master_ >= 0; }
    QString slavePath() const { return slave_; }

    // Names the slave COMn in HARDWARE\DEVICEMAP\SERIALCOMM of the current root.
    void registerAs(int comNumber) const;

    // Writes to the device side at once.
    void send(const QByteArray &bytes);
    // Reads what the component wrote, letting Qt events run meanwhile, until
    // done(received) holds or the real time-out passes; returns what came.
    QByteArray receive(const std::function<bool(const QByteArray &)> &done, int timeoutMs = 3000);
    // Reads at least `count` bytes (or until the time-out).
    QByteArray receiveCount(int count, int timeoutMs = 3000);
    // Reads until `text` has come (or until the time-out).
    QByteArray receiveUntil(const QByteArray &text, int timeoutMs = 3000);

    // Closes the device side: for the component, the device has vanished.
    void closeMaster();

private:
    int master_ = -1;
    QString slave_;
};

// Runs Qt events for the given real time.
void pumpEvents(int ms);
