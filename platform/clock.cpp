#include "clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <atomic>
#include <cmath>
#include <cstdlib>

namespace tl {

namespace {

double scaleFromEnvironment()
{
    const char *text = std::getenv("TALLYLINE_TIME_SCALE");
    if (!text || !*text)
        return 1.0;
    char *end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || !std::isfinite(value) || value <= 0.0)
        return 1.0;
    return value;
}

std::atomic<double> &scaleFactor()
{
    static std::atomic<double> factor{scaleFromEnvironment()};
    return factor;
}

// A positive duration never shrinks to zero: a zero interval would spin.
int scaleToReal(double unscaledMs)
{
    if (unscaledMs <= 0.0)
        return 0;
    const double real = std::round(unscaledMs * timeScale());
    if (real < 1.0)
        return 1;
    if (real > 2.0e9)
        return 2000000000;
    return static_cast<int>(real);
}

} // namespace

double timeScale() { return scaleFactor().load(); }

void setTimeScale(double factor)
{
    scaleFactor().store(std::isfinite(factor) && factor > 0.0 ? factor : 1.0);
}

int scaledMs(int ms) { return scaleToReal(ms); }

int ticksToMs(int ticks) { return scaleToReal(ticks * 1000.0 / kTicksPerSecond); }

int ticksToUnscaledMs(int ticks)
{
    if (ticks <= 0)
        return 0;
    return static_cast<int>(std::round(ticks * 1000.0 / kTicksPerSecond));
}

bool waitUntil(const std::function<bool()> &cond, int timeoutMs, bool yield)
{
    if (cond())
        return true;
    const int realMs = timeoutMs < 0 ? -1 : scaledMs(timeoutMs);
    QDeadlineTimer deadline(realMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(realMs));

    if (yield && QCoreApplication::instance()) {
        // A nested loop, so timers, port events and clicks are handled while we wait.
        // The condition is looked at after every batch of events and at least every
        // couple of milliseconds.
        QEventLoop loop;
        bool done = false;
        QTimer poll;
        poll.setTimerType(Qt::PreciseTimer);
        poll.setInterval(2);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done)
                return;
            if (cond() || deadline.hasExpired()) {
                done = true;
                loop.quit();
            }
        });
        poll.start();
        loop.exec();
        return cond();
    }

    while (!deadline.hasExpired()) {
        QThread::usleep(500);
        if (cond())
            return true;
    }
    return cond();
}

} // namespace tl

void DelayTicks(int ticks, bool yield)
{
    if (ticks <= 0)
        return;
    tl::waitUntil([] { return false; }, tl::ticksToUnscaledMs(ticks), yield);
}

ScaledTimer::ScaledTimer(QObject *parent, int intervalMs)
    : QObject(parent), intervalMs_(intervalMs)
{
    timer_.setInterval(tl::scaledMs(intervalMs_));
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (timer_.isSingleShot())
            enabled_ = false;
        emit timeout();
    });
}

void ScaledTimer::setInterval(int ms)
{
    intervalMs_ = ms;
    timer_.setInterval(tl::scaledMs(ms));
    restart();
}

int ScaledTimer::interval() const { return intervalMs_; }

void ScaledTimer::setEnabled(bool on)
{
    enabled_ = on;
    restart();
}

bool ScaledTimer::isEnabled() const { return enabled_; }

void ScaledTimer::setSingleShot(bool on) { timer_.setSingleShot(on); }

// An interval of zero keeps the timer quiet even while it is enabled.
void ScaledTimer::restart()
{
    if (enabled_ && intervalMs_ > 0)
        timer_.start();
    else
        timer_.stop();
}
