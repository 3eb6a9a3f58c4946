#include "termination.h"

#include "app.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[0], &c, 1);
}

bool installHandlers()
{
    if (signalPipe[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        signalPipe[0] = signalPipe[1] = -1;
        return false;
    }
    struct sigaction sa = {};
    sa.sa_handler = onTerminate;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    return true;
}

} // namespace

TerminationHandler::TerminationHandler(CPatchwellApp &app) : app_(app)
{
    if (!installHandlers())
        return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationHandler::onSignal);
}

TerminationHandler::~TerminationHandler() = default;

void TerminationHandler::onSignal()
{
    char c;
    [[maybe_unused]] const auto n = ::read(signalPipe[1], &c, 1);
    terminated_ = true;
    app_.Terminate();
    // A box still up (one of the start's, before the main loop runs) would hold
    // the program: closed, its caller goes on, sees the program ending and stops.
    while (QWidget *box = QApplication::activeModalWidget()) {
        if (!box->close())
            break;
    }
}
