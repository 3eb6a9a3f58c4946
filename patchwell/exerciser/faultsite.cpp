#include "faultsite.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

FaultSite::FaultSite()
{
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *s = server_.nextPendingConnection()) {
            s->setParent(this);
            connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    publish(12000);
}

QString FaultSite::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(server_.serverPort());
}

QString FaultSite::faultName(Fault fault)
{
    static const char *const names[] = {"none", "slow", "stalled", "cut short", "wrong digest", "not found"};
    return QLatin1String(fault >= 0 && fault < FaultCount ? names[fault] : "?");
}

void FaultSite::publish(int size)
{
    ++serial_;
    version_ = QStringLiteral("2.%1").arg(serial_);
    published_ << version_;
    firmware_ = QByteArray(size, 0);
    for (int i = 0; i < size; ++i)
        firmware_[i] = char(i * 31 + serial_);
    ini_ = "[Update]\nVersion=" + version_.toLatin1() + "\nFiles=1\n[File1]\nName=fw.bin\nSize="
           + QByteArray::number(size) + "\nSHA256="
           + QCryptographicHash::hash(firmware_, QCryptographicHash::Sha256).toHex() + "\n";
    // Now and then the firmware is the user's to load.
    if (serial_ % 3 == 0)
        ini_.replace("[Update]\n", "[Update]\nUserStep=1\n");
}

void FaultSite::serve(QTcpSocket *s)
{
    if (s->property("served").toBool() || !s->peek(65536).contains("\r\n\r\n"))
        return;
    s->setProperty("served", true);
    const QByteArray request = s->readAll();
    const QByteArray path = request.split(' ').value(1);
    if (fault_ == Stalled)
        return;   // never answers; the engine's inactivity limit ends it
    QByteArray body;
    if (path.endsWith("/update.ini"))
        body = ini_;
    else if (path.endsWith("/fw.bin"))
        body = firmware_;
    if (fault_ == NotFound || body.isEmpty()) {
        s->write("HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\nConnection: close\r\n\r\nmissing");
        s->disconnectFromHost();
        return;
    }
    const qint64 announced = body.size();
    if (fault_ == WrongDigest && path.endsWith("/fw.bin"))
        body[body.size() / 2] = char(body[body.size() / 2] ^ 0x55);
    if (fault_ == CutShort)
        body = body.left(body.size() / 2);
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(announced)
                            + "\r\nConnection: close\r\n\r\n";
    if (fault_ == Slow) {
        s->write(head);
        drip(s, body);
        return;
    }
    s->write(head + body);
    s->disconnectFromHost();
}

void FaultSite::drip(QTcpSocket *socket, QByteArray rest)
{
    QPointer<QTcpSocket> s(socket);
    if (!s)
        return;
    s->write(rest.left(1500));
    rest.remove(0, 1500);
    if (rest.isEmpty()) {
        s->disconnectFromHost();
        return;
    }
    QTimer::singleShot(40, this, [this, s, rest] { drip(s, rest); });
}
