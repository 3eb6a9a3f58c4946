#include "comports.h"

#include "registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>
#include <algorithm>

namespace tl {

namespace {

const char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// "COM12" -> 12; anything else -> 0 (such entries are skipped, not fatal).
int comNumberFromText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() < 4 || !t.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int n = t.mid(3).toInt(&ok);
    return ok && n > 0 ? n : 0;
}

} // namespace

namespace {

// The ports the registry names, with their numbers, and the device paths named.
QMap<int, QString> registryPorts(QSet<QString> *named)
{
    QMap<int, QString> map;
    for (const QString &device : reg::valueNames(RegRoot::LocalMachine, kSerialCommKey)) {
        const auto value = reg::readString(RegRoot::LocalMachine, kSerialCommKey, device);
        const int n = value ? comNumberFromText(*value) : 0;
        if (n <= 0 || map.contains(n))
            continue;
        map.insert(n, device);
        if (named)
            named->insert(device);
    }
    return map;
}

} // namespace

QMap<int, QString> comPortMap()
{
    QSet<QString> named;
    QMap<int, QString> map = registryPorts(&named);

    QStringList others;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        if (!path.isEmpty() && !named.contains(path) && !others.contains(path))
            others.append(path);
    }
    std::sort(others.begin(), others.end());
    int next = 1;
    for (const QString &path : others) {
        while (map.contains(next))
            ++next;
        map.insert(next, path);
    }
    return map;
}

QString comPortDevice(int comNumber)
{
    if (comNumber <= 0)
        return QString();
    // A number the registry names needs no look at the system's ports, which
    // is the slow part (tens of milliseconds); polling loops ask this often.
    const QMap<int, QString> named = registryPorts(nullptr);
    if (named.contains(comNumber))
        return named.value(comNumber);
    return comPortMap().value(comNumber);
}

QString serialByIdDirectory()
{
    const QByteArray configured = qgetenv("TALLYLINE_SERIAL_BY_ID_DIR");
    return configured.isEmpty() ? QStringLiteral("/dev/serial/by-id") : QString::fromLocal8Bit(configured);
}

QString comPortStableName(int comNumber)
{
    const QString node = QFileInfo(comPortDevice(comNumber)).canonicalFilePath();
    if (node.isEmpty())
        return QString();
    const QDir dir(serialByIdDirectory());
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString link = dir.filePath(name);
        if (QFileInfo(link).canonicalFilePath() == node)
            return link;
    }
    return QString();
}

int comPortByStableName(const QString &stableName)
{
    if (stableName.isEmpty())
        return 0;
    const QString node = QFileInfo(stableName).canonicalFilePath();
    if (node.isEmpty())
        return 0;
    const QMap<int, QString> ports = comPortMap();
    for (auto it = ports.cbegin(); it != ports.cend(); ++it)
        if (QFileInfo(it.value()).canonicalFilePath() == node)
            return it.key();
    return 0;
}

} // namespace tl

bool IsPortAvailable(int comNumber)
{
    const QString device = tl::comPortDevice(comNumber);
    return !device.isEmpty() && QFileInfo::exists(device);
}
