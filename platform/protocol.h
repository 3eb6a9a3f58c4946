#pragma once
// File transfer over a serial port component: Xmodem with the arithmetic
// checksum (128-byte blocks, SOH, block number and complement, checksum,
// ACK/NAK/CAN, EOT). Runs on the GUI thread, driven by the port's data events.

#include <QObject>
#include <QString>

class TApdComPort;

enum class ProtocolType { ptXmodem };

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
