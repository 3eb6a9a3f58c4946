#include "source.h"

#include <algorithm>
#include <cstring>

namespace linescope {

std::size_t MemorySource::read(std::uint8_t* dst, std::size_t n)
{
    std::size_t take = std::min(n, size_ - at_);
    if (take == 0)
        return 0; // an empty block may have no address at all
    std::memcpy(dst, data_ + at_, take);
    at_ += take;
    return take;
}

std::size_t Unstuffer::feed(const std::uint8_t* in, std::size_t n, std::uint8_t* out)
{
    std::size_t i = 0;
    if (!started_) {
        const void* flag = std::memchr(in, 0x7E, n);
        if (flag == nullptr)
            return 0;
        started_ = true;
        i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(flag) - in);
    }
    std::size_t w = 0;
    if (escape_ && i < n) {
        out[w++] = in[i++] ^ 0x20;
        escape_ = false;
    }
    while (i < n) {
        std::uint8_t b = in[i++];
        if (b == 0x7E)
            continue;
        if (b == 0x7D) {
            if (i == n) {
                escape_ = true;
                break;
            }
            out[w++] = in[i++] ^ 0x20;
            continue;
        }
        out[w++] = b;
    }
    return w;
}

std::size_t UnstuffSource::read(std::uint8_t* dst, std::size_t n)
{
    // Un-stuffing never grows the data, so it can work in place; loop
    // because a block of flags only yields nothing.
    for (;;) {
        std::size_t got = inner_.read(dst, n);
        if (got == 0)
            return 0;
        std::size_t made = unstuffer_.feed(dst, got, dst);
        if (made != 0)
            return made;
    }
}

bool unstuff_file(std::FILE* in, std::FILE* out)
{
    constexpr std::size_t kBlock = 1u << 16;
    std::unique_ptr<std::uint8_t[]> buf(new std::uint8_t[kBlock]);
    Unstuffer unstuffer;
    for (;;) {
        std::size_t got = std::fread(buf.get(), 1, kBlock, in);
        if (got == 0)
            break;
        std::size_t made = unstuffer.feed(buf.get(), got, buf.get());
        if (made != 0 && std::fwrite(buf.get(), 1, made, out) != made)
            return false;
    }
    // A lone escape at the very end has no byte to apply to: it is dropped.
    return true;
}

RecordReader::RecordReader(ByteSource& source, std::size_t buffer_size)
    : source_(source), cap_(std::max<std::size_t>(buffer_size, 2 * (kRecordHeaderSize + kMaxPayload)))
{
    buf_.reset(new std::uint8_t[cap_]);
}

bool RecordReader::fill(std::size_t need)
{
    if (end_ - begin_ >= need)
        return true;
    if (begin_ + need > cap_) {
        std::memmove(buf_.get(), buf_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (!eof_ && end_ - begin_ < need) {
        std::size_t got = source_.read(buf_.get() + end_, cap_ - end_);
        if (got == 0)
            eof_ = true;
        end_ += got;
    }
    return end_ - begin_ >= need;
}

bool RecordReader::next(RecordHeader& header, const std::uint8_t*& payload)
{
    if (!fill(kRecordHeaderSize))
        return false;
    header = parse_record_header(buf_.get() + begin_);
    std::size_t whole = kRecordHeaderSize + header.length;
    if (!fill(whole))
        return false;
    payload = buf_.get() + begin_ + kRecordHeaderSize;
    begin_ += whole;
    return true;
}

} // namespace linescope
