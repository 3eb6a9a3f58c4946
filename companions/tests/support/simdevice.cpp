#include "simdevice.h"

#include "registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

SimDevice::SimDevice(const QString &product, int comNumber, const QStringList &extra) : com_(comNumber)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/tallysim");
    // A fixed link names the port: a pseudo-terminal's own name may be handed to
    // another program while the device is off the bus.
    QStringList args = {QStringLiteral("--product"), product, QStringLiteral("--com"), QString::number(comNumber),
                        QStringLiteral("--link"), dir_.filePath(QStringLiteral("tty")),
                        QStringLiteral("--log"), dir_.filePath(QStringLiteral("transcript.txt"))};
    args += extra;
    process_.setProgram(program);
    process_.setArguments(args);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start();
    if (!process_.waitForStarted(5000))
        return;
    // The first line is the slave path.
    while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
    }
    if (process_.canReadLine())
        ptyPath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
}

SimDevice::~SimDevice()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
}

void SimDevice::kill()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(2000);
    // An unplugged device's node is gone for good. A killed emulator cannot
    // remove its entry itself, and the pseudo-terminal it named may soon be
    // handed to another emulator of a parallel test.
    const QString key = QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM");
    const QString name = QStringLiteral("COM%1").arg(com_);
    for (const QString &device : reg::valueNames(RegRoot::LocalMachine, key)) {
        if (reg::readString(RegRoot::LocalMachine, key, device).value_or(QString()) == name)
            reg::deleteValue(RegRoot::LocalMachine, key, device);
    }
}

QString SimDevice::transcript() const
{
    QFile f(dir_.filePath(QStringLiteral("transcript.txt")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll());
}

QStringList SimDevice::commands() const
{
    QStringList out;
    const QStringList lines = transcript().split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("> ")))
            out << line.mid(2);
    }
    return out;
}
