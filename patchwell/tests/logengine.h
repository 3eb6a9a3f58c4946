#pragma once
// A recording engine that also keeps an event log: records the test sets,
// handed out by position as the engine's methods 27, 32 and 33 do.

#include "recordingengine.h"

#include <QDateTime>

class LogEngine : public RecordingEngine {
public:
    struct Record {
        QDateTime time;
        int kind;
        QString first;
        QString second;
    };
    QList<Record> records;
    QString logDirectory;

    QVariant Invoke(int id, QVariantList &args, bool *ok) override
    {
        const QVariant answer = RecordingEngine::Invoke(id, args, ok);
        const int at = args.value(0).toInt();
        switch (id) {
        case pw::DispGetLogRecordCount:
            return qlonglong(records.size());
        case pw::DispGetLogRecordTime:
            return records.value(at).time;
        case pw::DispGetLogRecord:
            if (at < 0 || at >= records.size())
                return -1;
            args[1] = records[at].first;
            args[2] = records[at].second;
            return records[at].kind;
        case pw::DispGetLogDirectory:
            return logDirectory;
        default:
            return answer;
        }
    }
};
