#include "datapacket.h"

#include "clock.h"
#include "serialport.h"

#include <QPointer>
#include <QTimer>
#include <limits>

namespace {

char lowered(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool endsWith(const QByteArray &text, int from, const QByteArray &tail, bool ignoreCase)
{
    if (tail.isEmpty() || text.size() - from < tail.size())
        return false;
    const char *a = text.constData() + text.size() - tail.size();
    for (int i = 0; i < tail.size(); ++i) {
        if (ignoreCase ? lowered(a[i]) != lowered(tail[i]) : a[i] != tail[i])
            return false;
    }
    return true;
}

} // namespace

struct TApdDataPacket::Impl {
    QPointer<TApdComPort> port;
    QByteArray startString;
    StartCond startCond = StartCond::scString;
    QByteArray endString;
    EndCond endCond = EndCond::ecString;
    bool include = true;
    bool ignoreCase = true;
    int packetSize = 0;
    int timeoutTicks = 0;
    bool autoEnable = false;
    bool enabled = false;

    bool collecting = false;
    QByteArray window;       // recent characters while looking for the start string
    QByteArray data;         // the packet so far, start string included
    int startLen = 0;        // leading characters of `data` that are the start string
    quint64 armedAfter = 0;  // the port's chunk serial when armed
    quint64 generation = 0;  // changes with every arming from outside
    QTimer timer;

    bool anyStart() const
    {
        return startCond == StartCond::scAnyData || startString.isEmpty() || startString == "?";
    }

    void reset()
    {
        collecting = false;
        window.clear();
        data.clear();
        startLen = 0;
        timer.stop();
    }
};

TApdDataPacket::TApdDataPacket(QObject *parent) : QObject(parent), d(new Impl)
{
    d->timer.setSingleShot(true);
    d->timer.setTimerType(Qt::PreciseTimer);
    connect(&d->timer, &QTimer::timeout, this, [this] {
        if (!d->enabled || !d->collecting)
            return;
        d->reset();
        d->enabled = d->autoEnable;
        emit packetTimeout();
    });
}

TApdDataPacket::~TApdDataPacket()
{
    if (d->port)
        d->port->detachPacket(this);
    delete d;
}

void TApdDataPacket::setComPort(TApdComPort *port)
{
    if (d->port == port)
        return;
    if (d->port)
        d->port->detachPacket(this);
    d->port = port;
    if (port)
        port->attachPacket(this);
}

TApdComPort *TApdDataPacket::comPort() const { return d->port; }
void TApdDataPacket::setStartString(const QString &s) { d->startString = s.toLatin1(); }
void TApdDataPacket::setStartCond(StartCond c) { d->startCond = c; }
void TApdDataPacket::setEndString(const QString &s) { d->endString = s.toLatin1(); }
void TApdDataPacket::setEndCond(EndCond c) { d->endCond = c; }
void TApdDataPacket::setIncludeStrings(bool on) { d->include = on; }
void TApdDataPacket::setIgnoreCase(bool on) { d->ignoreCase = on; }
void TApdDataPacket::setPacketSize(int n) { d->packetSize = qMax(0, n); }
void TApdDataPacket::setTimeout(int ticks) { d->timeoutTicks = qMax(0, ticks); }
void TApdDataPacket::setAutoEnable(bool on) { d->autoEnable = on; }

void TApdDataPacket::setEnabled(bool on)
{
    d->reset();
    d->enabled = on;
    if (on) {
        ++d->generation;
        d->armedAfter = d->port ? d->port->chunkSerial() : 0;
    }
}

bool TApdDataPacket::isEnabled() const { return d->enabled; }

void TApdDataPacket::feed(const char *data, int len)
{
    feedChunk(data, len, std::numeric_limits<quint64>::max());
}

void TApdDataPacket::feedChunk(const char *data, int len, quint64 serial)
{
    if (!d->enabled || serial <= d->armedAfter)
        return;
    QPointer<TApdDataPacket> self(this);
    const quint64 generation = d->generation;
    for (int i = 0; i < len; ++i) {
        if (!d->enabled || d->generation != generation)
            return;
        const char c = data[i];
        if (!d->collecting) {
            if (d->anyStart()) {
                // Any first character opens the packet and is part of its text.
                d->data = QByteArray(1, c);
                d->startLen = 0;
            } else {
                d->window.append(c);
                if (d->window.size() > d->startString.size())
                    d->window.remove(0, d->window.size() - d->startString.size());
                if (!endsWith(d->window, 0, d->startString, d->ignoreCase))
                    continue;
                d->data = d->window;
                d->startLen = int(d->data.size());
                d->window.clear();
            }
            d->collecting = true;
            if (d->timeoutTicks > 0)
                d->timer.start(tl::ticksToMs(d->timeoutTicks));
        } else {
            d->data.append(c);
        }

        int endLen = -1;
        if (d->endCond != EndCond::ecPacketSize
            && endsWith(d->data, d->startLen, d->endString, d->ignoreCase))
            endLen = int(d->endString.size());
        else if (d->packetSize > 0 && d->data.size() >= d->packetSize)
            endLen = 0;
        if (endLen < 0)
            continue;

        const QByteArray text = d->include
            ? d->data
            : d->data.mid(d->startLen, d->data.size() - d->startLen - endLen);
        d->reset();
        d->enabled = d->autoEnable;
        emit stringPacket(QString::fromLatin1(text));
        if (!self)
            return;
    }
}
