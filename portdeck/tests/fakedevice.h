#pragma once
// A device played on a pseudo-terminal from its own thread, so that it also
// answers while Portdeck waits without yielding. It is reached through a
// symbolic link registered as COMn; vanish() removes the link (the device
// drops off the bus) and comeBack() makes a fresh terminal behind it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

enum class FakeProduct { IsdnTa, IsdnTaPro, Modem56k, Idsl };

class FakeDevice {
public:
    FakeDevice(FakeProduct product, int com, const QString &linkDir);
    ~FakeDevice();

    // Device status lines the "ati12" answers walk through; the last repeats.
    void setLineStates(const QStringList &states);
    void setSwitchName(const QString &name) { std::lock_guard l(m_); switchName_ = name; }
    void setSerial(const QString &serial) { std::lock_guard l(m_); serial_ = serial; }
    // Stops answering after this many more commands (-1: never).
    void goSilentAfter(int commands) { silentAfter_ = commands; }
    void setSilent(bool on) { silentAfter_ = on ? 0 : -1; }
    // Answers the next "ati7" with "Close this App" and drops off for dropMs.
    void resetOnNextAti7(int dropMs) { resetDropMs_ = dropMs; }

    void vanish();
    void comeBack();
    void send(const QByteArray &bytes);

    QList<QByteArray> commands() const;          // every command line received, "\r" included
    int count(const QByteArray &command) const;  // how often a command came (letter case ignored)
    QString linkPath() const { return link_; }
    static QString identityAnswer(FakeProduct product, const QString &serial);

private:
    void openTerminal();
    void run();
    QByteArray answer(const QByteArray &command);

    FakeProduct product_;
    int com_;
    QString link_;
    std::atomic<int> master_{-1};
    std::atomic<bool> stop_{false};
    std::atomic<int> silentAfter_{-1};
    std::atomic<int> resetDropMs_{0};
    std::thread thread_;
    mutable std::mutex m_;
    QList<QByteArray> commands_;
    QStringList lineStates_{QStringLiteral("Ready")};
    int stateIndex_ = 0;
    QString switchName_ = QStringLiteral("National ISDN-1");
    QString serial_;
    QByteArray pending_;
};
