#pragma once
// File transfer over a serial port component: Xmodem with the arithmetic
// checksum (128-byte blocks, SOH, block number and complement, checksum,
// ACK/NAK/CAN, EOT). Runs on the GUI thread, driven by the port's data events.

#include <QObject>
#include <QString>

class TApdComPort;

enum class ProtocolType { ptXmodem };

// Codes of protocolError and protocolFinish.
enum ProtocolErrorCode {
    ecOK = 0,
    ecTimeout = 1,            // the other side stopped answering
    ecTooManyErrors = 2,      // a block or the start failed too often
    ecCancelRequested = 3,    // cancelProtocol() on this side
    ecRemoteCancel = 4,       // the other side sent CAN
    ecFileError = 5,          // the file could not be read or written
    ecPortClosed = 6,         // no port, or the port closed during the transfer
};

class TApdProtocol : public QObject {
    Q_OBJECT
public:
    explicit TApdProtocol(QObject *parent = nullptr);
    ~TApdProtocol() override;

    void setComPort(TApdComPort *port);
    TApdComPort *comPort() const;
    void setProtocolType(ProtocolType t);
    void setFileName(const QString &path);       // platform path; mapped through tl::mapPath
    QString fileName() const;
    void setHonorDirectory(bool on);
    void setStatusInterval(int ticks);           // how often protocolStatus fires during a transfer
    void setHandshakeWait(int ticks);            // how long to wait for the other side to start (default 1092)
    void setBlockWait(int ticks);                // how long to wait for a block or its answer (default 182)
    void setRetries(int n);                      // tries per block before giving up (default 10)

    void startTransmit();
    void startReceive();
    void cancelProtocol();
    bool inProgress() const;

    qint64 bytesTransferred() const;
    qint64 bytesRemaining() const;               // transmit only; 0 when unknown
    qint64 fileLength() const;

signals:
    void protocolStatus(int options);            // 0 = progress, 1 = starting, 2 = ended
    void protocolError(int errorCode);
    void protocolFinish(int errorCode);          // 0 = success

private:
    struct Impl;
    Impl *d;
};
