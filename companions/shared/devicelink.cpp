#include "devicelink.h"

#include "clock.h"
#include "deviceanswers.h"
#include "serialport.h"

#include <QVariant>

namespace companions {

namespace {
// The port's property naming the link whose command is being answered.
const char *const kHolderProperty = "companionCommandHolder";
} // namespace

DeviceLink::DeviceLink(QObject *parent) : QObject(parent) {}

DeviceLink::~DeviceLink()
{
    hold(false);
    disconnect(availConnection_);
    disconnect(closedConnection_);
}

bool DeviceLink::heldByOther() const
{
    if (!port_)
        return false;
    const quintptr holder = port_->property(kHolderProperty).value<quintptr>();
    return holder != 0 && holder != quintptr(this);
}

void DeviceLink::hold(bool on)
{
    if (!port_)
        return;
    const quintptr holder = port_->property(kHolderProperty).value<quintptr>();
    if (on)
        port_->setProperty(kHolderProperty, QVariant::fromValue(quintptr(this)));
    else if (holder == quintptr(this))
        port_->setProperty(kHolderProperty, QVariant());
}

void DeviceLink::setPort(TApdComPort *port)
{
    if (port == port_)
        return;
    hold(false);
    const bool wasListening = listening_;
    setListening(false);
    disconnect(closedConnection_);
    port_ = port;
    if (port_)
        closedConnection_ = connect(port_, &TApdComPort::portClosed, this, [this] { portGone_ = true; });
    setListening(wasListening);
}

bool DeviceLink::portOpen() const { return port_ && port_->isOpen(); }

void DeviceLink::setListening(bool on)
{
    if (on == listening_ && (!on || availConnection_))
        return;
    disconnect(availConnection_);
    availConnection_ = {};
    listening_ = on;
    if (on && port_)
        availConnection_ = connect(port_, &TApdComPort::triggerAvail, this, [this](int) { takeAvailable(); });
}

void DeviceLink::takeAvailable()
{
    if (!port_ || port_->charReady() <= 0)
        return;
    // Another library's command is being answered: the data is its own. And
    // once our answer is complete while our wait is still on the stack, what
    // follows is another command's.
    if (heldByOther() || (waiting_ && answered_))
        return;
    const QByteArray data = port_->getBlock(port_->charReady());
    if (waiting_) {
        collected_ += data;
        if (findFinalResult(collected_) != FinalResult::None) {
            answered_ = true;
            hold(false);
        }
    }
    emit received(data);
}

bool DeviceLink::send(const QByteArray &text)
{
    if (!portOpen())
        return false;
    try {
        port_->setDTR(true);
        port_->putString(text);
    } catch (const EApdPortError &) {
        return false;
    }
    lastCommand_ = text;
    return true;
}

Reply DeviceLink::command(const QByteArray &text, int timeoutTicks)
{
    Reply reply;
    if (waiting_) {
        reply.result = Reply::Busy;
        return reply;
    }
    QPointer<DeviceLink> self(this);
    if (heldByOther()) {
        // Another library's command is still being answered: its answer is
        // its own. Bounded, for a device that never finishes it.
        tl::waitUntil([&] { return !self || !heldByOther(); }, tl::ticksToUnscaledMs(timeoutTicks), true);
        if (!self) {
            reply.result = Reply::PortClosed;
            return reply;
        }
    }
    // Whatever came before belongs to no command of ours.
    takeAvailable();
    collected_.clear();
    portGone_ = false;
    answered_ = false;
    waiting_ = true;
    hold(true);
    // The answer is ours to take, whoever else the host forwards the port's events to.
    const bool wasListening = listening_;
    setListening(true);
    if (!send(text)) {
        waiting_ = false;
        hold(false);
        setListening(wasListening);
        reply.result = Reply::PortClosed;
        return reply;
    }

    tl::waitUntil(
        [&] {
            return !self || portGone_ || !port_ || findFinalResult(collected_) != FinalResult::None;
        },
        tl::ticksToUnscaledMs(timeoutTicks), true);
    if (!self) {
        reply.result = Reply::PortClosed;
        return reply;
    }
    takeAvailable();
    waiting_ = false;
    hold(false);
    setListening(wasListening);
    reply.raw = collected_;
    switch (findFinalResult(collected_)) {
    case FinalResult::Ok:
        reply.result = Reply::Ok;
        break;
    case FinalResult::Error:
        reply.result = Reply::Error;
        break;
    case FinalResult::None:
        reply.result = (portGone_ || !portOpen()) ? Reply::PortClosed : Reply::NoAnswer;
        break;
    }
    reply.text = answerBody(collected_, text);
    collected_.clear();
    return reply;
}

} // namespace companions
