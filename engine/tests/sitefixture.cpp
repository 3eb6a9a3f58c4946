#include "sitefixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTcpSocket>

TestSite::TestSite() = default;

void TestSite::put(const QString &name, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(dir_.filePath(name)).path());
    QFile f(dir_.filePath(name));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(content);
}

void TestSite::publish(const QString &version, const QList<QPair<QString, QByteArray>> &files, const QString &extra)
{
    QString ini = QStringLiteral("[Update]\nVersion=%1\nFiles=%2\n%3\n").arg(version).arg(files.size()).arg(extra);
    int i = 0;
    for (const auto &f : files) {
        put(f.first, f.second);
        ini += QStringLiteral("[File%1]\nName=%2\nSize=%3\nSHA256=%4\n")
                   .arg(++i)
                   .arg(f.first)
                   .arg(f.second.size())
                   .arg(QString::fromLatin1(QCryptographicHash::hash(f.second, QCryptographicHash::Sha256).toHex()));
    }
    put(QStringLiteral("update.ini"), ini.toUtf8());
}

TestHttpServer::TestHttpServer(const QString &root) : root_(root)
{
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *s = server_.nextPendingConnection()) {
            QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

void TestHttpServer::serve(QTcpSocket *s)
{
    if (!s->canReadLine() || s->property("served").toBool())
        return;
    QByteArray head = s->peek(65536);
    if (!head.contains("\r\n\r\n"))
        return;
    s->setProperty("served", true);
    const QList<QByteArray> lines = s->readAll().split('\n');
    const QString path = QString::fromLatin1(lines.value(0).split(' ').value(1)).mid(1);
    QByteArray auth;
    for (const QByteArray &l : lines)
        if (l.toLower().startsWith("authorization:"))
            auth = l.mid(14).trimmed();
    requests << path;
    authorizations << auth;
    const Fault fault = faults_.value(path, None);
    if (fault == Silent)
        return;   // never answers
    auto reply = [s](const QByteArray &status, const QByteArray &body, qint64 announced) {
        s->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(announced)
                 + "\r\nConnection: close\r\n\r\n" + body);
        s->flush();
        s->disconnectFromHost();
    };
    if (!login_.isEmpty() && auth != "Basic " + login_.toBase64()) {
        reply("401 Unauthorized", "login", 5);
        return;
    }
    QFile f(root_ + QLatin1Char('/') + path);
    if (fault == NotFound || path.contains(QLatin1String("..")) || !f.open(QIODevice::ReadOnly)) {
        reply("404 Not Found", "missing", 7);
        return;
    }
    QByteArray body = f.readAll();
    if (fault == Truncate) {
        reply("200 OK", body.left(body.size() / 2), body.size());
    } else if (fault == Oversize) {
        const QByteArray big = body + QByteArray(200000, 'x');
        reply("200 OK", big, big.size());
    } else {
        reply("200 OK", body, body.size());
    }
}
