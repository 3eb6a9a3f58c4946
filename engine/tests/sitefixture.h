#pragma once
// An update site for the tests: a folder with update.ini and the update's
// files, served as it is (file://) or over HTTP (or HTTPS) by a small server of
// the test's own that can also misbehave in the ways real sites do.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QSslConfiguration>
#include <QString>
#include <QTcpServer>
#include <QTemporaryDir>
#include <memory>

class TestSite {
public:
    TestSite();
    QString path() const { return dir_.path(); }
    // Writes the files and an update.ini naming them with their true sizes and digests.
    void publish(const QString &version, const QList<QPair<QString, QByteArray>> &files,
                 const QString &extra = {});
    void put(const QString &name, const QByteArray &content);
    QByteArray get(const QString &name) const;
private:
    QTemporaryDir dir_;
};

class TestHttpServer : public QObject {
public:
    enum Fault { None, NotFound, Silent, Truncate, Oversize, Unauthorized, ServerError, SlowTail, Redirect };
    // Plain HTTP, or HTTPS with the given certificate and key.
    explicit TestHttpServer(const QString &root, const QSslConfiguration &tls = {});
    ~TestHttpServer() override;
    quint16 port() const { return server_->serverPort(); }
    QString url() const;
    void setFault(const QString &file, Fault fault) { faults_[file] = fault; }
    void setRedirect(const QString &file, const QString &to) { faults_[file] = Redirect; redirects_[file] = to; }
    void requireLogin(const QByteArray &userColonPassword) { login_ = userColonPassword; }
    QStringList requests;                 // paths asked for, in order
    QList<QByteArray> authorizations;     // the Authorization header of each request
private:
    void serve(QTcpSocket *socket);
    std::unique_ptr<QTcpServer> server_;
    bool tls_ = false;
    QString root_;
    QHash<QString, Fault> faults_;
    QHash<QString, QString> redirects_;
    QByteArray login_;
};

// A key pair of the signing tool, made for one test, and signatures with it.
class TestSigningKey {
public:
    TestSigningKey();
    bool valid() const { return !publicKey.isEmpty(); }
    QString publicKey;     // the base64 line
    QString secretKeyFile;
    QString publicKeyFile;
    // Signs file (writing file.minisig) binding product and expiry; legacy:
    // the older algorithm without the digest.
    bool sign(const QString &file, const QString &product, const QString &expires, bool legacy = false) const;
private:
    QTemporaryDir dir_;
};

// A certificate authority of the test's own and a server certificate for
// 127.0.0.1 signed by it, made with the openssl command.
class TestCertificates {
public:
    TestCertificates();
    bool valid() const { return valid_; }
    QString caFile() const { return dir_.filePath("ca.pem"); }
    QSslConfiguration serverConfiguration() const;
private:
    QTemporaryDir dir_;
    bool valid_ = false;
};
