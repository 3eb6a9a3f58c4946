#include "serialport.h"

#include "clock.h"
#include "comports.h"
#include "datapacket.h"
#include "serialportaccess.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPointer>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <deque>

namespace {

// Beyond this the oldest unread characters are dropped: a device that talks
// while nobody reads must not grow the buffer without bound.
constexpr int kMaxBuffer = 64 * 1024;
// Received data is handed on in pieces of at most this size, so that one
// data-available event never reports more than the buffer holds.
constexpr int kMaxPiece = 4096;
// A blocking wait looks at the port this often, so that it notices its time-out.
constexpr int kBlockingSliceMs = 10;

char lowerLatin1(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

QByteArray lowerLatin1(QByteArray text)
{
    for (char &c : text)
        c = lowerLatin1(c);
    return text;
}

bool endsWith(const QByteArray &text, const QByteArray &tail, bool ignoreCase)
{
    if (tail.isEmpty() || text.size() < tail.size())
        return false;
    const char *a = text.constData() + text.size() - tail.size();
    for (int i = 0; i < tail.size(); ++i) {
        const char x = ignoreCase ? lowerLatin1(a[i]) : a[i];
        const char y = ignoreCase ? lowerLatin1(tail[i]) : tail[i];
        if (x != y)
            return false;
    }
    return true;
}

struct Wait {
    QList<QByteArray> alternatives;   // already lowered when ignoreCase
    bool ignoreCase = true;
    int longest = 0;
    QByteArray recent;                // the last characters taken, at most `longest`
    int result = 0;
    bool done = false;
    QEventLoop *loop = nullptr;

    void finish(int r)
    {
        if (done)
            return;
        done = true;
        result = r;
        if (loop)
            loop->quit();
    }

    // Takes one character; true when an alternative is now complete.
    bool take(char c)
    {
        recent.append(ignoreCase ? lowerLatin1(c) : c);
        if (recent.size() > longest)
            recent.remove(0, recent.size() - longest);
        for (int i = 0; i < alternatives.size(); ++i) {
            if (endsWith(recent, alternatives[i], false)) {
                finish(i + 1);
                return true;
            }
        }
        return false;
    }
};

struct Trigger {
    int handle = 0;
    QByteArray text;
    bool ignoreCase = false;
};

struct Event {
    enum Kind { FeedPackets, FireTrigger } kind;
    QByteArray data;
    int handle = 0;
    quint64 serial = 0;
};

} // namespace

struct TApdComPort::Impl {
    TApdComPort *q;
    QSerialPort *port = nullptr;
    int comNumber = 0;
    int baud = 57600;
    TapiMode tapiMode = TapiMode::tmAuto;
    bool dtr = false;

    QByteArray buf;          // unread characters are buf[head..]
    int head = 0;
    qint64 absHead = 0;      // running count of characters ever taken or dropped

    QList<QPair<quint64, QByteArray>> incoming;   // numbered as they are read
    quint64 chunkSerial = 0;
    bool processQueued = false;
    bool vanished = false;

    QList<Trigger> triggers;
    int nextTriggerHandle = 1;
    int longestTrigger = 0;
    QByteArray triggerHistory;

    QList<QPointer<TApdDataPacket>> packets;
    QList<Wait *> waits;
    std::deque<Event> events;
    std::function<void(char)> waitCharHook;
    std::function<qsizetype(const QByteArray &)> sink;

    explicit Impl(TApdComPort *owner) : q(owner) {}

    int ready() const { return buf.size() - head; }

    void compact()
    {
        if (head > 4096 && head * 2 > buf.size()) {
            buf.remove(0, head);
            head = 0;
        }
    }

    void drop(int count)
    {
        count = std::min(count, ready());
        head += count;
        absHead += count;
        compact();
    }

    void discardBuffer() { drop(ready()); }

    // Drops what is still unread of the characters before the given absolute position.
    void dropBefore(qint64 absolute)
    {
        if (absolute > absHead)
            drop(int(absolute - absHead));
    }

    qint64 append(const QByteArray &chunk)
    {
        buf.append(chunk);
        if (ready() > kMaxBuffer)
            drop(ready() - kMaxBuffer);
        return absHead + ready();
    }

    char takeOne()
    {
        const char c = buf[head];
        drop(1);
        return c;
    }

