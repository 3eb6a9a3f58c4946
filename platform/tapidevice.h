#pragma once
// TAPI device: the device list is the modem class keys of the registry store
// (HKLM System\CurrentControlSet\Services\Class\Modem\NNNN with DriverDesc and
// AttachedTo, and the NT layout SYSTEM\CurrentControlSet\Control\Class\{...}\NNNN
// with FriendlyName and AttachedTo). Opening a device opens the bound serial
// port on the device's COM number. Events come asynchronously on the GUI thread.

#include <QObject>
#include <QString>
#include <QStringList>

class TApdComPort;

class TApdTapiDevice : public QObject {
    Q_OBJECT
public:
    explicit TApdTapiDevice(QObject *parent = nullptr);
    void setComPort(TApdComPort *port);
    TApdComPort *comPort() const;
    void setEnableVoice(bool on);

    QStringList tapiDevices() const;               // names, registry order
    void setSelectedDevice(const QString &name);   // "" selects none
    QString selectedDevice() const;

    // Opens the selected device's port; tapiPortOpen or tapiFail follows
    // asynchronously. Throws EApdPortError when no device is selected.
    void configAndOpen();
    // Ends the call. True when it completed at once (nothing was open or
    // opening); otherwise the port is closed and tapiPortClose follows.
    bool cancelCall();
    // COM number of the selected device (0 when unknown).
    int comNumber() const;
    // COM number of a named device from the registry (0 when unknown).
    static int comNumberOf(const QString &deviceName);

signals:
    void tapiPortOpen();
    void tapiPortClose();
    void tapiFail();

private:
    void finishOpen(unsigned attempt);
    void postClose();
    void onPortClosed();

    TApdComPort *port_ = nullptr;
    QString selected_;
    bool voice_ = false;
    int state_ = 0;   // see tapidevice.cpp
    unsigned attempt_ = 0;   // invalidates queued events of an earlier open
};
