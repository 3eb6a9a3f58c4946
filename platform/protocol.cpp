#include "protocol.h"

#include "clock.h"
#include "paths.h"
#include "serialport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace {

constexpr char SOH = 0x01;
constexpr char EOT = 0x04;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;
constexpr char CAN = 0x18;
constexpr char SUB = 0x1A;   // pads the last block
constexpr int kBlock = 128;
constexpr int kFrame = 3 + kBlock + 1;   // SOH, number, complement, data, checksum

char checksum(const char *data, int len)
{
    unsigned sum = 0;
    for (int i = 0; i < len; ++i)
        sum += static_cast<unsigned char>(data[i]);
    return char(sum & 0xFF);
}

enum class Phase { Idle, SendWaitStart, SendWaitAck, SendWaitEotAck, Receive };

} // namespace

struct TApdProtocol::Impl {
    TApdProtocol *q;
    QPointer<TApdComPort> port;
    QString fileName;
    bool honorDirectory = false;
    int statusTicks = 18;
    int handshakeTicks = 1092;
    int blockTicks = 182;
    int retries = 10;

    Phase phase = Phase::Idle;
    QByteArray data;          // sender: the whole file
    QFile out;                // receiver
    QByteArray pending;       // receiver: last good block, written when the next one arrives
    QByteArray frame;         // receiver: the block being collected
    qint64 transferred = 0;
    qint64 length = 0;
    int block = 1;            // number of the block being sent or expected
    int tries = 0;
    QTimer timeout;
    QTimer status;

    explicit Impl(TApdProtocol *owner) : q(owner) {}

    void write(const QByteArray &bytes)
    {
        try {
            if (port)
                port->putString(bytes);
        } catch (const EApdPortError &) {
            // The close that follows ends the transfer.
        }
    }

    void arm(int ticks) { timeout.start(tl::ticksToMs(ticks)); }

    int blockCount() const { return int((data.size() + kBlock - 1) / kBlock); }

    void sendBlock()
    {
        QByteArray payload = data.mid(qint64(block - 1) * kBlock, kBlock);
        payload.append(QByteArray(kBlock - payload.size(), SUB));
        QByteArray f;
        f.append(SOH);
        f.append(char(block & 0xFF));
        f.append(char(0xFF - (block & 0xFF)));
        f.append(payload);
        f.append(checksum(payload.constData(), kBlock));
        write(f);
        arm(blockTicks);
    }

    void sendEot()
    {
        write(QByteArray(1, EOT));
        arm(blockTicks);
    }

    // True while tries are left; otherwise the transfer has been ended.
    bool retry()
    {
        if (++tries < retries)
            return true;
        fail(ecTooManyErrors, true);
        return false;
    }

    void begin(Phase p)
    {
        phase = p;
        transferred = 0;
        block = 1;
        tries = 0;
        frame.clear();
        pending.clear();
        port->setDataSink([this](const QByteArray &chunk) { return onData(chunk); });
        status.start(tl::ticksToMs(qMax(1, statusTicks)));
        emit q->protocolStatus(1);
    }

    void end(int code)
    {
        if (phase == Phase::Idle)
            return;
        const bool receiving = phase == Phase::Receive;
        phase = Phase::Idle;
        timeout.stop();
        status.stop();
        if (port)
            port->setDataSink({});
        if (receiving) {
            if (code == ecOK) {
                out.close();
            } else {
                // A half-received file must not pass for a good one.
                out.close();
                out.remove();
            }
        }
        data.clear();
        QPointer<TApdProtocol> self(q);
        if (code != ecOK)
            emit q->protocolError(code);
        if (!self)
            return;
        emit q->protocolStatus(2);
        if (!self)
            return;
        emit q->protocolFinish(code);
    }

    void fail(int code, bool tellPeer)
    {
        if (tellPeer)
            write(QByteArray(3, CAN));
        end(code);
    }

