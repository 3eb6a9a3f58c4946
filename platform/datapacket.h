#pragma once
// Data packet: collects text from a port that begins with a start string and
// ends with an end string, and delivers it once per arming.

#include <QObject>
#include <QString>

class TApdComPort;
class ScaledTimer;

enum class StartCond { scString, scAnyData };   // scAnyData: the first character starts it
enum class EndCond { ecString, ecPacketSize, ecStringOrSize };

class TApdDataPacket : public QObject {
    Q_OBJECT
public:
    explicit TApdDataPacket(QObject *parent = nullptr);
    ~TApdDataPacket() override;

    void setComPort(TApdComPort *port);          // attaches to the port
    TApdComPort *comPort() const;

    void setStartString(const QString &s);       // "?" = any character
    void setStartCond(StartCond c);
    void setEndString(const QString &s);
    void setEndCond(EndCond c);
    void setIncludeStrings(bool on);             // start and end strings in the text (default true)
    void setIgnoreCase(bool on);                 // default true
    void setPacketSize(int n);                   // size limit; 0 = none
    void setTimeout(int ticks);                  // 0 = none; counted from the packet's start
    void setAutoEnable(bool on);                 // re-arm after each packet (default false)
    void setEnabled(bool on);                    // arming starts a fresh match
    bool isEnabled() const;

    // Feeds received characters (called by the port).
    void feed(const char *data, int len);
    // As feed(), for the port's chunk `serial`; chunks that came in before the
    // packet was armed are ignored, so an answer never starts from older text.
    void feedChunk(const char *data, int len, quint64 serial);

signals:
    void stringPacket(const QString &data);      // once per arming
    void packetTimeout();

private:
    struct Impl;
    Impl *d;
};
