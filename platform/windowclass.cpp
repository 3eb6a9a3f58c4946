#include "windowclass.h"

#include "clock.h"
#include "paths.h"
#include "singleinstance.h"
#include "windowmessages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QElapsedTimer>
#include <QThread>

namespace {

QString mutexName(const QString &className)
{
    return QStringLiteral("windowclass-") + className;
}

// A socket path must stay short; a long root gets a name in the temporary folder.
QString socketName(const QString &className)
{
    const QString dir = tl::tallylineRoot() + QStringLiteral("/locks");
    QDir().mkpath(dir);
    const QString full = dir + QLatin1Char('/') + className + QStringLiteral(".sock");
    if (full.toUtf8().size() < 100)
        return full;
    const QByteArray hash = QCryptographicHash::hash(full.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir::tempPath() + QStringLiteral("/tallyline-") + QString::fromLatin1(hash) + QStringLiteral(".sock");
}

} // namespace

WindowClassRegistration::WindowClassRegistration(QObject *parent) : QObject(parent) {}

WindowClassRegistration::~WindowClassRegistration()
{
    unregisterClass();
}

bool WindowClassRegistration::registerClass(const QString &className)
{
    if (server_)
        return true;
    auto lock = std::make_unique<NamedMutex>(mutexName(className));
    if (!lock->create())
        return false;
    const QString name = socketName(className);
    QLocalServer::removeServer(name);   // left by a program that died
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        delete server;
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, &WindowClassRegistration::readClient);
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    lock_ = std::move(lock);
    server_ = server;
    className_ = className;
    return true;
}

void WindowClassRegistration::unregisterClass()
{
    if (!server_)
        return;
    server_->close();
    delete server_;
    server_ = nullptr;
    lock_.reset();
}

void WindowClassRegistration::readClient()
{
    auto *s = qobject_cast<QLocalSocket *>(sender());
    if (!s)
        return;
    while (s->canReadLine()) {
        const QList<QByteArray> parts = s->readLine().trimmed().split(' ');
        bool ok1 = false, ok2 = false, ok3 = false;
        const quint32 msg = parts.value(0).toUInt(&ok1);
        const qintptr wParam = parts.value(1).toLongLong(&ok2);
        const qintptr lParam = parts.value(2).toLongLong(&ok3);
        if (parts.size() != 3 || !ok1 || !ok2 || !ok3)
            continue;   // not a message: ignored
        if (window_)
            PostMessage(window_, msg, wParam, lParam);
    }
}

bool FindWindowClass(const QString &className)
{
    return NamedMutex::exists(mutexName(className));
}

bool SendMessageToClass(const QString &className, quint32 msg, qintptr wParam, qintptr lParam, int timeoutMs)
{
    QLocalSocket socket;
    const int ms = qMax(100, tl::scaledMs(timeoutMs));
    // The registering program may still be starting: try for a while.
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        socket.connectToServer(socketName(className));
        if (socket.waitForConnected(qMax<int>(50, ms - int(clock.elapsed()))))
            break;
        if (clock.elapsed() >= ms)
            return false;
        QThread::msleep(20);
    }
    socket.write(QByteArray::number(msg) + ' ' + QByteArray::number(qlonglong(wParam)) + ' '
                 + QByteArray::number(qlonglong(lParam)) + '\n');
    // Posted, as the receiver may be this very program: no answer is awaited.
    return socket.waitForBytesWritten(qMax<int>(50, ms - int(clock.elapsed())));
}
