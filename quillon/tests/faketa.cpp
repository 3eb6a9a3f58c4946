#include "faketa.h"

#include "registry.h"
#include "serialport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QThread>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

FakeTa::FakeTa()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0)
        return;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ::close(master_);
        master_ = -1;
        return;
    }
    slave_ = QString::fromLocal8Bit(ptsname(master_));
    termios t{};
    if (tcgetattr(master_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &FakeTa::readable);
}

FakeTa::~FakeTa()
{
    delete notifier_;
    if (master_ >= 0)
        ::close(master_);
}

TApdComPort *FakeTa::openPort(int comNumber, QObject *parent)
{
    reg::writeString(RegRoot::LocalMachine, QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM"), slave_,
                     QStringLiteral("COM%1").arg(comNumber));
    auto *port = new TApdComPort(parent);
    port->setComNumber(comNumber);
    port->open();
    return port;
}

void FakeTa::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    QDeadlineTimer deadline(2000);
    while (done < bytes.size() && !deadline.hasExpired()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else
            QThread::msleep(1);
    }
}

void FakeTa::readable()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i) {
            line_.append(buffer[i]);
            if (buffer[i] != '\r')
                continue;
            const QByteArray full = line_;
            line_.clear();
            const QString command = QString::fromLatin1(full.left(full.size() - 1));
            received.append(QString::fromLatin1(full));
            if (silent)
                continue;
            if (echo)
                send(full);
            const QString key = command.toLower();
            if (dropFirst.value(key) > asked_.value(key)) {
                ++asked_[key];
                continue;
            }
            std::optional<QByteArray> answer;
            if (hook)
                answer = hook(command);
            if (!answer) {
                bool found = false;
                for (auto r = replies.cbegin(); r != replies.cend(); ++r) {
                    if (r.key().toLower() == key) {
                        answer = r.value();
                        found = true;
                        break;
                    }
                }
                if (!found)
                    answer = QByteArray("\r\nOK\r\n");
            }
            if (!answer->isEmpty())
                send(*answer);
        }
    }
}

void FakeTa::loadStandardReplies(int switchType)
{
    const QByteArray w = QByteArray::number(switchType);
    replies[QStringLiteral("ati12")] =
        "\r\nSwitch Settings\r\n*W =" + w + " " + (switchType == 0 ? "EuroISDN" : "National ISDN-1") +
        "\r\n*P0 =555 *P1 =5551001 *P2 =5551002 *P3 =5551003 \r\n"
        "*S =0 *S1 =01555100100 *S2 =01555100200 *T1 =255 *T2 =255 *A =0 *C0 = *PD = *TD =255 "
        "*Y =0 *M =0 \r\nDevice Status: Ready\r\n\r\nOK\r\n";
    replies[QStringLiteral("ati15")] =
        "\r\nPhone Port Settings\r\n#R1 =1 #R2 =2 *R =4 #I1 =0 #I2 =9 #B1 =0 #B2 =1 "
        "#VR1 =5 #VR2 =6 #VT1 =5 #VT2 =5 #S1 =1 #S2 =0 \r\n"
        "#A1 =2 #A2 =1 #C1 =60 #C2 =0 #D1 =62 #D2 =0 #F1 =0 #F2 =57 #T1 =61 #T2 =0 #W1 =0 #W2 =63 \r\n\r\nOK\r\n";
    replies[QStringLiteral("ati16")] =
        "\r\nData Protocol Settings\r\n*VO =5 *PPP =2 *E =1 *VI =5 *K =1 *U =0 *B =0 *C1 = *C2 = "
        "*A0 =2 *A1 =15 *A2 =180 *A3 =75 *A4 =10 *D1 =10 *D2 =120 *D3 =75 *D4 =50 \r\n\r\nOK\r\n";
    replies[QStringLiteral("ati7")] =
        "\r\nVarnel Brenmoor ISDN Hardware Profile\r\nProduct type  US/Canada External\r\n"
        "Product ID    00524001\r\nSerial Number 12345\r\n\r\nOK\r\n";
    replies[QStringLiteral("ati4")] =
        "\r\nTA Settings\r\nS67 =6 S69 =128 *X0 =2048 *X1 =7 *X3 =1 \r\n\r\nOK\r\n";
    replies[QStringLiteral("ati19")] =
        "\r\nCall Screening\r\nEntry Number                    -ADP1    ADP2     DDP\r\n"
        "01:5551234                     X                 X\r\n\r\nOK\r\n";
    replies[QStringLiteral("ati20")] = switchType == 0
        ? QByteArray("\r\nCall Forwarding\r\n"
                     "Unconditional# :5552000 Enabled  Disabled\r\nBusy#          : Disabled Disabled\r\n"
                     "No Response#   : Disabled Disabled\r\nDeflection#    : Disabled Disabled\r\n\r\nOK\r\n")
        : QByteArray("\r\nERROR\r\n");
}

bool waitFor(const std::function<bool()> &cond, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!cond()) {
        if (deadline.hasExpired())
            return cond();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}
