#include "sitefixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

namespace {

bool run(const QString &program, const QStringList &args, const QString &dir = {})
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

TestSite::TestSite() = default;

void TestSite::put(const QString &name, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(dir_.filePath(name)).path());
    QFile f(dir_.filePath(name));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(content);
}

QByteArray TestSite::get(const QString &name) const
{
    QFile f(dir_.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

TestHttpServer::TestHttpServer(const QString &root, const QSslConfiguration &tls)
    : tls_(!tls.isNull()), root_(root)
{
    if (tls_) {
        auto *ssl = new QSslServer;
        ssl->setSslConfiguration(tls);
        // A client that refuses the certificate is the test's point, not an error.
        QObject::connect(ssl, &QSslServer::errorOccurred, ssl, [](QSslSocket *s, QAbstractSocket::SocketError) {
            s->deleteLater();
        });
        server_.reset(ssl);
    } else {
        server_ = std::make_unique<QTcpServer>();
    }
    server_->listen(QHostAddress::LocalHost);
    QObject::connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *s = server_->nextPendingConnection()) {
            QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            if (s->bytesAvailable())
                serve(s);
        }
    });
}

TestHttpServer::~TestHttpServer() = default;

QString TestHttpServer::url() const
{
    return QStringLiteral("%1://127.0.0.1:%2/").arg(tls_ ? "https" : "http").arg(port());
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
    auto reply = [s](const QByteArray &status, const QByteArray &body, qint64 announced,
                     const QByteArray &headers = {}) {
        s->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(announced)
                 + "\r\nConnection: close\r\n" + headers + "\r\n" + body);
        s->flush();
        s->disconnectFromHost();
    };
    if (!login_.isEmpty() && auth != "Basic " + login_.toBase64()) {
        reply("401 Unauthorized", "login", 5, "WWW-Authenticate: Basic realm=\"site\"\r\n");
        return;
    }
    if (fault == Redirect) {
        reply("302 Found", "moved", 5, "Location: " + redirects_.value(path).toUtf8() + "\r\n");
        return;
    }
    if (fault == ServerError) {
        reply("500 Internal Server Error", "broken", 6);
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
    } else if (fault == SlowTail) {
        // The last kilobyte comes a moment later, in a write of its own.
        const qsizetype head = qMax<qsizetype>(0, body.size() - 1000);
        s->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size())
                 + "\r\nConnection: close\r\n\r\n" + body.left(head));
        s->flush();
        QPointer<QTcpSocket> later(s);
        QTimer::singleShot(300, this, [later, tail = body.mid(head)] {
            if (!later)
                return;
            later->write(tail);
            later->flush();
            later->disconnectFromHost();
        });
    } else {
        reply("200 OK", body, body.size());
    }
}

TestSigningKey::TestSigningKey()
{
    publicKeyFile = dir_.filePath("test.pub");
    secretKeyFile = dir_.filePath("test.key");
    if (!run("minisign", {"-G", "-W", "-p", publicKeyFile, "-s", secretKeyFile}))
        return;
    QFile f(publicKeyFile);
    if (f.open(QIODevice::ReadOnly))
        publicKey = QString::fromLatin1(f.readAll().split('\n').value(1)).trimmed();
}

bool TestSigningKey::sign(const QString &file, const QString &product, const QString &expires, bool legacy) const
{
    QStringList args{"-S", "-s", secretKeyFile, "-m", file, "-t",
                     QStringLiteral("product=%1\texpires=%2").arg(product, expires)};
    if (legacy)
        args << "-l";
    return run("minisign", args);
}

TestCertificates::TestCertificates()
{
    const QString d = dir_.path();
    const QString ext = dir_.filePath("san.ext");
    QFile e(ext);
    e.open(QIODevice::WriteOnly);
    e.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n");
    e.close();
    valid_ = run("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                             "-subj", "/CN=Tallyline test CA", "-days", "2", "-keyout", "ca.key", "-out", "ca.pem"}, d)
             && run("openssl", {"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                                "-subj", "/CN=127.0.0.1", "-keyout", "server.key", "-out", "server.csr"}, d)
             && run("openssl", {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                                "-CAcreateserial", "-days", "2", "-extfile", ext, "-out", "server.pem"}, d);
}

QSslConfiguration TestCertificates::serverConfiguration() const
{
    QSslConfiguration c = QSslConfiguration::defaultConfiguration();
    QFile key(dir_.filePath("server.key"));
    key.open(QIODevice::ReadOnly);
    c.setPrivateKey(QSslKey(key.readAll(), QSsl::Ec));
    c.setLocalCertificateChain(QSslCertificate::fromPath(dir_.filePath("server.pem")));
    c.setPeerVerifyMode(QSslSocket::VerifyNone);
    return c;
}
