#include "download.h"

#include "clock.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>

namespace pw {

Download::Download(QNetworkAccessManager *manager, QObject *parent) : QObject(parent), manager_(manager) {}

Download::~Download()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

int Download::timeoutMs()
{
    return qMax(200, tl::scaledMs(30000));
}

void Download::start(const QUrl &url, qint64 maxBytes, const Credentials &credentials, const QString &toFile)
{
    maxBytes_ = maxBytes;
    toFile_ = !toFile.isEmpty();
    if (toFile_) {
        file_.setFileName(toFile);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            error_ = file_.errorString();
            outcome_ = Failed;
            finished_ = true;
            QMetaObject::invokeMethod(this, &Download::finished, Qt::QueuedConnection);
            return;
        }
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    if (credentials.enabled && !credentials.user.isEmpty() && url.scheme().startsWith(QLatin1String("http"))) {
        const QByteArray pair = (credentials.user + QLatin1Char(':') + credentials.password).toUtf8();
        request.setRawHeader("Authorization", "Basic " + pair.toBase64());
    }
    reply_ = manager_->get(request);
    // The body goes to disk as it comes: never more than this waits in memory.
    reply_->setReadBufferSize(2 * 1024 * 1024);
    connect(reply_, &QNetworkReply::readyRead, this, &Download::readAvailable);
    connect(reply_, &QNetworkReply::finished, this, &Download::done);
}

void Download::readAvailable()
{
    if (!reply_ || finished_ || !reply_->isOpen())
        return;
    const QByteArray chunk = reply_->readAll();
    if (chunk.isEmpty())
        return;
    received_ += chunk.size();
    if (maxBytes_ >= 0 && received_ > maxBytes_) {
        finish(TooLarge, QStringLiteral("more data than announced (%1 bytes expected)").arg(maxBytes_));
        return;
    }
    hash_.addData(chunk);
    if (toFile_) {
        if (file_.write(chunk) != chunk.size()) {
            finish(Failed, file_.errorString());
            return;
        }
    } else {
        data_ += chunk;
    }
    emit progress(received_);
}

void Download::done()
{
    if (!reply_ || finished_)
        return;
    readAvailable();
    if (finished_)
        return;
    const QNetworkReply::NetworkError err = reply_->error();
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (err == QNetworkReply::NoError && (status == 0 || (status >= 200 && status < 300))) {
        finish(Done, {});
        return;
    }
    switch (err) {
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentGoneError:
        finish(NotFound, reply_->errorString());
        break;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::SslHandshakeFailedError:
        finish(ConnectFailed, reply_->errorString());
        break;
    case QNetworkReply::OperationCanceledError:
        finish(Failed, QStringLiteral("no answer within %1 s").arg(timeoutMs() / 1000.0));
        break;
    default:
        finish(Failed, reply_->errorString());
        break;
    }
}

void Download::cancel()
{
    if (!finished_)
        finish(Cancelled, QStringLiteral("cancelled"));
}

void Download::finish(Outcome outcome, const QString &error)
{
    finished_ = true;
    outcome_ = outcome;
    error_ = error;
    digest_ = hash_.result();
    if (toFile_)
        file_.close();
    if (reply_) {
        QNetworkReply *r = reply_;
        reply_ = nullptr;
        r->disconnect(this);
        if (r->isRunning())
            r->abort();
        r->deleteLater();
    }
    QMetaObject::invokeMethod(this, &Download::finished, Qt::QueuedConnection);
}

} // namespace pw
