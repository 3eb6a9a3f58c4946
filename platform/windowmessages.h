#pragma once
// Window messages: a message number with two parameters, delivered to a
// window object as a WindowMessageEvent on the GUI thread. A window object
// receives them by overriding QObject::event (or customEvent).

#include <QEvent>
#include <QObject>
#include <QtGlobal>

constexpr quint32 WM_APP = 0x8000;

class WindowMessageEvent : public QEvent {
public:
    static QEvent::Type eventType();   // registered once
    WindowMessageEvent(quint32 msg, qintptr wParam, qintptr lParam);
    quint32 message() const { return msg_; }
    qintptr wParam() const { return wParam_; }
    qintptr lParam() const { return lParam_; }
    // Result of a sent message, set by the receiver.
    qintptr result = 0;
private:
    quint32 msg_;
    qintptr wParam_;
    qintptr lParam_;
};

// Queues the message; false when the window is null.
bool PostMessage(QObject *window, quint32 msg, qintptr wParam, qintptr lParam);
// Delivers the message at once and returns the receiver's result (0 for a null window).
qintptr SendMessage(QObject *window, quint32 msg, qintptr wParam, qintptr lParam);
