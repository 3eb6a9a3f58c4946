// The firmware updater's download run, from "AT~D" to the confirmed new date.
#include "sprocketform.h"

#include "clock.h"
#include "comports.h"
#include "deviceanswers.h"
#include "devicelink.h"
#include "protocol.h"
#include "serialport.h"
#include "uiservices.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

using companions::Reply;
using Stage = TSprocketForm::Stage;

namespace {
const QByteArray kResetMessage = "Close this App";

const char *protocolProblem(int code)
{
    switch (code) {
    case ecTimeout:
        return "The device stopped answering.";
    case ecTooManyErrors:
        return "Too many transmission errors.";
    case ecCancelRequested:
        return "The download was cancelled.";
    case ecRemoteCancel:
        return "The device cancelled the download.";
    case ecFileError:
        return "The firmware file could not be read.";
    case ecPortClosed:
        return "The port was closed.";
    default:
        return "The transfer failed.";
    }
}
} // namespace

void TSprocketForm::setStage(Stage stage)
{
    stage_ = stage;
    stageTimer_->setEnabled(false);
    // While an update runs we read the port ourselves, wherever the host routes its events.
    link_->setListening(updateInProgress());
    updateButtons();
}

void TSprocketForm::UpdateBtnClick()
{
    if (stage_ != Stage::Idle || !image_.ok() || image_.productCode != deviceCode_)
        return;
    QPointer<TSprocketForm> guard(this);
    const int answer = message(text("Load the firmware dated %s into the device now? Do not switch the device off "
                                    "or unplug it until the update is complete.",
                                    {image_.date}),
                               MB_YESNO, MB_ICONQUESTION);
    // A form hidden while the question was up (Back, another tool) starts
    // nothing: its screen is gone and the host no longer routes its events.
    if (!guard || !bShown || answer != IDYES)
        return;
    startDownload();
}

void TSprocketForm::startDownload()
{
    QPointer<TSprocketForm> guard(this);
    // Checked again: the file may have changed since it was chosen.
    const sprocket::FirmwareImage again = sprocket::inspectImage(image_.path);
    if (!again.ok() || again.productCode != deviceCode_) {
        image_ = again;
        showImage();
        message(text("The firmware file has changed and is no longer suitable for this device."), MB_OK,
                MB_ICONWARNING);
        return;
    }
    if (!protocol_) {
        setStatus(StatusLabel, "No file transfer is available.");
        return;
    }
    ProgressBar->setValue(0);
    protocolErrorCode_ = 0;
    tail_.clear();
    setStage(Stage::EnteringDownload);
    setStatus(StatusLabel, "Putting the device in download mode...");
    const Reply reply = link_->command("AT~D\r");
    if (!guard)
        return;
    if (!reply.ok()) {
        finishUpdate(false, "The device did not enter download mode.");
        return;
    }

    if (!protocol_->comPort())
        protocol_->setComPort(link_->port());
    protocol_->setFileName(image_.path);
    setStage(Stage::Sending);
    setStatus(StatusLabel, "Sending the firmware...");
    protocol_->startTransmit();
}

void TSprocketForm::CancelBtnClick()
{
    if (stage_ == Stage::Sending && protocol_)
        protocol_->cancelProtocol();
}

void TSprocketForm::protocolStatus(int)
{
    if (stage_ != Stage::Sending || !protocol_)
        return;
    const qint64 length = protocol_->fileLength();
    if (length > 0)
        ProgressBar->setValue(int(qBound(qint64(0), protocol_->bytesTransferred() * 100 / length, qint64(100))));
}

void TSprocketForm::protocolError(int code)
{
    if (stage_ == Stage::Sending)
        protocolErrorCode_ = code;
}

void TSprocketForm::protocolFinish(int code)
{
    if (stage_ != Stage::Sending)
        return;
    if (code != ecOK) {
        finishUpdate(false, "The firmware download failed: %s",
                     {text(protocolProblem(code != 0 ? code : protocolErrorCode_))});
        return;
    }
    ProgressBar->setValue(100);
    setStage(Stage::Writing);
    setStatus(StatusLabel, "The device is writing the new firmware and restarts. Please wait...");
    stageTimer_->setInterval(tl::ticksToUnscaledMs(kSelfRestartTicks));
    stageTimer_->setEnabled(true);
}

void TSprocketForm::portDataAvailable() { link_->takeAvailable(); }

void TSprocketForm::dataReceived(const QByteArray &data)
{
    if (stage_ != Stage::Writing && stage_ != Stage::Restarting)
        return;
    tail_ = (tail_ + data).right(256);
    if (tail_.contains(kResetMessage)) {
        tail_.clear();
        // Out of the port's event first: leaving may close the port.
        QTimer::singleShot(0, this, &TSprocketForm::deviceLeft);
        return;
    }
    if (stage_ != Stage::Writing)
        return;
    switch (companions::findFinalResult(tail_)) {
    case companions::FinalResult::Error:
        finishUpdate(false, "The device refused the firmware image.");
        break;
    case companions::FinalResult::Ok:
        // Written, and the device stays up: restart it now rather than after the wait.
        tail_.clear();
        QTimer::singleShot(0, this, [this] {
            if (stage_ == Stage::Writing)
                sendRestart();
        });
        break;
    default:
        break;
    }
}

