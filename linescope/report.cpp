#include "report.h"

#include <algorithm>

namespace linescope {

namespace {

constexpr char kBlanks[] = "                        "; // 24

constexpr char kHexLower[] = "0123456789abcdef";
constexpr char kHexUpper[] = "0123456789ABCDEF";

// Writes the decimal digits of v right-aligned ending at end; returns start.
char* digits(unsigned long long v, char* end)
{
    do {
        *--end = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    return end;
}

} // namespace

bool LineFeedSink::write(const char* data, std::size_t size)
{
    char block[4096];
    while (size != 0) {
        std::size_t n = std::min(size, sizeof block);
        for (std::size_t i = 0; i < n; ++i)
            block[i] = data[i] == '\r' ? '\n' : data[i];
        if (!inner_.write(block, n))
            return false;
        data += n;
        size -= n;
    }
    return true;
}

Report::Report(Sink& sink, std::size_t capacity)
    : sink_(sink), buf_(new char[std::max<std::size_t>(capacity, 4096)]),
      cap_(std::max<std::size_t>(capacity, 4096))
{
}

Report::~Report() { flush(); }

std::string_view Report::indent_text(int width)
{
    if (width <= 12)
        return {kBlanks, 12};
    if (width <= 16)
        return {kBlanks, 16};
    if (width <= 20)
        return {kBlanks, 20};
    return {kBlanks, 24};
}

void Report::flush()
{
    if (len_ != 0) {
        if (!sink_.write(buf_.get(), len_))
            ok_ = false;
        len_ = 0;
    }
}

void Report::put_slow(const char* s, std::size_t n)
{
    flush();
    if (n >= cap_) {
        if (!sink_.write(s, n))
            ok_ = false;
        return;
    }
    std::memcpy(buf_.get(), s, n);
    len_ = n;
}

void Report::udec(unsigned long long v)
{
    char tmp[24];
    char* end = tmp + sizeof tmp;
    char* start = digits(v, end);
    put(start, static_cast<std::size_t>(end - start));
}

void Report::dec(long long v)
{
    if (v < 0) {
        ch('-');
        udec(0ull - static_cast<unsigned long long>(v));
    } else {
        udec(static_cast<unsigned long long>(v));
    }
}

void Report::dec_pad(long long v, int width, char fill)
{
    char tmp[32];
    char* end = tmp + sizeof tmp;
    bool neg = v < 0;
    char* start = digits(neg ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v), end);
    // As printf: zero padding goes between the sign and the digits,
    // blank padding before the sign.
    int len = static_cast<int>(end - start) + (neg ? 1 : 0);
    if (fill == '0') {
        while (len < width) {
            *--start = '0';
            ++len;
        }
        if (neg)
            *--start = '-';
    } else {
        if (neg)
            *--start = '-';
        while (len < width) {
            *--start = ' ';
            ++len;
        }
    }
    put(start, static_cast<std::size_t>(end - start));
}

void Report::hex(unsigned v)
{
    char tmp[16];
    char* end = tmp + sizeof tmp;
    char* p = end;
    do {
        *--p = kHexLower[v & 0xF];
        v >>= 4;
    } while (v != 0);
    put(p, static_cast<std::size_t>(end - p));
}

void Report::hex_upper(unsigned v)
{
    char tmp[16];
    char* end = tmp + sizeof tmp;
    char* p = end;
    do {
        *--p = kHexUpper[v & 0xF];
        v >>= 4;
    } while (v != 0);
    put(p, static_cast<std::size_t>(end - p));
}

void Report::hex2(std::uint8_t b)
{
    char two[2] = {kHexLower[b >> 4], kHexLower[b & 0xF]};
    put(two, 2);
}

} // namespace linescope
