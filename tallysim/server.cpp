#include "server.h"

#include <clock.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

int gSignalPipe[2] = {-1, -1};

void onSignal(int sig)
{
    int saved = errno;
    char c = static_cast<char>(sig);
    [[maybe_unused]] ssize_t n = ::write(gSignalPipe[1], &c, 1);
    errno = saved;
}

DeviceConfig deviceConfig(const Options &o)
{
    DeviceConfig c;
    c.product = o.product;
    const ProductInfo &info = productInfo(o.product);
    c.serial = o.serial.value_or(info.defaultSerial);
    c.country = o.country.value_or(0);
    c.switchType = o.switchType.value_or(info.isdnFamily && o.product != Product::Idsl && c.country != 0
                                             ? 0 : info.defaultSwitch);
    c.lineStates = o.lineStates;
    c.lineStatesGiven = !o.lineStates.empty();
    c.echo = !o.noEcho;
    return c;
}

constexpr int64_t kMs = 1000000;

} // namespace

Server::Server(const Options &opts) : opts_(opts), faults_(opts.faults), device_(deviceConfig(opts))
{
    scale_ = tl::timeScale();
}

int64_t Server::nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

int64_t Server::scaledMs(double ms) const
{
    return static_cast<int64_t>(ms * scale_ * kMs);
}

int64_t Server::awayNs() const
{
    // Long enough for a host that polls the port once per 18 ticks to see it
    // gone: a few seconds, at least two and a half polling periods, and never
    // under 100 ms of real time (a host needs a moment to react to "Close
    // this App" before its first poll, also at a fast test clock).
    const double pollMs = 18 * 1000.0 / tl::kTicksPerSecond;
    return std::max({scaledMs(3000), scaledMs(2.5 * pollMs), 100 * kMs});
}

