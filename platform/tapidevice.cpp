#include "tapidevice.h"

#include "registry.h"
#include "serialport.h"

#include <QPointer>

namespace {

// The line's states.
enum State { Idle = 0, Opening = 1, Open = 2, Closing = 3 };

const char kModemClass9x[] = "System\\CurrentControlSet\\Services\\Class\\Modem";
const char kClassNT[] = "SYSTEM\\CurrentControlSet\\Control\\Class";

struct Entry {
    QString name;
    QString attachedTo;
};

QString text(const QString &key, const QString &value)
{
    return reg::readString(RegRoot::LocalMachine, key, value).value_or(QString());
}

// Every modem the registry knows, in registry order: the 9x layout first, then
// the NT layout (class keys, each with numbered device keys).
QList<Entry> modemEntries()
{
    QList<Entry> list;
    auto add = [&list](const QString &name, const QString &attachedTo) {
        if (name.isEmpty())
            return;
        for (const Entry &e : std::as_const(list)) {
            if (e.name == name)
                return;
        }
        list.append({name, attachedTo});
    };
    for (const QString &sub : reg::subKeys(RegRoot::LocalMachine, kModemClass9x)) {
        const QString key = QString::fromLatin1(kModemClass9x) + '\\' + sub;
        add(text(key, "DriverDesc"), text(key, "AttachedTo"));
    }
    for (const QString &cls : reg::subKeys(RegRoot::LocalMachine, kClassNT)) {
        const QString classKey = QString::fromLatin1(kClassNT) + '\\' + cls;
        for (const QString &sub : reg::subKeys(RegRoot::LocalMachine, classKey)) {
            const QString key = classKey + '\\' + sub;
            const QString attached = text(key, "AttachedTo");
            if (!attached.isEmpty())
                add(text(key, "FriendlyName"), attached);
        }
    }
    return list;
}

} // namespace

TApdTapiDevice::TApdTapiDevice(QObject *parent) : QObject(parent) {}

void TApdTapiDevice::setComPort(TApdComPort *port)
{
    if (port_ == port)
        return;
    if (port_)
        disconnect(port_, nullptr, this, nullptr);
    port_ = port;
    if (port_)
        connect(port_, &TApdComPort::portClosed, this, &TApdTapiDevice::onPortClosed);
}

TApdComPort *TApdTapiDevice::comPort() const { return port_; }
void TApdTapiDevice::setEnableVoice(bool on) { voice_ = on; }

QStringList TApdTapiDevice::tapiDevices() const
{
    QStringList names;
    for (const Entry &e : modemEntries())
        names.append(e.name);
    return names;
}

void TApdTapiDevice::setSelectedDevice(const QString &name) { selected_ = name; }
QString TApdTapiDevice::selectedDevice() const { return selected_; }

int TApdTapiDevice::comNumberOf(const QString &deviceName)
{
    for (const Entry &e : modemEntries()) {
        if (e.name != deviceName)
            continue;
        const QString t = e.attachedTo.trimmed();
        if (!t.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
            return 0;
        bool ok = false;
        const int n = t.mid(3).toInt(&ok);
        return ok && n > 0 ? n : 0;
    }
    return 0;
}

int TApdTapiDevice::comNumber() const { return selected_.isEmpty() ? 0 : comNumberOf(selected_); }

void TApdTapiDevice::configAndOpen()
{
    if (selected_.isEmpty())
        throw EApdPortError("No TAPI device selected");
    if (!port_)
        throw EApdPortError("No serial port bound to the TAPI device");
    if (state_ == Open || state_ == Opening)
        return;
    state_ = Opening;
    const unsigned attempt = ++attempt_;
    // The line comes up after the caller has returned, as a telephony line does.
    QMetaObject::invokeMethod(this, [this, attempt] { finishOpen(attempt); }, Qt::QueuedConnection);
}

void TApdTapiDevice::finishOpen(unsigned attempt)
{
    if (attempt != attempt_ || state_ != Opening)
        return;   // cancelled meanwhile
    const int n = comNumber();
    bool ok = n > 0 && port_;
    if (ok) {
        try {
            port_->close();
            port_->setComNumber(n);
            port_->open();
        } catch (const EApdPortError &) {
            ok = false;
        }
    }
    state_ = ok ? Open : Idle;
    if (ok)
        emit tapiPortOpen();
    else
        emit tapiFail();
}

bool TApdTapiDevice::cancelCall()
{
    switch (state_) {
    case Idle:
        return true;
    case Closing:
        return false;   // the close event is already on its way
    default:
        break;
    }
    // Opening or open: the pending open is void; the close is reported later.
    ++attempt_;
    state_ = Closing;
    if (port_)
        port_->close();
    postClose();
    return false;
}

void TApdTapiDevice::postClose()
{
    // Every close is reported, even when a new open was started meanwhile.
    QMetaObject::invokeMethod(this, [this] {
        if (state_ == Closing)
            state_ = Idle;
        emit tapiPortClose();
    }, Qt::QueuedConnection);
}

void TApdTapiDevice::onPortClosed()
{
    // The device went away under an open line: the line drops.
    if (state_ != Open)
        return;
    ++attempt_;
    state_ = Closing;
    postClose();
}
