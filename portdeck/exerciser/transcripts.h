#pragma once
// What an emulated ISDN TA received, read from its transcript as the run goes
// and held against what a user may expect of the configuration form:
//  - once the form is hidden, none of its commands reaches the device (the
//    one command that may still have been on its way is let pass);
//  - every write of settings ends with its store command ("&W") or with a
//    message that says it did not;
//  - while the TA restarts, it is sent nothing but probes (queries that are
//    repeated when they go unanswered).
// The transcript is tallysim's (--log --log-times); the checks are plain
// functions of its lines, so that they can be tried on literal transcripts.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace exerciser {

struct TranscriptLine {
    qint64 ms = -1;     // monotonic clock, -1 when the transcript has no times
    char kind = 0;      // '>' received, '<' sent, '#' event
    QString text;       // with "\r" as the two characters tallysim writes
};

// One line of a transcript ("[ms] > text", or without the time).
std::optional<TranscriptLine> parseTranscriptLine(const QByteArray &line);

// The command as the device got it, without its "\r".
QString commandOf(const TranscriptLine &line);
// A command only the ISDN TA's configuration form sends (not Portdeck, not
// the firmware updater, not a line typed into the terminal).
bool isFormCommand(const QString &command);
// A command that changes a setting of the TA without storing it.
bool isSettingsWrite(const QString &command);
// A command that stores the settings ("&W" in any letter case).
bool isStore(const QString &command);
// A command after which the TA restarts.
bool isRestart(const QString &command);
// A query, repeated by its sender when it goes unanswered.
bool isProbe(const QString &command);

// Texts by which the form says that a write was not stored.
bool saysNotStored(const QString &boxText);

class TranscriptWatch {
public:
    struct Settings {
        qint64 saveBoundMs = 60000;      // a write must be stored or reported within this
        qint64 restartWindowMs = 0;      // 0: the restart check is off
    };
    TranscriptWatch(const QString &path, const QString &device, Settings settings);
    void setSettings(Settings settings) { settings_ = settings; }

    // The form was hidden, or shown again.
    void formHidden();
    void formShown();
    // A box of the program was shown (any text).
    void boxShown(const QString &text, qint64 nowMs);

    // Reads what the device received since the last look and checks it;
    // returns the faults found (empty when none).
    QStringList poll(qint64 nowMs);
    // Feeds lines directly (the checks of poll, for literal transcripts).
    QStringList feed(const QList<TranscriptLine> &lines, qint64 nowMs);

    bool savePending() const { return pendingSince_ >= 0; }

private:
    QString path_;
    QString device_;
    Settings settings_;
    qint64 offset_ = 0;
    QByteArray partial_;
    // hidden form: commands received since it was hidden
    bool hidden_ = false;
    int hiddenLines_ = 0;
    // a write not yet stored
    qint64 pendingSince_ = -1;
    QString pendingCommand_;
    // a restart under way: until this time (monotonic ms)
    qint64 restartUntil_ = -1;
    QString restartCommand_;
};

} // namespace exerciser
