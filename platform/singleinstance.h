#pragma once
// Named locks for one instance per machine. The lock lives under
// $TALLYLINE_ROOT/locks; the lock of a process that died is taken over.

#include <QString>

class NamedMutex {
public:
    explicit NamedMutex(const QString &name);
    ~NamedMutex();                    // releases when held
    NamedMutex(const NamedMutex &) = delete;
    NamedMutex &operator=(const NamedMutex &) = delete;

    // True when a live process holds the lock now.
    static bool exists(const QString &name);
    // Takes the lock; false when another live process holds it.
    bool create();
    void release();
    bool isHeld() const { return fd_ >= 0; }
private:
    QString name_;
    int fd_ = -1;
};
