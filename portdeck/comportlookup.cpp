#include "comportlookup.h"

#include "registry.h"

namespace {

void say(const LookupLog &log, const char *format, const QString &text = {})
{
    if (log)
        log(format, text);
}

QString readValue(const QString &key, const QString &name)
{
    return reg::readString(RegRoot::LocalMachine, key, name).value_or(QString());
}

} // namespace

int comNumberFromText(const QString &text)
{
    bool ok = false;
    const QString rest = text.mid(3);
    const int n = rest.toInt(&ok, 10);
    return ok && n > 0 && !rest.contains(QLatin1Char(' ')) ? n : 0;
}

int GetComPort(const QString &name, const LookupLog &log)
{
    const QString modemClass = QStringLiteral("System\\CurrentControlSet\\Services\\Class\\Modem");
    say(log, "MatchString[%s]\n", name);
    int result = 0;
    for (const QString &sub : reg::subKeys(RegRoot::LocalMachine, modemClass)) {
        if (!sub.startsWith(QLatin1Char('0')))
            continue;
        const QString key = modemClass + QLatin1Char('\\') + sub;
        const QString attachedTo = readValue(key, QStringLiteral("AttachedTo"));
        const QString driverDesc = readValue(key, QStringLiteral("DriverDesc"));
        if (!attachedTo.isEmpty() && driverDesc == name) {
            say(log, "found in [%s]\n", sub);
            say(log, "strComPort=%s\n", attachedTo);
            say(log, "strDecDesc=[%s]\n", driverDesc);
            if (const int n = comNumberFromText(attachedTo))
                result = n;
            continue;
        }
        QString bus = readValue(key, QStringLiteral("MatchingDeviceId"));
        const int slash = bus.indexOf(QLatin1Char('\\'));
        if (slash >= 0)
            bus.truncate(slash);
        if (bus.isEmpty() || driverDesc != name)
            continue;
        const QString enumKey = QStringLiteral("Enum\\") + bus;
        const QString wantedDriver = QStringLiteral("Modem\\") + sub;
        for (const QString &device : reg::subKeys(RegRoot::LocalMachine, enumKey)) {
            const QString deviceKey = enumKey + QLatin1Char('\\') + device;
            for (const QString &instance : reg::subKeys(RegRoot::LocalMachine, deviceKey)) {
                const QString instanceKey = deviceKey + QLatin1Char('\\') + instance;
                const QString attached = readValue(instanceKey, QStringLiteral("AttachedTo"));
                const QString driver = readValue(instanceKey, QStringLiteral("Driver"));
                const QString portName = readValue(instanceKey, QStringLiteral("PORTNAME"));
                if (driver.compare(wantedDriver, Qt::CaseInsensitive) != 0)
                    continue;
                if (!attached.isEmpty()) {
                    say(log, "FOUND in [%s]\n", instance);
                    say(log, "strComPort=%s\n", attached);
                    say(log, "strDriver=%s\n", driver);
                    if (const int n = comNumberFromText(attached))
                        result = n;
                } else if (!portName.isEmpty()) {
                    say(log, "strPortName=%s\n", portName);
                    if (const int n = comNumberFromText(portName))
                        result = n;
                }
            }
        }
    }
    say(log, "out of GetComPortFromReg loop\n");
    return result;
}

int GetComPortFromRegOnNT(const QString &name, const LookupLog &log)
{
    const QString classRoot = QStringLiteral("SYSTEM\\CurrentControlSet\\Control\\Class");
    for (const QString &cls : reg::subKeys(RegRoot::LocalMachine, classRoot)) {
        say(log, "CurKeyName=%s\n", cls);
        const QString classKey = classRoot + QLatin1Char('\\') + cls;
        for (const QString &sub : reg::subKeys(RegRoot::LocalMachine, classKey)) {
            say(log, "CurSubKeyName=%s\n", sub);
            if (!sub.startsWith(QLatin1Char('0')))
                continue;
            say(log, "subkeyname=%s\n", sub);
            const QString key = classKey + QLatin1Char('\\') + sub;
            const QString attachedTo = readValue(key, QStringLiteral("AttachedTo"));
            const QString friendly = readValue(key, QStringLiteral("FriendlyName"));
            if (attachedTo.isEmpty() || friendly != name)
                continue;
            if (const int n = comNumberFromText(attachedTo))
                return n;
        }
    }
    return 0;
}
