// Byte sources for the record loop: a file, a memory block, and the
// un-stuffing filter that turns the adapter's flag/escape stream into
// the plain record stream. All of them stream in fixed-size blocks.
#pragma once

#include "blog.h"

#include <cstdio>
#include <memory>

namespace linescope {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to n bytes; 0 only at the end of the data.
    virtual std::size_t read(std::uint8_t* dst, std::size_t n) = 0;
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    std::size_t read(std::uint8_t* dst, std::size_t n) override { return std::fread(dst, 1, n, file_); }

private:
    std::FILE* file_;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(std::uint8_t* dst, std::size_t n) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Asynchronous-HDLC transparency removal. 0x7E is a flag and is dropped;
// 0x7D escapes the next byte, which is stored XOR 0x20; everything before
// the first flag is line noise. The state carries across blocks.
class Unstuffer {
public:
    // Writes at most n bytes to out (which may be in); returns the count.
    std::size_t feed(const std::uint8_t* in, std::size_t n, std::uint8_t* out);
    // True when the data ended on an escape byte with nothing after it.
    bool escape_pending() const { return escape_; }

private:
    bool started_ = false;
    bool escape_ = false;
};

class UnstuffSource final : public ByteSource {
public:
    explicit UnstuffSource(ByteSource& inner) : inner_(inner) {}
    std::size_t read(std::uint8_t* dst, std::size_t n) override;

private:
    ByteSource& inner_;
    Unstuffer unstuffer_;
};

// Un-stuffs everything from in to out; false when writing failed.
bool unstuff_file(std::FILE* in, std::FILE* out);

// Hands out one record at a time from a buffer that holds at least one
// whole record, so memory stays the same whatever the capture's size.
class RecordReader {
public:
    explicit RecordReader(ByteSource& source, std::size_t buffer_size = 1u << 20);
    // False at the end of the stream or when the last record is cut short.
    bool next(RecordHeader& header, const std::uint8_t*& payload);

private:
    bool fill(std::size_t need);

    ByteSource& source_;
    std::unique_ptr<std::uint8_t[]> buf_;
    std::size_t cap_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
};

} // namespace linescope
