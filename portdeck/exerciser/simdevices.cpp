#include "simdevices.h"

#include "paths.h"
#include "registry.h"

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
                     "--log", root_ + QStringLiteral("/COM%1.log").arg(d.com), "--log-times",
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

QString SimDevices::transcriptPath(int i) const
{
    return root_ + QStringLiteral("/COM%1.log").arg(devices_[size_t(i)].com);
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

QList<ExercisedDevice> SimDevices::startTypical(std::mt19937_64 &rng, bool &tapiMode,
                                                const std::function<void(const QString &)> &note)
{
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    tapiMode = pick(100) < 30;
    const struct { const char *product; const char *registryKey; const char *serial; const char *tapi; } kinds[] = {
        {"isdnta", "ISDN TA", "QB0001", "Varnel Brenmoor ISDN TA"},
        {"56k", "Business Modem", "TL0001", "Varnel Tallyline 56K Business Modem"},
        {"idsl", nullptr, "", "Varnel Lumora IDSL Modem"},
    };
    QList<ExercisedDevice> out;
    int com = 1;
    for (const auto &k : kinds) {
        if (k.product != kinds[0].product && pick(100) < 25)
            continue;
        if (k.registryKey)
            reg::writeString(RegRoot::LocalMachine,
                             QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\%1").arg(QLatin1String(k.registryKey)),
                             "Serial Number1", QLatin1String(k.serial));
        QStringList extra;
        if (k.product == kinds[0].product && pick(100) < 35)
            extra << QStringLiteral("--country") << QString::number(1 + pick(6));   // a European line
        const QString tapi = tapiMode ? QString::fromLatin1(k.tapi) : QString();
        if (!add(QLatin1String(k.product), com, QLatin1String(k.serial), tapi, extra))
            note(QStringLiteral("tallysim %1 did not start").arg(QLatin1String(k.product)));
        note(QStringLiteral("device %1 on COM%2%3 %4").arg(QLatin1String(k.product)).arg(com)
                 .arg(tapiMode ? QStringLiteral(" (TAPI)") : QString(), extra.join(QLatin1Char(' '))));
        out << ExercisedDevice{QLatin1String(k.product), com, transcriptPath(count() - 1)};
        com += 1 + pick(2);
    }
    return out;
}
