#pragma once
// A folder served over HTTP on localhost by python3's http.server in a process
// of its own, as an update site is; stopped when it goes.

#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest/QTest>

class LocalSite {
public:
    explicit LocalSite(const QString &folder)
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port_ = probe.serverPort();
        probe.close();
        server_.setWorkingDirectory(folder);
        server_.start("python3", {"-m", "http.server", QString::number(port_), "--bind", "127.0.0.1"});
        (void)QTest::qWaitFor([this] {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port_);
            return s.waitForConnected(100);
        }, 10000);
    }
    ~LocalSite()
    {
        server_.kill();
        server_.waitForFinished();
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(port_); }

private:
    quint16 port_ = 0;
    QProcess server_;
};