void TSprocketForm::portTriggerData(int)
{
    // The host passes us the device's reset message when our "at~x!" caused it.
    if (stage_ == Stage::Restarting)
        QTimer::singleShot(0, this, &TSprocketForm::deviceLeft);
}

void TSprocketForm::deviceLeft()
{
    if (stage_ == Stage::Writing) {
        // Not caused by a command of ours: the host waits it out and reopens.
        setStage(Stage::WaitingForHost);
        setStatus(StatusLabel, "The device restarts. Please wait...");
        stageTimer_->setInterval(tl::ticksToUnscaledMs(kHostReopenTicks));
        stageTimer_->setEnabled(true);
    } else if (stage_ == Stage::Restarting) {
        reconnect();
    }
}

void TSprocketForm::usbResetReceived()
{
    // The host has the port open again. Late news still counts when we gave up.
    if (stage_ == Stage::Writing || stage_ == Stage::WaitingForHost || stage_ == Stage::Restarting)
        QTimer::singleShot(0, this, &TSprocketForm::confirm);
}

void TSprocketForm::stageTimeout()
{
    switch (stage_) {
    case Stage::Writing:
        if (!link_->portOpen()) {
            // The host has taken the port to wait out a reset we did not see.
            deviceLeft();
            break;
        }
        // The device did not restart on its own.
        sendRestart();
        break;
    case Stage::Restarting:
        // It restarted without leaving the bus, or not at all: ask it.
        confirm();
        break;
    case Stage::WaitingForHost:
        if (link_->portOpen())
            confirm();
        else
            finishUpdate(false, "The device did not come back after the update. Check its connection; the new "
                                "firmware date shows once the device answers again.");
        break;
    default:
        break;
    }
}

void TSprocketForm::sendRestart()
{
    setStage(Stage::Restarting);
    setStatus(StatusLabel, "Restarting the device...");
    if (!link_->send("at~x!\r")) {
        finishUpdate(false, "The device's port is not open.");
        return;
    }
    stageTimer_->setInterval(tl::ticksToUnscaledMs(kRestartTicks));
    stageTimer_->setEnabled(true);
}

void TSprocketForm::reconnect()
{
    TApdComPort *port = link_->port();
    if (!port) {
        finishUpdate(false, "The device's port is not open.");
        return;
    }
    QPointer<TSprocketForm> guard(this);
    setStage(Stage::Reconnecting);
    setStatus(StatusLabel, "The device restarts. Please wait...");
    port->close();
    // Wait for the port to leave and come back: 30 looks, one a second, then 3 s more.
    bool previous = true;
    for (int look = 0; look < 30; ++look) {
        DelayTicks(18);
        if (!guard)
            return;
        const bool now = IsPortAvailable(port->comNumber());
        if (!previous && now) {
            DelayTicks(54);
            if (!guard)
                return;
            break;
        }
        previous = now;
    }
    try {
        port->open();
    } catch (const EApdPortError &) {
    }
    if (!port->isOpen()) {
        finishUpdate(false, "The device did not come back after the update. Check its connection; the new "
                            "firmware date shows once the device answers again.");
        return;
    }
    confirm();
}

void TSprocketForm::confirm()
{
    if (stage_ == Stage::Confirming || stage_ == Stage::Idle || stage_ == Stage::Identifying)
        return;
    QPointer<TSprocketForm> guard(this);
    setStage(Stage::Confirming);
    setStatus(StatusLabel, "Checking the new firmware...");
    companions::DeviceIdentity id;
    // A device that has just come back may miss the first request.
    for (int attempt = 0; attempt < 3 && !id.valid(); ++attempt) {
        if (attempt > 0) {
            DelayTicks(18);
            if (!guard)
                return;
        }
        const Reply reply = link_->command("ati7\r");
        if (!guard)
            return;
        if (reply.ok())
            id = companions::parseIdentity(reply.text);
    }
    if (!id.valid()) {
        finishUpdate(false, "The device does not answer after the update.");
        return;
    }
    FirmwareDateValue->setText(id.firmwareDate);
    if (id.firmwareDate != image_.date) {
        finishUpdate(false, "The device reports firmware date %s instead of %s. The update did not take effect.",
                     {id.firmwareDate, image_.date});
        return;
    }
    finishUpdate(true, "The firmware was updated. The device now reports firmware date %s.", {id.firmwareDate});
}

void TSprocketForm::finishUpdate(bool ok, const char *source, const QStringList &args)
{
    setStage(Stage::Idle);
    setStatus(StatusLabel, source, args);
    if (!ok)
        ProgressBar->setValue(0);
    message(text(source, args), MB_OK, ok ? MB_ICONINFORMATION : MB_ICONWARNING);
}
