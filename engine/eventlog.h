#pragma once
// The engine's event log: one record per event of an update run, kept in a
// file of the log directory (appended, so it survives restarts), read back by
// position. Routine kinds are kept only when "log all events" is on.

#include <QDateTime>
#include <QString>
#include <QVector>

namespace pw {

struct EventRecord {
    QDateTime time;
    int kind = 0;
    QString first;
    QString second;
};

class EventLog {
public:
    // The folder is created owner-only below base (its parent when empty); no
    // part of it may be a link.
    explicit EventLog(const QString &directory, const QString &base = {});
    QString directory() const { return directory_; }
    QString filePath() const;

    // Kinds worth keeping even when not every event is logged.
    static bool isRoutine(int kind);
    void add(const EventRecord &record, bool logAll);
    int count() const;
    const EventRecord *at(int index) const;
    void clear();

    // One record as a line of the file, and back; false for a damaged line.
    static QString encode(const EventRecord &record);
    static bool decode(const QString &line, EventRecord &record);

private:
    void load() const;
    bool append(const QByteArray &line);
    QString directory_;
    QString base_;
    mutable QVector<EventRecord> records_;
    mutable bool loaded_ = false;
};

} // namespace pw
