#include "fakedevice.h"

#include "registry.h"

#include <QFile>
#include <cstdio>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray field(const char *label, const QString &value)
{
    return QByteArray(label).leftJustified(18, ' ') + value.toLatin1() + "\r\n";
}

} // namespace

QString FakeDevice::identityAnswer(FakeProduct product, const QString &serial)
{
    QByteArray out;
    const bool isdn = product != FakeProduct::Modem56k;
    const char *name = product == FakeProduct::Modem56k ? "Varnel Tallyline 56K Business Modem"
                       : product == FakeProduct::Idsl   ? "Varnel Lumora IDSL Modem"
                                                        : "Varnel Brenmoor ISDN TA";
    const char *id = product == FakeProduct::Modem56k    ? "00517200"
                     : product == FakeProduct::Idsl      ? "00523700"
                     : product == FakeProduct::IsdnTaPro ? "00524100"
                                                         : "00524001";
    out += QByteArray(name) + " Hardware Profile\r\n";
    out += field("Product type", QStringLiteral("US/Canada External"));
    out += field("Product ID", QString::fromLatin1(id));
    if (isdn) {
        out += field("Clock Freq", QStringLiteral("16.384 MHz"));
        out += field("Eprom", QStringLiteral("512K"));
        out += field("Ram", QStringLiteral("512K"));
        out += field("Code date", QStringLiteral("04/12/99"));
        out += field("Code rev", QStringLiteral("3.02"));
    } else {
        out += field("Options", QStringLiteral("V.90 K56flex"));
        out += field("Clock Freq", QStringLiteral("40.32 MHz"));
        out += field("Flash ROM", QStringLiteral("1024K"));
        out += field("Supervisor date", QStringLiteral("03/10/99"));
        out += field("DSP date", QStringLiteral("02/18/99"));
        out += field("Supervisor rev", QStringLiteral("2.10"));
        out += field("DSP rev", QStringLiteral("1.07"));
        out += field("DAA rev", QStringLiteral("A3"));
    }
    out += field("Serial Number", serial);
    return QString::fromLatin1(out);
}

FakeDevice::FakeDevice(FakeProduct product, int com, const QString &linkDir)
    : product_(product), com_(com), link_(linkDir + QStringLiteral("/ttyFAKE%1").arg(com))
{
    serial_ = QStringLiteral("SN%1000%2").arg(int(product)).arg(com);
    openTerminal();
    reg::writeString(RegRoot::LocalMachine, QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM"), link_,
                     QStringLiteral("COM%1").arg(com));
    thread_ = std::thread([this] { run(); });
}

FakeDevice::~FakeDevice()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    const int fd = master_.exchange(-1);
    if (fd >= 0)
        ::close(fd);
    QFile::remove(link_);
}

void FakeDevice::openTerminal()
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(fd);
    ::unlockpt(fd);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    const QString slave = QString::fromLatin1(::ptsname(fd));
    QFile::remove(link_);
    QFile::link(slave, link_);
    master_ = fd;
}

void FakeDevice::vanish()
{
    QFile::remove(link_);
    const int fd = master_.exchange(-1);
    if (fd >= 0)
        ::close(fd);
}

void FakeDevice::comeBack()
{
    openTerminal();
}

void FakeDevice::setLineStates(const QStringList &states)
{
    std::lock_guard l(m_);
    lineStates_ = states;
    stateIndex_ = 0;
}

void FakeDevice::send(const QByteArray &bytes)
{
    const int fd = master_;
    const ssize_t n = fd >= 0 ? ::write(fd, bytes.constData(), size_t(bytes.size())) : -1;
    if (qEnvironmentVariableIsSet("FAKEDEVICE_TRACE"))
        std::fprintf(stderr, "fake COM%d wrote %d of %d: %s\n", com_, int(n), int(bytes.size()),
                     bytes.left(20).toPercentEncoding().constData());
}

QList<QByteArray> FakeDevice::commands() const
{
    std::lock_guard l(m_);
    return commands_;
}

int FakeDevice::count(const QByteArray &command) const
{
    std::lock_guard l(m_);
    int n = 0;
    for (const QByteArray &c : commands_)
        if (c.compare(command, Qt::CaseInsensitive) == 0)
            ++n;
    return n;
}

QByteArray FakeDevice::answer(const QByteArray &command)
{
    const QByteArray upper = command.toUpper();
    const QByteArray ok = "\r\nOK\r\n";
    std::lock_guard l(m_);
    if (upper == "ATI7\r")
        return "\r\n" + identityAnswer(product_, serial_).toLatin1() + ok;
    if (upper == "ATI12\r" && product_ != FakeProduct::Modem56k) {
        const QString state = lineStates_.value(std::min<int>(stateIndex_, int(lineStates_.size()) - 1));
        if (stateIndex_ < lineStates_.size() - 1)
            ++stateIndex_;
        const QByteArray sw = switchName_ == QLatin1String("EuroISDN") ? "*W =0 " : "*W =2 ";
        return "\r\nSwitch Settings\r\n\r\n" + sw + "*S =1 " + switchName_.toLatin1() + "\r\n\r\nDevice Status: "
            + state.toLatin1() + "\r\n" + ok;
    }
    if (upper == "AT~C?\r")
        return product_ == FakeProduct::IsdnTa ? "\r\n00:US/Canada\r\n01:Germany\r\n" + ok : ok;
    if (upper.startsWith("AT"))
        return ok;
    return "\r\nERROR\r\n";
}

void FakeDevice::run()
{
    while (!stop_) {
        const int fd = master_;
        if (fd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN)) {
            if (p.revents & (POLLHUP | POLLERR))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            continue;
        pending_.append(buf, int(n));
        int cr;
        while ((cr = pending_.indexOf('\r')) >= 0) {
            const QByteArray command = pending_.left(cr + 1).trimmed() + "\r";
            pending_.remove(0, cr + 1);
            if (command == "\r")
                continue;
            {
                std::lock_guard l(m_);
                commands_ << command;
            }
            if (silentAfter_ == 0)
                continue;
            if (silentAfter_ > 0)
                --silentAfter_;
            if (resetDropMs_ > 0 && command.toUpper() == "ATI7\r") {
                const int drop = resetDropMs_.exchange(0);
                send(command + "\r\nClose this App\r\n");
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                vanish();
                std::this_thread::sleep_for(std::chrono::milliseconds(drop));
                comeBack();
                continue;
            }
            send(command + answer(command));   // echo, then the answer
        }
    }
}
