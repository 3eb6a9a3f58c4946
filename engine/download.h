#pragma once
// One transfer from an update site: http(s) through QNetworkAccessManager,
// file:// the same way. The body streams to a new file (or a small buffer); a
// limit on the bytes stops a site that sends more than it announced, and an
// inactivity time-out stops one that goes quiet. A file is flushed and synced
// before the transfer counts as done: a disk that fills is a failure here.
//
// Redirects are followed here, not by Qt: the login goes only to the origin
// (scheme, host, port) of the address the transfer was started with, and an
// https address never leads to a plain http one.

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QSslConfiguration;

namespace pw {

struct Credentials {
    QString user;
    QString password;
    bool enabled = false;
};

// Removes the user name and password of every address in a text.
QString withoutCredentials(const QString &text);

class Download : public QObject {
    Q_OBJECT
public:
    enum Outcome { Done, NotFound, ConnectFailed, Failed, TooLarge, Cancelled };

    Download(QNetworkAccessManager *manager, QObject *parent = nullptr);
    ~Download() override;
    // Into memory (small files only) or into a new file at path.
    void start(const QUrl &url, qint64 maxBytes, const Credentials &credentials, const QString &toFile = {});
    void cancel();

    Outcome outcome() const { return outcome_; }
    QString error() const { return error_; }
    QByteArray data() const { return data_; }
    qint64 received() const { return received_; }

    static int timeoutMs();   // inactivity limit, through the suite's clock
    static constexpr int kMaxRedirects = 10;
    // The certificate authorities an https site may be signed by: the system's,
    // and those of the file SSL_CERT_FILE names.
    static QSslConfiguration tlsConfiguration();

signals:
    void progress(qint64 received);
    void finished();

private:
    void request(const QUrl &url);
    void readAvailable();
    void done();
    bool followRedirect();
    void finish(Outcome outcome, const QString &error);
    bool writeToFile(const char *data, qint64 size);
    bool closeFile(bool sync);
    int httpStatus() const;

    QNetworkAccessManager *manager_;
    QPointer<QNetworkReply> reply_;
    QUrl origin_;            // where the credentials may go
    QUrl current_;
    Credentials credentials_;
    int redirects_ = 0;
    QString path_;
    int fd_ = -1;
    QByteArray data_;
    qint64 maxBytes_ = 0;
    qint64 received_ = 0;
    bool finished_ = false;
    Outcome outcome_ = Failed;
    QString error_;
};

} // namespace pw
