#pragma once
// The one clock of the suite. Every timer, tick delay and wait takes its
// duration from here, multiplied by TALLYLINE_TIME_SCALE (default 1), so that
// tests can run the real algorithms at a fraction of their real time.

#include <QObject>
#include <QTimer>
#include <functional>

namespace tl {

// Ticks of the PC timer: 18.2 per second.
constexpr double kTicksPerSecond = 18.2;

// The factor read once from TALLYLINE_TIME_SCALE (values <= 0 or unreadable count as 1).
double timeScale();
// Overrides the factor for this process (tests).
void setTimeScale(double factor);

// Real milliseconds for a duration given in unscaled milliseconds or ticks.
int scaledMs(int ms);
int ticksToMs(int ticks);
// Unscaled milliseconds for a number of ticks (what waitUntil and ScaledTimer take).
int ticksToUnscaledMs(int ticks);

// Waits until cond() is true or the time-out has passed; returns cond()'s last value.
// timeoutMs is unscaled (it is scaled here; -1 waits without limit), so pass
// ticksToUnscaledMs(ticks), not ticksToMs(ticks).
// With yield the wait runs a nested QEventLoop (timers, port events and clicks are handled);
// without it the wait blocks the thread apart from sleeping in small steps.
bool waitUntil(const std::function<bool()> &cond, int timeoutMs, bool yield);

} // namespace tl

// Pauses for the given number of ticks, processing messages when yield is set.
void DelayTicks(int ticks, bool yield = true);

// A timer whose interval is given in unscaled milliseconds.
class ScaledTimer : public QObject {
    Q_OBJECT
public:
    explicit ScaledTimer(QObject *parent = nullptr, int intervalMs = 1000);
    void setInterval(int ms);          // unscaled
    int interval() const;              // unscaled
    void setEnabled(bool on);          // starts or stops; re-enabling restarts the period
    bool isEnabled() const;
    void setSingleShot(bool on);
signals:
    void timeout();
private:
    void restart();
    QTimer timer_;
    int intervalMs_;
    bool enabled_ = false;
};