    void scanTriggers(const QByteArray &chunk)
    {
        if (triggers.isEmpty())
            return;
        for (char c : chunk) {
            triggerHistory.append(c);
            if (triggerHistory.size() > longestTrigger)
                triggerHistory.remove(0, triggerHistory.size() - longestTrigger);
            for (const Trigger &t : std::as_const(triggers)) {
                if (endsWith(triggerHistory, t.text, t.ignoreCase))
                    events.push_back({Event::FireTrigger, {}, t.handle, 0});
            }
        }
    }

    // The innermost wait takes characters from the buffer up to its match.
    void pumpWaits()
    {
        if (waits.isEmpty())
            return;
        Wait *w = waits.back();
        while (!w->done && ready() > 0) {
            const char c = takeOne();
            if (waitCharHook)
                waitCharHook(c);
            w->take(c);
        }
    }

    void endWaits()
    {
        for (Wait *w : std::as_const(waits))
            w->finish(0);
    }

    // Delivers queued packet and trigger events in arrival order; safe to re-enter.
    // Returns false when the port object was destroyed by a handler.
    bool drainEvents()
    {
        QPointer<TApdComPort> self(q);
        while (!events.empty()) {
            Event e = std::move(events.front());
            events.pop_front();
            if (e.kind == Event::FeedPackets) {
                const auto targets = packets;
                for (const QPointer<TApdDataPacket> &p : targets) {
                    if (p)
                        p->feedChunk(e.data.constData(), int(e.data.size()), e.serial);
                    if (!self)
                        return false;
                }
            } else {
                const bool present = std::any_of(triggers.cbegin(), triggers.cend(),
                                                 [&](const Trigger &t) { return t.handle == e.handle; });
                if (present)
                    emit q->triggerData(e.handle);
                if (!self)
                    return false;
            }
        }
        return true;
    }

    bool handleChunk(quint64 serial, const QByteArray &whole)
    {
        QPointer<TApdComPort> self(q);
        events.push_back({Event::FeedPackets, whole, 0, serial});
        scanTriggers(whole);
        QByteArray chunk = whole;
        if (sink) {
            // A running file transfer owns the data; packets and triggers still see it.
            auto target = sink;
            const qsizetype taken = target(chunk);
            if (!self)
                return false;
            if (sink || taken >= chunk.size())
                return drainEvents();
            // The transfer ended inside this chunk: what follows it is ordinary data.
            chunk = chunk.mid(qMax<qsizetype>(0, taken));
        }
        if (!waits.isEmpty()) {
            append(chunk);
            pumpWaits();
        } else {
            // Outside a wait the data belongs to the data-available handlers: the
            // new characters are the buffer's first ones while they run, and what
            // they leave is dropped afterwards, so no later wait matches stale text.
            discardBuffer();
            const qint64 end = append(chunk);
            emit q->triggerAvail(int(chunk.size()));
            if (!self)
                return false;
            if (waits.isEmpty())
                dropBefore(end);
        }
        return drainEvents();
    }

    void process()
    {
        QPointer<TApdComPort> self(q);
        while (!incoming.isEmpty()) {
            const auto [serial, chunk] = incoming.takeFirst();
            if (!handleChunk(serial, chunk) || !self)
                return;
        }
    }

    void readIncoming()
    {
        if (!port || !port->isOpen())
            return;
        const QByteArray data = port->readAll();
        for (int i = 0; i < data.size(); i += kMaxPiece)
            incoming.append({++chunkSerial, data.mid(i, kMaxPiece)});
        if (!incoming.isEmpty() && !processQueued) {
            processQueued = true;
            QMetaObject::invokeMethod(q, [this] {
                processQueued = false;
                process();
            }, Qt::QueuedConnection);
        }
    }

