#pragma once
// An update site for the tests: a folder with update.ini and the update's
// files, served as it is (file://) or over HTTP by a small server of the test's
// own that can also misbehave in the ways real sites do.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QTcpServer>
#include <QTemporaryDir>

class TestSite {
public:
    TestSite();
    QString path() const { return dir_.path(); }
    // Writes the files and an update.ini naming them with their true sizes and digests.
    void publish(const QString &version, const QList<QPair<QString, QByteArray>> &files,
                 const QString &extra = {});
    void put(const QString &name, const QByteArray &content);
private:
    QTemporaryDir dir_;
};

class TestHttpServer : public QObject {
public:
    enum Fault { None, NotFound, Silent, Truncate, Oversize, Unauthorized };
    explicit TestHttpServer(const QString &root);
    quint16 port() const { return server_.serverPort(); }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(port()); }
    void setFault(const QString &file, Fault fault) { faults_[file] = fault; }
    void requireLogin(const QByteArray &userColonPassword) { login_ = userColonPassword; }
    QStringList requests;                 // paths asked for, in order
    QList<QByteArray> authorizations;     // the Authorization header of each request
private:
    void serve(QTcpSocket *socket);
    QTcpServer server_;
    QString root_;
    QHash<QString, Fault> faults_;
    QByteArray login_;
};
