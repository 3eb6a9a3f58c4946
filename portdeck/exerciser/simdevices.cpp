#include "simdevices.h"

#include "paths.h"

#include <QFile>
#include <csignal>

SimDevices::~SimDevices()
{
    stopAll();
}

bool SimDevices::add(const QString &product, int com, const QString &serial, const QString &tapiName,
                     const QStringList &extra)
{
    Device d;
    d.extra = extra;
    d.product = product;
    d.com = com;
    d.tapiName = tapiName;
    devices_.push_back(std::move(d));
    serials_ << serial;
    return start(devices_.back());
}

QString SimDevices::faultFile(const Device &d) const
{
    return root_ + QStringLiteral("/faults-COM%1.txt").arg(d.com);
}

QString SimDevices::serialOf(const Device &d) const
{
    for (size_t i = 0; i < devices_.size(); ++i)
        if (&devices_[i] == &d)
            return serials_.value(int(i));
    return {};
}

bool SimDevices::start(Device &d)
{
    QFile faults(faultFile(d));
    if (faults.open(QIODevice::WriteOnly | QIODevice::Truncate))
        faults.write(d.faults.toLatin1());
    faults.close();
    QStringList args{"--product", d.product, "--com", QString::number(d.com),
                     "--link", root_ + QStringLiteral("/ttyCOM%1").arg(d.com),
                     "--log", root_ + QStringLiteral("/COM%1.log").arg(d.com),
                     "--state", root_ + QStringLiteral("/COM%1.state").arg(d.com),
                     "--fault-file", faultFile(d)};
    const QString serial = serialOf(d);
    if (!serial.isEmpty())
        args << "--serial" << serial;
    if (!d.tapiName.isEmpty())
        args << "--tapi-name" << d.tapiName;
    if (!d.faults.isEmpty())
        args << "--fault" << d.faults;
    args << d.extra;
    d.process = std::make_unique<QProcess>();
    d.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    d.process->start(tl::programDirectory() + QStringLiteral("/tallysim"), args);
    return d.process->waitForReadyRead(10000);
}

void SimDevices::setFaults(int i, const QString &faults)
{
    Device &d = devices_[size_t(i)];
    d.faults = faults;
    QFile f(faultFile(d));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(faults.toLatin1());
    f.close();
    if (present(i))
        ::kill(pid_t(d.process->processId()), SIGUSR1);
}

void SimDevices::reset(int i)
{
    if (present(i))
        ::kill(pid_t(devices_[size_t(i)].process->processId()), SIGUSR2);
}

void SimDevices::vanish(int i)
{
    Device &d = devices_[size_t(i)];
    if (!present(i))
        return;
    d.process->terminate();
    if (!d.process->waitForFinished(5000))
        d.process->kill();
    d.process.reset();
}

bool SimDevices::present(int i) const
{
    const Device &d = devices_[size_t(i)];
    return d.process && d.process->state() == QProcess::Running;
}

bool SimDevices::comeBack(int i)
{
    if (present(i))
        return true;
    return start(devices_[size_t(i)]);
}

void SimDevices::stopAll()
{
    for (int i = 0; i < count(); ++i)
        vanish(i);
}

QString SimDevices::transcriptTail(int i, int bytes) const
{
    QFile f(root_ + QStringLiteral("/COM%1.log").arg(devices_[size_t(i)].com));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    if (f.size() > bytes)
        f.seek(f.size() - bytes);
    return QString::fromLatin1(f.readAll());
}
