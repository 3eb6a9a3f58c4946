#pragma once
// One transfer from an update site: http(s) through QNetworkAccessManager,
// file:// the same way. The body streams to a file (or a small buffer) while its
// SHA-256 is computed; a limit on the bytes stops a site that sends more than it
// announced, and an inactivity time-out stops one that goes quiet.

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;

namespace pw {

struct Credentials {
    QString user;
    QString password;
    bool enabled = false;
};

class Download : public QObject {
    Q_OBJECT
public:
    enum Outcome { Done, NotFound, ConnectFailed, Failed, TooLarge, Cancelled };

    Download(QNetworkAccessManager *manager, QObject *parent = nullptr);
    ~Download() override;
    // Into memory (small files only) or into a file at path.
    void start(const QUrl &url, qint64 maxBytes, const Credentials &credentials, const QString &toFile = {});
    void cancel();

    Outcome outcome() const { return outcome_; }
    QString error() const { return error_; }
    QByteArray data() const { return data_; }
    QByteArray sha256() const { return digest_; }
    qint64 received() const { return received_; }

    static int timeoutMs();   // inactivity limit, through the suite's clock

signals:
    void progress(qint64 received);
    void finished();

private:
    void readAvailable();
    void done();
    void finish(Outcome outcome, const QString &error);

    QNetworkAccessManager *manager_;
    QPointer<QNetworkReply> reply_;
    QFile file_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    QByteArray data_;
    QByteArray digest_;
    qint64 maxBytes_ = 0;
    qint64 received_ = 0;
    bool toFile_ = false;
    bool finished_ = false;
    Outcome outcome_ = Failed;
    QString error_;
};

} // namespace pw