    void onError(QSerialPort::SerialPortError error)
    {
        switch (error) {
        case QSerialPort::NoError:      // clearError() reports this too
            return;
        case QSerialPort::UnsupportedOperationError:   // DTR on a pseudo-terminal
        case QSerialPort::TimeoutError:                // a blocking slice that saw nothing
            if (port)
                port->clearError();
            return;
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::PermissionError:
            break;
        default:
            if (port)
                port->clearError();
            return;
        }
        if (vanished)
            return;
        // The device went away (unplugged, or the other end of a pseudo-terminal
        // closed). Running waits end as unanswered; the close itself is deferred
        // so that it does not run inside the serial layer's own call.
        vanished = true;
        endWaits();
        const QString message = port ? port->errorString() : QString();
        QMetaObject::invokeMethod(q, [this, message] {
            if (!vanished)
                return;
            QPointer<TApdComPort> self(q);
            emit q->portError(message);
            if (self)
                q->close();
        }, Qt::QueuedConnection);
    }
};

namespace {

QString describe(const tl::PortAccessProblem &p)
{
    const QString port = QStringLiteral("Cannot open COM%1 (%2): ").arg(p.comNumber).arg(p.device);
    if (p.kind == tl::PortAccessProblem::NoPermission)
        return port + QStringLiteral("permission denied (group %1)").arg(p.group);
    if (p.pid > 0)
        return port + QStringLiteral("in use by %1 (pid %2)").arg(p.program).arg(p.pid);
    return port + QStringLiteral("in use by another program");
}

[[noreturn]] void throwAccessProblem(const tl::PortAccessProblem &p)
{
    if (p.kind == tl::PortAccessProblem::NoPermission)
        throw EApdPortNoPermission(p);
    throw EApdPortInUse(p);
}

} // namespace

EApdPortAccessError::EApdPortAccessError(const tl::PortAccessProblem &problem)
    : EApdPortError(describe(problem).toStdString()), problem_(problem)
{
}

TApdComPort::TApdComPort(QObject *parent) : QObject(parent), d(new Impl(this)) {}

TApdComPort::~TApdComPort()
{
    d->endWaits();
    if (d->port)
        d->port->close();
    delete d->port;
    delete d;
}

void TApdComPort::setComNumber(int n) { d->comNumber = n; }
int TApdComPort::comNumber() const { return d->comNumber; }

void TApdComPort::setBaud(int baud)
{
    d->baud = baud;
    if (d->port && d->port->isOpen())
        d->port->setBaudRate(baud);
}

int TApdComPort::baud() const { return d->baud; }
void TApdComPort::setTapiMode(TapiMode mode) { d->tapiMode = mode; }
TapiMode TApdComPort::tapiMode() const { return d->tapiMode; }

void TApdComPort::open()
{
    if (isOpen())
        return;
    const QString device = tl::comPortDevice(d->comNumber);
    if (device.isEmpty())
        throw EApdPortError(QStringLiteral("COM%1 does not exist").arg(d->comNumber).toStdString());
    // Another program's lock is respected before the device is touched.
    if (const auto holder = tl::serialLockHolder(device))
        throwAccessProblem(tl::lockedBy(d->comNumber, device, *holder));
    if (const int injected = tl::openErrorForTesting(device)) {
        if (const auto p = tl::openRefused(d->comNumber, device, injected); p.kind != tl::PortAccessProblem::None)
            throwAccessProblem(p);
    }
    if (!d->port) {
        d->port = new QSerialPort;
        connect(d->port, &QSerialPort::readyRead, this, [this] { d->readIncoming(); });
        connect(d->port, &QSerialPort::errorOccurred, this,
                [this](QSerialPort::SerialPortError e) { d->onError(e); });
    }
    d->port->setPortName(device);
    if (!d->port->open(QIODevice::ReadWrite)) {
        const QString why = d->port->errorString();
        d->port->clearError();
        // The serial layer's error does not tell a missing permission from a
        // port in use; the system's own answer does.
        if (const auto p = tl::openRefused(d->comNumber, device, tl::probeOpen(device));
            p.kind != tl::PortAccessProblem::None)
            throwAccessProblem(p);
        throw EApdPortError(QStringLiteral("Cannot open COM%1 (%2): %3")
                                .arg(d->comNumber).arg(device, why).toStdString());
    }
    d->port->setBaudRate(d->baud);
    d->port->setDataBits(QSerialPort::Data8);
    d->port->setParity(QSerialPort::NoParity);
    d->port->setStopBits(QSerialPort::OneStop);
    d->port->setFlowControl(QSerialPort::NoFlowControl);
    d->port->clearError();
    d->vanished = false;
    d->discardBuffer();
    d->incoming.clear();
    d->triggerHistory.clear();
    setDTR(true);
}

void TApdComPort::close()
{
    d->vanished = false;
    if (!d->port || !d->port->isOpen())
        return;
    d->endWaits();
    d->port->close();
    d->port->clearError();
    d->discardBuffer();
    d->incoming.clear();
    d->triggerHistory.clear();
    d->dtr = false;
    emit portClosed();
}

bool TApdComPort::isOpen() const { return d->port && d->port->isOpen() && !d->vanished; }

void TApdComPort::setDTR(bool on)
{
    d->dtr = on;
    if (!d->port || !d->port->isOpen())
        return;
    // Pseudo-terminals have no modem lines; the failure means nothing here.
    if (!d->port->setDataTerminalReady(on))
        d->port->clearError();
}

bool TApdComPort::dtr() const { return d->dtr; }

void TApdComPort::putString(const QByteArray &text)
{
    if (!isOpen())
        throw EApdPortError("Port not open");
    if (d->port->write(text) != text.size())
        throw EApdPortError(d->port->errorString().toStdString());
    d->port->flush();
}

int TApdComPort::charReady() const { return d->ready(); }

char TApdComPort::peekChar(int index) const
{
    if (index < 0 || index >= d->ready())
        return 0;
    return d->buf[d->head + index];
}

char TApdComPort::getChar() { return d->ready() > 0 ? d->takeOne() : 0; }

QByteArray TApdComPort::getBlock(int count)
{
    count = std::clamp(count, 0, d->ready());
    const QByteArray block = d->buf.mid(d->head, count);
    d->drop(count);
    return block;
}

void TApdComPort::flushInBuffer() { d->discardBuffer(); }

int TApdComPort::waitForMultiString(const QString &alternatives, int timeoutTicks, bool yield,
                                    bool ignoreCase, QChar separator)
{
    if (!isOpen())
        return 0;
    Wait w;
    w.ignoreCase = ignoreCase;
    for (const QString &alt : alternatives.split(separator)) {
        const QByteArray bytes = alt.toLatin1();
        // An empty alternative keeps its place in the numbering but never matches.
        w.alternatives.append(ignoreCase ? lowerLatin1(bytes) : bytes);
        w.longest = std::max(w.longest, int(bytes.size()));
    }
    if (w.longest == 0)
        return 0;

    QPointer<TApdComPort> self(this);
    d->waits.append(&w);
    d->process();               // data that came in before the wait, in order
    if (!self)
        return 0;
    d->pumpWaits();

    const int realMs = tl::ticksToMs(timeoutTicks);
    if (!w.done && isOpen() && realMs > 0) {
        if (yield) {
            QEventLoop loop;
            w.loop = &loop;
            QTimer timer;
            timer.setSingleShot(true);
            timer.setTimerType(Qt::PreciseTimer);
            connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
            timer.start(realMs);
            loop.exec();
            w.loop = nullptr;
            if (!self)
                return w.done ? w.result : 0;
        } else {
            QDeadlineTimer deadline(realMs, Qt::PreciseTimer);
            while (!w.done && isOpen() && !deadline.hasExpired()) {
                const int slice = int(std::min<qint64>(deadline.remainingTime(), kBlockingSliceMs));
                d->port->waitForReadyRead(std::max(slice, 1));
                d->process();
                if (!self)
                    return w.done ? w.result : 0;
            }
        }
    }
    d->waits.removeOne(&w);
    // An enclosing wait takes up what this one left.
    d->pumpWaits();
    return w.done ? w.result : 0;
}

void TApdComPort::setWaitCharHook(std::function<void(char)> hook) { d->waitCharHook = std::move(hook); }

int TApdComPort::addDataTrigger(const QByteArray &text, bool ignoreCase)
{
    if (text.isEmpty())
        return 0;
    const int handle = d->nextTriggerHandle++;
    d->triggers.append({handle, text, ignoreCase});
    d->longestTrigger = std::max(d->longestTrigger, int(text.size()));
    return handle;
}

void TApdComPort::removeTrigger(int handle)
{
    d->triggers.removeIf([handle](const Trigger &t) { return t.handle == handle; });
}

void TApdComPort::attachPacket(TApdDataPacket *packet)
{
    if (packet && !d->packets.contains(packet))
        d->packets.append(packet);
}

void TApdComPort::detachPacket(TApdDataPacket *packet)
{
    d->packets.removeIf([packet](const QPointer<TApdDataPacket> &p) { return !p || p == packet; });
}

void TApdComPort::setDataSink(std::function<qsizetype(const QByteArray &)> sink) { d->sink = std::move(sink); }

quint64 TApdComPort::chunkSerial() const { return d->chunkSerial; }
