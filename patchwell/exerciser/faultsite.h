#pragma once
// The update site of the exerciser: update.ini and one firmware file served
// over HTTP on the loopback, with a fault that the exerciser changes at will
// (slow, stalled, cut short, a wrong digest, not found) and new versions that
// appear while programs run.

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTcpServer>

class FaultSite : public QObject {
    Q_OBJECT
public:
    enum Fault { None, Slow, Stalled, CutShort, WrongDigest, NotFound, FaultCount };

    FaultSite();
    QString url() const;
    void setFault(Fault fault) { fault_ = fault; }
    Fault fault() const { return fault_; }
    static QString faultName(Fault fault);
    // A new version with a firmware file of the given size.
    void publish(int size);
    QString version() const { return version_; }
    QStringList published() const { return published_; }

private:
    void serve(QTcpSocket *socket);
    void drip(QTcpSocket *socket, QByteArray rest);

    QTcpServer server_;
    Fault fault_ = None;
    QString version_;
    QStringList published_;
    QByteArray ini_;
    QByteArray firmware_;
    int serial_ = 0;
};