bool Server::start(std::string &error)
{
    log_.setTimes(opts_.logTimes);
    if (!opts_.logFile.empty() && !log_.open(opts_.logFile)) {
        error = "cannot open the log " + opts_.logFile;
        return false;
    }
    if (!opts_.stateFile.empty() && ::access(opts_.stateFile.c_str(), F_OK) == 0) {
        PersistedState st;
        if (!loadState(opts_.stateFile, st, error)) {
            // Set aside, reported once; the device starts from its factory state.
            std::string bad = opts_.stateFile + ".bad";
            std::rename(opts_.stateFile.c_str(), bad.c_str());
            std::fprintf(stderr, "tallysim: %s (kept as %s)\n", error.c_str(), bad.c_str());
            error.clear();
        } else if (st.product == productInfo(opts_.product).option)
            device_.restore(st);
        else
            std::fprintf(stderr, "tallysim: %s holds a %s, not a %s: starting from factory state\n",
                         opts_.stateFile.c_str(), st.product.c_str(), productInfo(opts_.product).option);
    }
    // What the command line names explicitly wins over the saved state.
    if (opts_.country)
        device_.setBoth("C10", std::to_string(*opts_.country));
    if (opts_.switchType)
        device_.setBoth("*W", std::to_string(*opts_.switchType));

    if (::pipe(gSignalPipe) != 0) {
        error = "cannot create the signal pipe";
        return false;
    }
    for (int fd : gSignalPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGUSR1, &sa, nullptr);
    ::sigaction(SIGUSR2, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    pty_ = std::make_unique<Pty>();
    if (!pty_->open(opts_.link, error))
        return false;
    if (opts_.com > 0 && !registration_.registerPort(pty_->portName(), opts_.com, opts_.tapiName, error))
        return false;
    if (!opts_.byId.empty() && !makeLink(opts_.byId, pty_->portName(), error))
        return false;
    // The first line tells the starter that the port is there and registered.
    std::printf("%s\n", pty_->slavePath().c_str());
    std::fflush(stdout);
    log_.event("power-up: " + std::string(productInfo(opts_.product).option) + " on " + pty_->portName());
    clients_ = 0;
    clientPresent_ = pty_->watchFd() < 0;   // without the watch, always assume a listener
    return true;
}

int Server::run()
{
    std::string error;
    if (!start(error)) {
        std::fprintf(stderr, "tallysim: %s\n", error.c_str());
        shutdown();
        return 1;
    }
    while (!stop_)
        loopOnce();
    shutdown();
    return 0;
}

void Server::shutdown()
{
    saveState();
    registration_.unregisterAll();
    removeById();
    retiring_.reset();
    pty_.reset();
    log_.event("shut down");
}

void Server::saveState()
{
    if (opts_.stateFile.empty())
        return;
    std::string error;
    if (!sim::saveState(opts_.stateFile, device_.persisted(), error))
        std::fprintf(stderr, "tallysim: %s\n", error.c_str());
}

void Server::loopOnce()
{
    int64_t now = nowNs();

    // Deadlines first.
    if (retiring_ && now >= retireAtNs_)
        retiring_.reset();
    if (!pty_ && reopenAtNs_ && now >= reopenAtNs_)
        comeBack();
    if (firmwareDoneAtNs_ && now >= firmwareDoneAtNs_) {
        firmwareDoneAtNs_ = 0;
        if (restart_ == Restart::Flashing)
            startDropOff();
    }
    if (mode_ == Mode::Download && now >= xmodem_.deadline() * kMs) {
        queue(xmodem_.onTimer(now / kMs));
        if (xmodem_.status() != XmodemReceiver::Status::Receiving)
            finishDownload();
    }
    if (!heldInput_.empty() && now >= heldUntilNs_)
        deliverHeldInput();
    flushOutput(now);
    if (restart_ == Restart::Closing && outPos_ >= out_.size())
        dropOff();

    // Then wait for the next thing to happen.
    int64_t wake = now + 1000 * kMs;
    auto soonest = [&](int64_t t) { if (t > 0) wake = std::min(wake, t); };
    if (retiring_)
        soonest(retireAtNs_);
    if (!pty_)
        soonest(reopenAtNs_);
    soonest(firmwareDoneAtNs_);
    if (mode_ == Mode::Download)
        soonest(xmodem_.deadline() * kMs);
    bool pending = outPos_ < out_.size() && pty_ && clientPresent_;
    bool paced = faults_.byteDelayNs() > 0;
    if (pending && paced)
        soonest(nextByteNs_);
    const bool holding = !heldInput_.empty();
    if (holding)
        soonest(heldUntilNs_);

    pollfd fds[4];
    int n = 0;
    fds[n++] = {gSignalPipe[0], POLLIN, 0};
    int masterIdx = -1, retiringIdx = -1, watchIdx = -1;
    if (pty_) {
        masterIdx = n;
        const short in = holding ? 0 : POLLIN;
        fds[n++] = {pty_->fd(), static_cast<short>(in | (pending && !paced ? POLLOUT : 0)), 0};
        if (pty_->watchFd() >= 0) {
            watchIdx = n;
            fds[n++] = {pty_->watchFd(), POLLIN, 0};
        }
    }
    if (retiring_) {
        retiringIdx = n;
        fds[n++] = {retiring_->fd(), POLLIN, 0};
    }
    int64_t waitNs = std::max<int64_t>(0, wake - now);
    timespec ts{static_cast<time_t>(waitNs / 1000000000LL), static_cast<long>(waitNs % 1000000000LL)};
    int rc = ::ppoll(fds, n, &ts, nullptr);
    if (rc < 0)
        return;   // EINTR: the signal pipe tells the rest
    if (fds[0].revents & POLLIN) {
        char buf[16];
        ssize_t got;
        while ((got = ::read(gSignalPipe[0], buf, sizeof buf)) > 0) {
            for (ssize_t i = 0; i < got; ++i) {
                if (buf[i] == SIGUSR1)
                    reloadFaults();
                else if (buf[i] == SIGUSR2)
                    resetOnRequest();
                else
                    stop_ = true;
            }
        }
        if (stop_)
            return;
    }
    if (retiringIdx >= 0 && fds[retiringIdx].revents) {
        char buf[512];
        while (::read(retiring_->fd(), buf, sizeof buf) > 0) {
        }
    }
    // Clients opening and closing first: the data that follows belongs to them.
    if (watchIdx >= 0 && fds[watchIdx].revents)
        watchClients();
    if (masterIdx >= 0 && fds[masterIdx].revents)
        readInput(nowNs());
}

void Server::readInput(int64_t now)
{
    const int64_t delay = faults_.byteDelayNs();
    char buf[4096];
    if (delay > 0) {
        // A small bite at a time, so that the device answers a block when the
        // wire would have delivered it, not when the sender wrote it.
        if (!heldInput_.empty())
            return;
        ssize_t got = ::read(pty_->fd(), buf, 64);
        if (got <= 0)
            return;
        heldInput_.assign(buf, static_cast<size_t>(got));
        heldUntilNs_ = std::max(heldUntilNs_, now) + delay * got;
        return;
    }
    for (;;) {
        ssize_t got = ::read(pty_->fd(), buf, sizeof buf);
        if (got <= 0)
            break;
        if (clientPresent_)
            handleInput(buf, static_cast<size_t>(got));
        if (!pty_)
            return;
    }
    if (pty_ && clientPresent_)
        flushOutput(nowNs());
}

void Server::deliverHeldInput()
{
    std::string data;
    data.swap(heldInput_);
    if (pty_ && clientPresent_)
        handleInput(data.data(), data.size());
    if (pty_ && clientPresent_)
        flushOutput(nowNs());
}

void Server::watchClients()
{
    int opens = 0, closes = 0;
    bool overflow = false;
    pty_->takeEvents(opens, closes, overflow);
    bool wasPresent = clientPresent_;
    // A close and a reopen may both be pending: the close is handled first, so
    // that nothing meant for the old client reaches the new one.
    if (closes > 0) {
        clients_ = std::max(0, clients_ + opens - closes);
        // Unread input is dropped only when nobody new came: when a client
        // closed and another opened within one wake-up, the input may be the
        // new client's and is answered.
        clientGone(opens == 0);
    } else {
        clients_ += opens;
    }
    if (overflow && clients_ == 0)
        clients_ = 1;
    clientPresent_ = clients_ > 0;
    if (clientPresent_ && (!wasPresent || closes > 0))
        log_.event("port opened");
}

void Server::clientGone(bool dropInput)
{
    // What the device sends while nobody listens is lost, as on a real line:
    // what is still unread on the slave side, what is queued here, and what the
    // departed client wrote but was not read yet.
    pty_->flushUnread();
    char buf[512];
    while (dropInput && ::read(pty_->fd(), buf, sizeof buf) > 0) {
    }
    if (dropInput)
        heldInput_.clear();
    out_.clear();
    outPos_ = 0;
    inLine_ = false;
    line_.clear();
    log_.event("port closed");
    clientPresent_ = false;
}

void Server::queue(const std::string &text)
{
    if (text.empty())
        return;
    if (!pty_ || !clientPresent_)
        return;   // nobody to hear it
    if (outPos_ >= out_.size()) {
        out_.clear();
        outPos_ = 0;
        nextByteNs_ = std::max(nextByteNs_, nowNs());
    }
    out_ += text;
}

void Server::flushOutput(int64_t now)
{
    if (!pty_ || !clientPresent_ || outPos_ >= out_.size())
        return;
    size_t want = out_.size() - outPos_;
    int64_t delay = faults_.byteDelayNs();
    if (delay > 0) {
        if (now < nextByteNs_)
            return;
        size_t due = static_cast<size_t>((now - nextByteNs_) / delay) + 1;
        want = std::min(want, due);
    }
    ssize_t w = ::write(pty_->fd(), out_.data() + outPos_, want);
    if (w > 0) {
        outPos_ += static_cast<size_t>(w);
        if (delay > 0)
            nextByteNs_ += delay * w;
    } else if (w < 0 && delay > 0) {
        nextByteNs_ = now + kMs;   // the client is not reading: try again shortly
    }
    if (outPos_ >= out_.size()) {
        out_.clear();
        outPos_ = 0;
    }
}

void Server::handleInput(const char *data, size_t len)
{
    if (restart_ != Restart::None) {
        ignoreInput(data, len);
        return;
    }
    if (mode_ == Mode::Download) {
        queue(xmodem_.feed(data, len, nowNs() / kMs));
        if (xmodem_.status() != XmodemReceiver::Status::Receiving)
            finishDownload();
        return;
    }
    for (size_t i = 0; i < len; ++i) {
        if (restart_ != Restart::None) {
            ignoreInput(data + i, len - i);
            return;
        }
        if (!pty_ || mode_ != Mode::Command)
            return;
        handleCommandByte(data[i]);
    }
}

void Server::ignoreInput(const char *data, size_t len)
{
    log_.event("restarting, ignored: " + std::string(data, len));
}

void Server::handleCommandByte(char c)
{
    const FaultConfig &f = faults_.config();
    bool mute = f.silent || (f.silentAfter >= 0 && faults_.commandsSeen() >= f.silentAfter);
    if (device_.echo() && !mute)
        queue(std::string(1, c));
    if (!inLine_) {
        if ((c == 'T' || c == 't') && (prev_ == 'A' || prev_ == 'a')) {
            inLine_ = true;
            line_ = std::string(1, prev_) + c;
            overlong_ = false;
        }
        prev_ = c;
        return;
    }
    prev_ = 0;
    if (c == '\r') {
        inLine_ = false;
        std::string line = line_;
        line_.clear();
        if (overlong_) {
            log_.received(line + "...\r");
            if (!faults_.muteFor())
                queue(device_.resultCode(false));
            return;
        }
        processLine(line);
    } else if (c == '\b' || c == 0x7f) {
        if (line_.size() > 2)
            line_.pop_back();
    } else if (c == '\n') {
        // Line feeds after the carriage return are ignored.
    } else if (line_.size() < 256) {
        line_.push_back(c);
    } else {
        overlong_ = true;
    }
}

void Server::processLine(const std::string &line)
{
    log_.received(line + "\r");
    if (faults_.muteFor()) {
        log_.event("mute");
        return;
    }
    const std::string norm = normaliseCommand(line);
    DeviceReply reply;
    if (faults_.errorFor(norm)) {
        reply.text = device_.resultCode(false);
        reply.error = true;
    } else {
        reply = device_.execute(line.substr(2));
        if (norm == "I7" && !reply.error && faults_.takeAti7Head())
            reply.text = loseIdentityHead(reply.text);
    }
    log_.sent(reply.text);
    queue(reply.text);
    if (device_.takeStoredChanged())
        saveState();
    if (reply.action == DeviceAction::DropOff || faults_.takeResetAfter(norm)) {
        startDropOff();
        return;
    }
    if (reply.action == DeviceAction::StartDownload) {
        mode_ = Mode::Download;
        XmodemReceiver::Timing t;
        t.firstNakMs = std::max<int64_t>(50, scaledMs(1000) / kMs);
        t.nakIntervalMs = std::max<int64_t>(100, scaledMs(3000) / kMs);
        t.blockTimeoutMs = std::max<int64_t>(1000, scaledMs(10000) / kMs);
        xmodem_.start(nowNs() / kMs, t);
        log_.event("firmware download: waiting for the sender");
        return;
    }
    queue(faults_.noise());
}

void Server::finishDownload()
{
    mode_ = Mode::Command;
    inLine_ = false;
    if (xmodem_.status() == XmodemReceiver::Status::Done && device_.acceptFirmware(xmodem_.image())) {
        log_.event("firmware image of " + std::to_string(xmodem_.image().size()) + " bytes accepted, date " +
                   device_.firmwareDate());
        saveState();
        if (faults_.config().stayUpAfterFlash) {
            const std::string text = device_.resultCode(true);
            log_.sent(text);
            queue(text);
            return;
        }
        // Writing the flash takes a moment; then the device restarts off the bus.
        restart_ = Restart::Flashing;
        firmwareDoneAtNs_ = nowNs() + std::max<int64_t>(kMs, scaledMs(500));
        return;
    }
    std::string why = xmodem_.status() == XmodemReceiver::Status::Done ? "image not for this product"
                                                                        : xmodem_.failure();
    log_.event("firmware download failed: " + why);
    std::string text = device_.resultCode(false);
    log_.sent(text);
    queue(text);
}

void Server::reloadFaults()
{
    if (opts_.faultFile.empty())
        return;
    std::string text;
    if (FILE *f = std::fopen(opts_.faultFile.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        std::fclose(f);
    }
    std::replace(text.begin(), text.end(), '\n', ',');
    std::replace(text.begin(), text.end(), '\r', ',');
    FaultConfig cfg;
    const std::string error = parseFault(text, cfg);
    if (!error.empty()) {
        std::fprintf(stderr, "tallysim: %s: %s (faults unchanged)\n", opts_.faultFile.c_str(), error.c_str());
        return;
    }
    faults_ = FaultState(cfg);
    log_.event("faults: " + (text.empty() ? std::string("none") : text));
}

void Server::resetOnRequest()
{
    // As a USB reset: off the bus and back, unless a restart is already under way.
    if (!pty_ || restart_ != Restart::None || mode_ != Mode::Command)
        return;
    log_.event("reset requested");
    startDropOff();
}

void Server::startDropOff()
{
    const std::string text = "\r\nClose this App\r\n";
    log_.sent(text);
    queue(text);
    restart_ = Restart::Closing;
}

void Server::dropOff()
{
    if (!pty_)
        return;
    restart_ = Restart::Away;
    log_.event("USB reset: off the bus");
    int64_t now = nowNs();
    int64_t away = awayNs();
    // The old master stays open a little, so that the client can still read
    // "Close this App" from it (closing it discards what the client has not
    // read yet). The link is gone at once; without a link the port is the old
    // slave path, gone when the master closes, so the return waits that much
    // longer: either way the port is absent for the whole time away.
    int64_t linger = std::min<int64_t>(300 * kMs, away / 2);
    retiring_ = std::move(pty_);
    retiring_->removeLink();
    removeById();   // gone with the device, as the system's by-id links are
    retireAtNs_ = now + linger;
    reopenAtNs_ = now + away + (opts_.link.empty() ? linger : 0);
    clientPresent_ = false;
    out_.clear();
    outPos_ = 0;
    heldInput_.clear();
    inLine_ = false;
    line_.clear();
    mode_ = Mode::Command;
    device_.restart();
}

void Server::comeBack()
{
    reopenAtNs_ = 0;
    auto fresh = std::make_unique<Pty>();
    std::string error;
    // Re-enumerated: the device may come back under another name and number.
    const std::string &link = opts_.returnLink.empty() ? opts_.link : opts_.returnLink;
    if (!fresh->open(link, error)) {
        std::fprintf(stderr, "tallysim: cannot come back: %s\n", error.c_str());
        reopenAtNs_ = nowNs() + 500 * kMs;
        return;
    }
    pty_ = std::move(fresh);
    restart_ = Restart::None;
    std::printf("%s\n", pty_->slavePath().c_str());
    std::fflush(stdout);
    registration_.movePort(pty_->portName(), opts_.returnCom);
    if (!opts_.byId.empty() && !makeLink(opts_.byId, pty_->portName(), error))
        std::fprintf(stderr, "tallysim: %s\n", error.c_str());
    clients_ = 0;
    clientPresent_ = pty_->watchFd() < 0;
    log_.event("USB reset: back on " + pty_->portName() + ", firmware date " + device_.firmwareDate());
}

void Server::removeById()
{
    if (opts_.byId.empty())
        return;
    // Only while it still names our port: another emulator may have taken it.
    char target[4096];
    const ssize_t n = ::readlink(opts_.byId.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return;
    target[n] = 0;
    if ((pty_ && pty_->portName() == target) || (retiring_ && retiring_->portName() == target))
        ::unlink(opts_.byId.c_str());
}

} // namespace sim
