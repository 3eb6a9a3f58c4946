#include "xmodem.h"

namespace sim {

namespace {
constexpr char SOH = 0x01, STX = 0x02, EOT = 0x04, ACK = 0x06, NAK = 0x15, CAN = 0x18, SUB = 0x1a;
}

void XmodemReceiver::start(int64_t nowMs, const Timing &timing)
{
    t_ = timing;
    status_ = Status::Receiving;
    buf_.clear();
    image_.clear();
    failure_.clear();
    expected_ = 1;
    started_ = false;
    tries_ = 0;
    errors_ = 0;
    blocks_ = 0;
    deadline_ = nowMs + t_.firstNakMs;
}

std::string XmodemReceiver::fail(const std::string &why)
{
    status_ = Status::Failed;
    failure_ = why;
    return std::string(2, CAN);
}

std::string XmodemReceiver::onTimer(int64_t nowMs)
{
    if (status_ != Status::Receiving || nowMs < deadline_)
        return {};
    buf_.clear();
    if (!started_) {
        if (++tries_ > t_.startTries)
            return fail("the sender never started");
        deadline_ = nowMs + t_.nakIntervalMs;
        return std::string(1, NAK);
    }
    if (++errors_ > t_.maxErrors)
        return fail("too many time-outs");
    deadline_ = nowMs + t_.blockTimeoutMs;
    return std::string(1, NAK);
}

std::string XmodemReceiver::feed(const char *data, size_t len, int64_t nowMs)
{
    if (status_ != Status::Receiving)
        return {};
    buf_.append(data, len);
    std::string out;
    while (!buf_.empty() && status_ == Status::Receiving) {
        char first = buf_[0];
        if (first == EOT) {
            buf_.erase(0, 1);
            if (!started_)
                return out + fail("end of transfer before the first block");
            while (!image_.empty() && image_.back() == SUB)
                image_.pop_back();
            status_ = Status::Done;
            return out + std::string(1, ACK);
        }
        if (first == CAN) {
            if (buf_.size() < 2)
                break;
            if (buf_[1] == CAN) {
                fail("cancelled by the sender");
                return out;
            }
            buf_.erase(0, 1);
            continue;
        }
        if (first != SOH && first != STX) {
            buf_.erase(0, 1);   // noise between blocks
            continue;
        }
        size_t size = first == SOH ? 128 : 1024;
        if (buf_.size() < size + 4) {
            deadline_ = nowMs + t_.blockTimeoutMs;
            break;
        }
        out += block();
        deadline_ = nowMs + (started_ ? t_.blockTimeoutMs : t_.nakIntervalMs);
    }
    return out;
}

std::string XmodemReceiver::block()
{
    size_t size = buf_[0] == SOH ? 128 : 1024;
    uint8_t num = static_cast<uint8_t>(buf_[1]);
    uint8_t inv = static_cast<uint8_t>(buf_[2]);
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(buf_[3 + i]));
    bool good = static_cast<uint8_t>(num + inv) == 0xff && sum == static_cast<uint8_t>(buf_[3 + size]);
    std::string data = buf_.substr(3, size);
    buf_.erase(0, size + 4);
    if (!good) {
        if (++errors_ > t_.maxErrors)
            return fail("too many bad blocks");
        buf_.clear();
        return std::string(1, NAK);
    }
    if (started_ && num == static_cast<uint8_t>(expected_ - 1))
        return std::string(1, ACK);   // our ACK was lost: the block came again
    if (num != expected_)
        return fail("block out of sequence");
    started_ = true;
    errors_ = 0;
    image_ += data;
    ++expected_;
    ++blocks_;
    return std::string(1, ACK);
}

} // namespace sim
