#include "windowmessages.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

QEvent::Type WindowMessageEvent::eventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

WindowMessageEvent::WindowMessageEvent(quint32 msg, qintptr wParam, qintptr lParam)
    : QEvent(eventType()), msg_(msg), wParam_(wParam), lParam_(lParam)
{
}

bool PostMessage(QObject *window, quint32 msg, qintptr wParam, qintptr lParam)
{
    if (!window)
        return false;
    QCoreApplication::postEvent(window, new WindowMessageEvent(msg, wParam, lParam));
    return true;
}

qintptr SendMessage(QObject *window, quint32 msg, qintptr wParam, qintptr lParam)
{
    if (!window)
        return 0;
    WindowMessageEvent event(msg, wParam, lParam);
    if (window->thread() == QThread::currentThread()) {
        QCoreApplication::sendEvent(window, &event);
    } else {
        // Sent from another thread: the receiver handles it on its own thread
        // while the sender waits, as a sent message does.
        QMetaObject::invokeMethod(window, [&] { QCoreApplication::sendEvent(window, &event); },
                                  Qt::BlockingQueuedConnection);
    }
    return event.result;
}
