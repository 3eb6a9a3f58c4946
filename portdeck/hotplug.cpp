// Devices plugged in or removed while the device list is shown: the list is
// brought up to date by a detection pass of its own.

#include "containerframe.h"
#include "serialportwatcher.h"
#include "tapidevice.h"
#include "widgets.h"

#include "clock.h"

#include <QApplication>
#include <QStackedWidget>
#include <QThread>

namespace {

// A USB device makes its node, then its by-id link, over about a second; a
// pass started on the first sign could probe a port not ready to answer.
constexpr int kSettleMs = 1500;
// While the list is not idle (a tool open, a box up, a pass running) the
// change is looked at again this often; the look itself waits until then.
constexpr int kRetryMs = 1000;

} // namespace

void TcontainerFrame::setUpHotplug()
{
    portWatcher = new tl::SerialPortWatcher(this);
    portSettleTimer = new ScaledTimer(this, kSettleMs);
    portSettleTimer->setSingleShot(true);
    connect(portWatcher, &tl::SerialPortWatcher::mayHaveChanged, this, &TcontainerFrame::portsMayHaveChanged);
    connect(portSettleTimer, &ScaledTimer::timeout, this, &TcontainerFrame::portSettleTimerTimer);
}

void TcontainerFrame::portsMayHaveChanged()
{
    if (appTerminated)
        return;
    portChangePending = true;
    portSettleTimer->setInterval(kSettleMs);
    portSettleTimer->setEnabled(true);   // restarts: the change must settle first
}

QString TcontainerFrame::currentPortsSignature()
{
    QString signature;
    const QMap<int, QString> ports = portWatcher ? portWatcher->look() : QMap<int, QString>();
    for (auto it = ports.cbegin(); it != ports.cend(); ++it)
        signature += QStringLiteral("COM%1=%2\n").arg(it.key()).arg(it.value());
    if (bTapiMode)
        signature += ApdTapiDevice1->tapiDevices().join(QLatin1Char('\n'));
    return signature;
}

// The device list is on screen and nothing is in progress: no tool or
// product screen, no detection pass, no box or wait of any handler, no exit.
bool TcontainerFrame::showsIdleDeviceList() const
{
    return !appTerminated && !bExitButtonClicked && !exitPending() && !closing_ && isVisible()
        && OptionsPageControl->currentWidget() == ModemSheet && control == QLatin1String("None")
        && !bModemDetectMode && !bPatchwellWaitRunning && !bPortWait && detectBtn->isVisible()
        && detectBtn->isEnabled() && !TimerAtOpen->isEnabled() && !QApplication::activeModalWidget()
        && !QApplication::activePopupWidget() && QThread::currentThread()->loopLevel() <= mainLoopLevel;
}

void TcontainerFrame::portSettleTimerTimer()
{
    if (!portChangePending || appTerminated)
        return;
    if (!showsIdleDeviceList()) {
        portSettleTimer->setInterval(kRetryMs);
        portSettleTimer->setEnabled(true);
        return;
    }
    portChangePending = false;
    if (currentPortsSignature() == portsAtLastPass)
        return;
    log("Serial ports changed: detecting again\n");
    detectBtnClick();
}
