#include "registration.h"

#include <registry.h>

#include <QString>

namespace sim {

namespace {
const QString kSerialComm = QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM");
const QString kModemClass = QStringLiteral("System\\CurrentControlSet\\Services\\Class\\Modem");

QString q(const std::string &s) { return QString::fromStdString(s); }
} // namespace

bool Registration::registerPort(const std::string &portName, int com, const std::string &tapiName, std::string &error)
{
    const QString comText = QStringLiteral("COM%1").arg(com);
    if (!reg::writeString(RegRoot::LocalMachine, kSerialComm, q(portName), comText)) {
        error = "cannot write the registry store";
        return false;
    }
    portName_ = portName;
    com_ = com;
    if (tapiName.empty())
        return true;
    // The first free four-digit subkey; another emulator may race us for it, so
    // the key is claimed by creating it and checked by reading our name back.
    for (int n = 0; n < 10000; ++n) {
        QString key = kModemClass + QStringLiteral("\\%1").arg(n, 4, 10, QLatin1Char('0'));
        if (reg::keyExists(RegRoot::LocalMachine, key))
            continue;
        reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("DriverDesc"), q(tapiName));
        reg::writeString(RegRoot::LocalMachine, key, QStringLiteral("AttachedTo"), comText);
        if (reg::readString(RegRoot::LocalMachine, key, QStringLiteral("DriverDesc")).value_or(QString()) != q(tapiName))
            continue;
        modemKey_ = key.toStdString();
        return true;
    }
    error = "no free modem class key";
    return false;
}

void Registration::movePort(const std::string &portName, int com)
{
    if (portName_.empty())
        return;
    const bool renumbered = com > 0 && com != com_;
    if (portName == portName_ && !renumbered)
        return;
    if (renumbered)
        com_ = com;
    const QString comText = QStringLiteral("COM%1").arg(com_);
    if (portName != portName_)
        reg::deleteValue(RegRoot::LocalMachine, kSerialComm, q(portName_));
    reg::writeString(RegRoot::LocalMachine, kSerialComm, q(portName), comText);
    portName_ = portName;
    if (renumbered && !modemKey_.empty())
        reg::writeString(RegRoot::LocalMachine, q(modemKey_), QStringLiteral("AttachedTo"), comText);
}

void Registration::unregisterAll()
{
    if (!portName_.empty())
        reg::deleteValue(RegRoot::LocalMachine, kSerialComm, q(portName_));
    if (!modemKey_.empty())
        reg::deleteKey(RegRoot::LocalMachine, q(modemKey_));
    portName_.clear();
    modemKey_.clear();
}

} // namespace sim
