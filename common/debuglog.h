#pragma once
// The debug log shared by Portdeck and Quillon: "c:\\pdlog.txt", opened and
// closed for every line, each line stamped with the minutes, seconds and
// hundredths of the time of day, then two blanks and a colon.

#include <QString>
#include <QTime>
#include <functional>

class DebugLog {
public:
    static constexpr const char *kDefaultFile = "c:\\pdlog.txt";

    explicit DebugLog(const QString &platformFile = QString::fromLatin1(kDefaultFile));

    // Logging on or off; while off every call does nothing, also for the sink.
    void setEnabled(bool on) { enabled_ = on; }
    bool isEnabled() const { return enabled_; }

    // A second destination for each line (the debug window): receives the time
    // stamp, ": " and the message without its trailing line feed.
    void setSink(std::function<void(const QString &)> sink) { sink_ = std::move(sink); }

    // Truncates the file and writes the start lines (only when enabled).
    void start();

    // The log family: a printf-style format ending in "\n" and its arguments.
    void log(const char *format);
    void log(const char *format, const char *text);
    void log(const char *format, const QString &text);
    void log(const char *format, int value);
    void log(const char *format, int first, int second);

    // "%02d:%02d:%02d" of minutes, seconds and hundredths.
    static QString timeStamp(const QTime &time);

    // The clock the stamps come from; tests fix it.
    void setClock(std::function<QTime()> clock) { clock_ = std::move(clock); }

    QString filePath() const { return path_; }

private:
    void write(const QByteArray &message);

    QString path_;
    bool enabled_ = false;
    std::function<void(const QString &)> sink_;
    std::function<QTime()> clock_;
};
