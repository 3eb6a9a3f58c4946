#include "ptypair.h"

#include "registry.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    const int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return;
    if (grantpt(fd) != 0 || unlockpt(fd) != 0) {
        ::close(fd);
        return;
    }
    const char *name = ptsname(fd);
    if (!name) {
        ::close(fd);
        return;
    }
    slave_ = QString::fromLocal8Bit(name);
    // Raw on both sides, so bytes pass unchanged and nothing is echoed.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        termios t{};
        if (tcgetattr(slave, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(slave, TCSANOW, &t);
        }
        ::close(slave);
    }
    termios m{};
    if (tcgetattr(fd, &m) == 0) {
        cfmakeraw(&m);
        tcsetattr(fd, TCSANOW, &m);
    }
    master_ = fd;
}

PtyPair::~PtyPair() { closeMaster(); }

void PtyPair::registerAs(int comNumber) const
{
    reg::writeString(RegRoot::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", slave_,
                     QStringLiteral("COM%1").arg(comNumber));
}

void PtyPair::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
}

QByteArray PtyPair::receive(const std::function<bool(const QByteArray &)> &done, int timeoutMs)
{
    QByteArray got;
    QDeadlineTimer deadline(timeoutMs);
    while (master_ >= 0 && !done(got) && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 2) > 0 && (p.revents & POLLIN)) {
            char buf[512];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
        }
    }
    return got;
}

QByteArray PtyPair::receiveCount(int count, int timeoutMs)
{
    return receive([count](const QByteArray &b) { return b.size() >= count; }, timeoutMs);
}

QByteArray PtyPair::receiveUntil(const QByteArray &text, int timeoutMs)
{
    return receive([text](const QByteArray &b) { return b.contains(text); }, timeoutMs);
}

void PtyPair::closeMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void pumpEvents(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