    void onTimeout()
    {
        switch (phase) {
        case Phase::SendWaitStart:
            fail(ecTimeout, false);
            break;
        case Phase::SendWaitAck:
            if (retry())
                sendBlock();
            break;
        case Phase::SendWaitEotAck:
            if (retry())
                sendEot();
            break;
        case Phase::Receive:
            frame.clear();
            if (!retry())
                break;
            if (block == 1 && tries * blockTicks >= handshakeTicks) {
                fail(ecTimeout, true);
                break;
            }
            write(QByteArray(1, NAK));
            arm(blockTicks);
            break;
        case Phase::Idle:
            break;
        }
    }

    // Returns how many characters belonged to the transfer.
    qsizetype onData(const QByteArray &chunk)
    {
        QPointer<TApdProtocol> self(q);
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            if (!self || phase == Phase::Idle)
                return i;
            if (phase == Phase::Receive)
                receiveByte(chunk[i]);
            else
                sendSideByte(chunk[i]);
        }
        return chunk.size();
    }

    void sendSideByte(char c)
    {
        if (c == CAN) {
            fail(ecRemoteCancel, false);
            return;
        }
        switch (phase) {
        case Phase::SendWaitStart:
            if (c == NAK) {
                phase = Phase::SendWaitAck;
                tries = 0;
                sendBlock();
            }
            break;
        case Phase::SendWaitAck:
            if (c == ACK) {
                transferred = qMin<qint64>(qint64(block) * kBlock, data.size());
                tries = 0;
                if (block >= blockCount()) {
                    phase = Phase::SendWaitEotAck;
                    sendEot();
                } else {
                    ++block;
                    sendBlock();
                }
            } else if (c == NAK) {
                if (retry())
                    sendBlock();
            }
            break;
        case Phase::SendWaitEotAck:
            if (c == ACK) {
                end(ecOK);
            } else if (c == NAK) {
                if (retry())
                    sendEot();
            }
            break;
        default:
            break;
        }
    }

    void receiveByte(char c)
    {
        if (frame.isEmpty()) {
            if (c == SOH) {
                frame.append(c);
                arm(blockTicks);
            } else if (c == EOT) {
                write(QByteArray(1, ACK));
                finishReceive();
            } else if (c == CAN) {
                fail(ecRemoteCancel, false);
            }
            return;   // anything else is line noise between blocks
        }
        frame.append(c);
        if (frame.size() < kFrame)
            return;

        const int number = static_cast<unsigned char>(frame[1]);
        const int complement = static_cast<unsigned char>(frame[2]);
        const QByteArray payload = frame.mid(3, kBlock);
        const bool intact = number + complement == 0xFF
                            && checksum(payload.constData(), kBlock) == frame[kFrame - 1];
        frame.clear();
        if (!intact) {
            if (retry()) {
                write(QByteArray(1, NAK));
                arm(blockTicks);
            }
            return;
        }
        if (number == ((block - 1) & 0xFF) && block > 1) {
            // Our ACK was lost and the block came again.
            write(QByteArray(1, ACK));
            arm(blockTicks);
            return;
        }
        if (number != (block & 0xFF)) {
            fail(ecTooManyErrors, true);
            return;
        }
        if (!pending.isEmpty() && out.write(pending) != pending.size()) {
            fail(ecFileError, true);
            return;
        }
        pending = payload;
        transferred += kBlock;
        ++block;
        tries = 0;
        write(QByteArray(1, ACK));
        arm(blockTicks);
    }

    void finishReceive()
    {
        // Xmodem carries no length: the padding of the last block is cut off.
        while (pending.endsWith(SUB))
            pending.chop(1);
        if (!pending.isEmpty() && out.write(pending) != pending.size()) {
            end(ecFileError);
            return;
        }
        transferred = transferred - kBlock + pending.size();
        if (transferred < 0)
            transferred = 0;
        pending.clear();
        if (!out.flush()) {
            end(ecFileError);
            return;
        }
        end(ecOK);
    }
};

