#pragma once
// The serial port component. One object per port the program uses; the
// device behind a COM number comes from tl::comPortDevice().
//
// How received characters are shared, chunk by chunk as they arrive:
//  - attached data packets and the data triggers see every character, always;
//  - during a wait, the innermost wait takes characters from the input buffer up
//    to its match; the rest stays buffered for the next wait;
//  - outside a wait, triggerAvail(count) fires with the new characters as the
//    first `count` of the buffer; what its handlers do not take is dropped after
//    the event, so a later wait never matches an old answer;
//  - packet and trigger events come after the data-available event, in arrival order.

#include "serialportaccess.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

class QSerialPort;
class TApdDataPacket;

// Raised by open, putString and the other calls that need an open port.
class EApdPortError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// open(): the port cannot be opened for a reason the user can act on.
class EApdPortAccessError : public EApdPortError {
public:
    explicit EApdPortAccessError(const tl::PortAccessProblem &problem);
    const tl::PortAccessProblem &problem() const { return problem_; }
    int comNumber() const { return problem_.comNumber; }
    QString device() const { return problem_.device; }

private:
    tl::PortAccessProblem problem_;
};

// The user may not open the device node. group is the node's group;
// groupGrantsAccess tells whether joining it would help.
class EApdPortNoPermission : public EApdPortAccessError {
public:
    using EApdPortAccessError::EApdPortAccessError;
    QString group() const { return problem().group; }
    bool groupGrantsAccess() const { return problem().groupGrantsAccess; }
};

// Another program holds the port: by a lock file (pid and program known) or
// by exclusive use (pid 0, program unknown).
class EApdPortInUse : public EApdPortAccessError {
public:
    using EApdPortAccessError::EApdPortAccessError;
    qint64 pid() const { return problem().pid; }
    QString program() const { return problem().program; }
};

enum class TapiMode { tmAuto, tmOn, tmOff };

class TApdComPort : public QObject {
    Q_OBJECT
public:
    explicit TApdComPort(QObject *parent = nullptr);
    ~TApdComPort() override;

    void setComNumber(int n);          // takes effect at the next open
    int comNumber() const;
    void setBaud(int baud);            // default 57600
    int baud() const;
    void setTapiMode(TapiMode mode);   // recorded only; the TAPI device uses it
    TapiMode tapiMode() const;

    // Throws EApdPortNoPermission or EApdPortInUse when that is why the port
    // cannot be opened, EApdPortError for anything else.
    void open();
    void close();                      // no-op when closed
    bool isOpen() const;
    void setOpen(bool on) { on ? open() : close(); }

    void setDTR(bool on);              // ignored where the device cannot do it
    bool dtr() const;

    void putString(const QByteArray &text);     // throws EApdPortError when closed
    void putString(const QString &text) { putString(text.toLatin1()); }

    // Input buffer: characters received and not yet taken.
    int charReady() const;
    char peekChar(int index) const;             // 0-based, index < charReady()
    char getChar();                             // takes one; 0 when empty
    QByteArray getBlock(int count);
    void flushInBuffer();

    // Waits for one of the "^"-separated alternatives (or another separator),
    // letter case ignored when ignoreCase. Takes the characters from the input
    // buffer (those already buffered first), passes each to the wait-character
    // hook, and returns the 1-based index of the first alternative completed, 0 at
    // time-out or when the port is closed or vanishes during the wait.
    int waitForMultiString(const QString &alternatives, int timeoutTicks, bool yield,
                           bool ignoreCase = true, QChar separator = QLatin1Char('^'));

    // Called with every character a wait takes from the buffer.
    void setWaitCharHook(std::function<void(char)> hook);

    // Data triggers: exact text, letter case significant (unless ignoreCase),
    // one triggerData(handle) per occurrence, also when split over reads.
    int addDataTrigger(const QByteArray &text, bool ignoreCase = false);  // handle > 0
    void removeTrigger(int handle);

    // Data packets attach themselves here and see every character received.
    void attachPacket(TApdDataPacket *packet);
    void detachPacket(TApdDataPacket *packet);

    // While a file transfer runs it takes every received character through this
    // sink instead of the input buffer (packets and triggers still see them).
    // The sink returns how many characters of the chunk it took: when the
    // transfer ends inside a chunk, the rest (the device's first words after
    // it) goes where data goes without a sink. An empty function gives the data
    // back to the buffer.
    void setDataSink(std::function<qsizetype(const QByteArray &)> sink);

    // Number of received chunks so far; a packet armed now ignores those.
    quint64 chunkSerial() const;

signals:
    void triggerAvail(int count);      // new characters are in the input buffer
    void triggerData(int handle);      // a data trigger fired
    void portClosed();                 // closed by close() or because the device vanished
    void portError(const QString &message);

private:
    struct Impl;
    Impl *d;
};
