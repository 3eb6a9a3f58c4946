// Buffered report writer. The decoders write many short pieces per record;
// they go into one large buffer that is handed to a sink in big blocks, so
// that the cost per piece is a bounds check and a small copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace linescope {

class Sink {
public:
    virtual ~Sink() = default;
    // Returns false when the bytes could not be written.
    virtual bool write(const char* data, std::size_t size) = 0;
};

class FileSink final : public Sink {
public:
    explicit FileSink(std::FILE* file) : file_(file) {}
    bool write(const char* data, std::size_t size) override
    {
        return std::fwrite(data, 1, size, file_) == size;
    }

private:
    std::FILE* file_;
};

// Passes the report on with every carriage return turned into a line
// feed, for reading it with the usual text tools.
class LineFeedSink final : public Sink {
public:
    explicit LineFeedSink(Sink& inner) : inner_(inner) {}
    bool write(const char* data, std::size_t size) override;

private:
    Sink& inner_;
};

class StringSink final : public Sink {
public:
    bool write(const char* data, std::size_t size) override
    {
        text.append(data, size);
        return true;
    }
    std::string text;
};

// Keeps only the byte count: for the benchmark and the fuzzer.
class CountingSink final : public Sink {
public:
    bool write(const char*, std::size_t size) override
    {
        bytes += size;
        return true;
    }
    std::uint64_t bytes = 0;
};

class Report {
public:
    explicit Report(Sink& sink, std::size_t capacity = 1u << 20);
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    void put(const char* s, std::size_t n)
    {
        // An empty view may carry a null pointer, which memcpy must not see.
        if (n == 0)
            return;
        if (n > cap_ - len_) [[unlikely]] {
            put_slow(s, n);
            return;
        }
        std::memcpy(buf_.get() + len_, s, n);
        len_ += n;
    }
    void put(std::string_view s) { put(s.data(), s.size()); }
    template <std::size_t N> void lit(const char (&s)[N]) { put(s, N - 1); }
    void ch(char c)
    {
        if (len_ == cap_) [[unlikely]]
            flush();
        buf_[len_++] = c;
    }
    void cr() { ch('\r'); }

    // printf-like number forms used by the report.
    void dec(long long v);                       // %d / %ld
    void udec(unsigned long long v);             // %u
    void dec_pad(long long v, int width, char fill); // %3d (' ') and %02d / %03u ('0')
    void hex(unsigned v);                        // %x
    void hex_upper(unsigned v);                  // %X
    void hex2(std::uint8_t b);                   // %02x

    // One of the four indent strings: 12, 16, 20 or 24 blanks.
    void indent(int width) { put(indent_text(width)); }
    static std::string_view indent_text(int width);

    // Hands the buffered bytes to the sink.
    void flush();
    // False once any write to the sink failed.
    bool ok() const { return ok_; }

private:
    void put_slow(const char* s, std::size_t n);

    Sink& sink_;
    std::unique_ptr<char[]> buf_;
    std::size_t cap_;
    std::size_t len_ = 0;
    bool ok_ = true;
};

} // namespace linescope
