#pragma once
// tallysim on a pseudo-terminal, registered as COMn in the current
// TALLYLINE_ROOT, with a transcript of what it received.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SimDevice {
public:
    // product: "56k", "56k-i", "isdnta", "idsl"; extra: more tallysim switches.
    SimDevice(const QString &product, int comNumber, const QStringList &extra = {});
    ~SimDevice();

    bool started() const { return !ptyPath_.isEmpty(); }
    QString ptyPath() const { return ptyPath_; }
    int comNumber() const { return com_; }

    // Command lines the device received, control characters as "\r" etc.
    QStringList commands() const;
    // The whole transcript.
    QString transcript() const;
    // Ends the emulator now (the device is gone for good).
    void kill();

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString ptyPath_;
    int com_;
};
