#pragma once
// The firmware updater: pick an image file, check it against the device,
// put the device in download mode ("AT~D"), send the image by Xmodem through
// the host's protocol component, and see the device restart with the new
// firmware. A device restarts by itself once the image is written; the host
// waits that reset out and hands the port back (_USBResetReceived). One that
// stays up (it answers "OK", or nothing) is restarted with "at~x!", whose reset
// the host passes to us, and we wait for its port ourselves. The new firmware
// date is confirmed by "ati7".

#include "companionform.h"
#include "firmwareimage.h"

#include <QByteArray>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class ScaledTimer;
class TApdComPort;
class TApdProtocol;

namespace companions { class DeviceLink; }

class TSprocketForm : public companions::CompanionForm {
    Q_OBJECT
public:
    enum class Stage {
        Idle,              // nothing running
        Identifying,       // reading the device's identity
        EnteringDownload,  // "AT~D" sent
        Sending,           // Xmodem running
        Writing,           // image sent; the device writes it and restarts by itself
        Restarting,        // "at~x!" sent; waiting for the device to leave
        Reconnecting,      // waiting for the port to come back ourselves
        WaitingForHost,    // the host waits out the reset and hands the port back
        Confirming,        // "ati7" for the new firmware date
    };
    // Ticks: the device's own restart, the restart after "at~x!", the host's reopen.
    static constexpr int kSelfRestartTicks = 182;
    static constexpr int kRestartTicks = 182;
    static constexpr int kHostReopenTicks = 2184;

    explicit TSprocketForm(QWidget *host);

    void initialize(TApdComPort *port, TApdProtocol *protocol, const QString &deviceName);
    void showForm(bool show);
    bool updateInProgress() const;
    QByteArray lastCommand() const;
    Stage stage() const { return stage_; }

    void portDataAvailable();
    void portTriggerData(int handle);
    void protocolStatus(int options);
    void protocolError(int code);
    void protocolFinish(int code);
    void usbResetReceived();

    QLabel *ProductValue;
    QLabel *FirmwareDateValue;
    QLineEdit *FileNameEdit;
    QPushButton *BrowseBtn;
    QLabel *ImageValue;
    QPushButton *UpdateBtn;
    QPushButton *CancelBtn;
    QProgressBar *ProgressBar;
    QLabel *StatusLabel;

protected:
    QString caption() const override;

private:
    void BrowseBtnClick();
    void UpdateBtnClick();
    void CancelBtnClick();

    void identify();
    void showImage();
    void setStage(Stage stage);
    void startDownload();
    void dataReceived(const QByteArray &data);
    void deviceLeft();
    void stageTimeout();
    void sendRestart();
    void reconnect();
    void confirm();
    void finishUpdate(bool ok, const char *source, const QStringList &args = {});
    void updateButtons();

    companions::DeviceLink *link_;
    QPointer<TApdProtocol> protocol_;
    ScaledTimer *stageTimer_;
    Stage stage_ = Stage::Idle;
    QString selectedDeviceName;
    QString deviceCode_;
    QString deviceName_;
    sprocket::FirmwareImage image_;
    QByteArray tail_;            // end of the data seen, for a message split over reads
    int protocolErrorCode_ = 0;
    bool bShown = false;
    bool bIdentifyPending = false;
};
