#include "hostharness.h"

#include "clock.h"
#include "comports.h"
#include "windowmessages.h"

#include <QCoreApplication>

HostWindow::HostWindow()
{
    resize(700, 420);
    sheet = new QWidget(this);
    sheet->setObjectName(QStringLiteral("DefaultSheet"));
    sheet->setGeometry(170, 40, 520, 350);
}

int HostWindow::count(quint32 message) const
{
    int n = 0;
    for (const PostedMessage &m : messages)
        n += m.message == message ? 1 : 0;
    return n;
}

bool HostWindow::event(QEvent *e)
{
    if (e->type() == WindowMessageEvent::eventType()) {
        auto *m = static_cast<WindowMessageEvent *>(e);
        const PostedMessage posted{m->message(), m->wParam(), m->lParam()};
        messages.append(posted);
        if (onMessage)
            onMessage(posted);
        return true;
    }
    return QWidget::event(e);
}

HostHarness::HostHarness(int comNumber)
{
    port.setComNumber(comNumber);
    port.setBaud(57600);
    // The host's file-transfer settings.
    protocol.setComPort(&port);
    protocol.setProtocolType(ProtocolType::ptXmodem);
    protocol.setHandshakeWait(1092);
    protocol.setStatusInterval(10);
    window.show();

    QObject::connect(&port, &TApdComPort::triggerAvail, &window, [this](int count) {
        if (triggerAvail)
            triggerAvail(&port, static_cast<unsigned short>(count));
    });
    QObject::connect(&port, &TApdComPort::triggerData, &window, [this](int handle) {
        char buffer[productlibs::kLastCommandBufferSize];
        buffer[0] = 0;
        if (lastComportCmd)
            lastComportCmd(buffer);
        lastCommandsSeen << QString::fromLatin1(buffer);
        if (handle == usbResetTrigger && !QByteArray(buffer).contains("at~x!")) {
            if (beforePowerCycle)
                beforePowerCycle();
            waitThroughPowerCycle();
            return;
        }
        if (triggerData)
            triggerData(&port, handle);
    });
    QObject::connect(&protocol, &TApdProtocol::protocolStatus, &window, [this](int options) {
        if (protocolStatus)
            protocolStatus(&protocol, options);
    });
    QObject::connect(&protocol, &TApdProtocol::protocolError, &window, [this](int code) {
        protocolErrors << code;
        if (protocolError)
            protocolError(&protocol, code);
    });
    QObject::connect(&protocol, &TApdProtocol::protocolFinish, &window, [this](int code) {
        protocolFinishes << code;
        if (protocolFinish)
            protocolFinish(&protocol, code);
    });
}

HostHarness::~HostHarness()
{
    if (protocol.inProgress())
        protocol.cancelProtocol();
    port.close();
}

bool HostHarness::openPort()
{
    try {
        port.open();
    } catch (const EApdPortError &) {
        return false;
    }
    return port.isOpen();
}

void HostHarness::addUsbResetTrigger()
{
    if (usbResetTrigger == 0)
        usbResetTrigger = port.addDataTrigger("Close this App");
}

bool HostHarness::waitThroughPowerCycle()
{
    ++usbResets;
    port.close();
    bool previous = true;
    for (int loop = 0; loop < 30; ++loop) {
        DelayTicks(18);
        const bool now = IsPortAvailable(port.comNumber());
        if (!previous && now) {
            DelayTicks(54);
            break;
        }
        previous = now;
    }
    if (!openPort()) {
        ++reopenFailures;
        return false;
    }
    if (usbResetReceived)
        usbResetReceived();
    return true;
}
