#pragma once
// A named block of memory shared between processes (a file under
// $TALLYLINE_ROOT/shm mapped into each process).

#include <QString>
#include <cstddef>

class SharedMemoryBlock {
public:
    explicit SharedMemoryBlock(const QString &name);
    ~SharedMemoryBlock();
    SharedMemoryBlock(const SharedMemoryBlock &) = delete;
    SharedMemoryBlock &operator=(const SharedMemoryBlock &) = delete;

    bool create(std::size_t size);    // creates or opens with at least size bytes, zero-filled when new
    bool open();                      // opens an existing block; false when none
    void close();
    void *data() const { return data_; }
    std::size_t size() const { return size_; }
    bool isOpen() const { return data_ != nullptr; }
private:
    QString name_;
    bool map(int fd);
    int fd_ = -1;               // kept open: its shared flock tells others the block is in use
    void *data_ = nullptr;
    std::size_t size_ = 0;
};