TApdProtocol::TApdProtocol(QObject *parent) : QObject(parent), d(new Impl(this))
{
    d->timeout.setSingleShot(true);
    d->timeout.setTimerType(Qt::PreciseTimer);
    connect(&d->timeout, &QTimer::timeout, this, [this] { d->onTimeout(); });
    connect(&d->status, &QTimer::timeout, this, [this] {
        if (d->phase != Phase::Idle)
            emit protocolStatus(0);
    });
}

TApdProtocol::~TApdProtocol()
{
    if (d->phase != Phase::Idle && d->port)
        d->port->setDataSink({});
    delete d;
}

void TApdProtocol::setComPort(TApdComPort *port)
{
    if (d->port == port)
        return;
    if (d->port)
        disconnect(d->port, nullptr, this, nullptr);
    d->port = port;
    if (port)
        connect(port, &TApdComPort::portClosed, this, [this] { d->end(ecPortClosed); });
}

TApdComPort *TApdProtocol::comPort() const { return d->port; }
void TApdProtocol::setProtocolType(ProtocolType) {}
void TApdProtocol::setFileName(const QString &path) { d->fileName = path; }
QString TApdProtocol::fileName() const { return d->fileName; }
void TApdProtocol::setHonorDirectory(bool on) { d->honorDirectory = on; }
void TApdProtocol::setStatusInterval(int ticks) { d->statusTicks = ticks; }
void TApdProtocol::setHandshakeWait(int ticks) { d->handshakeTicks = qMax(1, ticks); }
void TApdProtocol::setBlockWait(int ticks) { d->blockTicks = qMax(1, ticks); }
void TApdProtocol::setRetries(int n) { d->retries = qMax(1, n); }

void TApdProtocol::startTransmit()
{
    if (inProgress())
        return;
    QFile in(tl::mapPath(d->fileName));
    const bool haveFile = in.open(QIODevice::ReadOnly);
    d->data = haveFile ? in.readAll() : QByteArray();
    d->length = d->data.size();
    if (!d->port || !d->port->isOpen() || !haveFile) {
        // Reported the same way as a failure during the transfer, after the call.
        const int code = haveFile ? ecPortClosed : ecFileError;
        QMetaObject::invokeMethod(this, [this, code] {
            emit protocolError(code);
            emit protocolFinish(code);
        }, Qt::QueuedConnection);
        return;
    }
    d->begin(Phase::SendWaitStart);
    d->arm(d->handshakeTicks);
}

void TApdProtocol::startReceive()
{
    if (inProgress())
        return;
    QString path = tl::mapPath(d->fileName);
    if (!d->honorDirectory && QFileInfo(path).isDir())
        path = QDir(path).filePath(QStringLiteral("xmodem.bin"));
    d->out.setFileName(path);
    d->length = 0;
    const bool haveFile = d->port && d->port->isOpen() && d->out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!haveFile) {
        const int code = (d->port && d->port->isOpen()) ? ecFileError : ecPortClosed;
        QMetaObject::invokeMethod(this, [this, code] {
            emit protocolError(code);
            emit protocolFinish(code);
        }, Qt::QueuedConnection);
        return;
    }
    d->begin(Phase::Receive);
    d->write(QByteArray(1, NAK));   // checksum mode: the sender starts on NAK
    d->arm(d->blockTicks);
}

void TApdProtocol::cancelProtocol()
{
    if (inProgress())
        d->fail(ecCancelRequested, true);
}

bool TApdProtocol::inProgress() const { return d->phase != Phase::Idle; }
qint64 TApdProtocol::bytesTransferred() const { return d->transferred; }
qint64 TApdProtocol::bytesRemaining() const
{
    return d->phase == Phase::Receive ? 0 : qMax<qint64>(0, d->length - d->transferred);
}
qint64 TApdProtocol::fileLength() const { return d->length; }
