#pragma once
// One command at a time on the host's serial port: raise DTR, send, collect
// the answer up to "OK" or "ERROR", with a yielding wait bounded in ticks.
//
// The host lends its port and forwards the port's data-available events to
// some libraries; a library also listens itself while it works (a host that
// routes the events elsewhere must not leave it deaf). Either way the handler
// takes what is buffered, so a chunk is never read twice.
//
// Several libraries share the one port, and a library's wait may still be on
// the stack when another one's form is shown. So the port is held from a
// command's sending until its answer is complete (marked on the port object,
// which every library sees); a command of another library waits for that, and
// a link whose answer is complete takes nothing more.

#include <QByteArray>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include "serialport.h"

namespace companions {

struct Reply {
    enum Result { Ok, Error, NoAnswer, PortClosed, Busy };
    Result result = NoAnswer;
    QString text;       // answerBody(): without echo and result line
    QByteArray raw;     // everything received while waiting
    bool ok() const { return result == Ok; }
};

class DeviceLink : public QObject {
    Q_OBJECT
public:
    explicit DeviceLink(QObject *parent = nullptr);
    ~DeviceLink() override;

    void setPort(TApdComPort *port);
    TApdComPort *port() const { return port_; }
    bool portOpen() const;

    // Listen to the port's data-available event directly.
    void setListening(bool on);
    bool listening() const { return listening_; }

    // Takes everything buffered at the port (the data-available handler).
    void takeAvailable();

    // How long a device may take to finish an answer: about 5 s, enough for
    // the longest report at the slowest line speed.
    static constexpr int kAnswerTicks = 91;

    // Sends and waits; the form may be gone when this returns (check a guard).
    Reply command(const QByteArray &text, int timeoutTicks = kAnswerTicks);
    // Sends without waiting for an answer; false when the port is closed.
    bool send(const QByteArray &text);
    bool busy() const { return waiting_; }

    // The last command sent (as sent, with its carriage return).
    QByteArray lastCommand() const { return lastCommand_; }

signals:
    // Every chunk taken from the port, as received.
    void received(const QByteArray &data);

private:
    bool heldByOther() const;
    void hold(bool on);

    QPointer<TApdComPort> port_;
    QMetaObject::Connection availConnection_;
    QMetaObject::Connection closedConnection_;
    bool listening_ = false;
    bool waiting_ = false;
    bool answered_ = false;
    bool portGone_ = false;
    QByteArray collected_;
    QByteArray lastCommand_;
};

} // namespace companions
