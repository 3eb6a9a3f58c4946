#include "debuglog.h"

#include "paths.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {

QByteArray formatted(const char *format, auto... args)
{
    // Formats are fixed texts of the programs; the length is measured first so
    // that no argument, however long, is cut or overruns a buffer.
    const int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0)
        return {};
    QByteArray out(length, '\0');
    std::snprintf(out.data(), std::size_t(length) + 1, format, args...);
    return out;
}

bool appendToFile(const QString &path, const QByteArray &bytes, const char *mode)
{
    std::FILE *file = std::fopen(QFile::encodeName(path).constData(), mode);
    if (!file)
        return false;   // a log that cannot be opened is not reported
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), file);
    std::fclose(file);
    return true;
}

} // namespace

DebugLog::DebugLog(const QString &platformFile)
    : path_(tl::mapPath(platformFile)), clock_([] { return QTime::currentTime(); })
{
}

QString DebugLog::timeStamp(const QTime &time)
{
    return QString::asprintf("%02d:%02d:%02d", time.minute(), time.second(), time.msec() / 10);
}

void DebugLog::start()
{
    if (!enabled_)
        return;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const QByteArray lines = "start of log file\n" + timeStamp(clock_()).toLatin1() + "  : start\n";
    appendToFile(path_, lines, "wb");
}

void DebugLog::write(const QByteArray &message)
{
    if (!enabled_)
        return;
    const QByteArray stamp = timeStamp(clock_()).toLatin1();
    if (!appendToFile(path_, stamp + "  :" + message, "ab")) {
        QDir().mkpath(QFileInfo(path_).absolutePath());
        appendToFile(path_, stamp + "  :" + message, "ab");
    }
    if (sink_) {
        QByteArray line = stamp + ": " + message;
        if (!line.isEmpty())
            line.chop(1);   // the trailing line feed
        sink_(QString::fromLatin1(line));
    }
}

void DebugLog::log(const char *format)
{
    if (enabled_)
        write(formatted(format));
}

void DebugLog::log(const char *format, const char *text)
{
    if (enabled_)
        write(formatted(format, text ? text : ""));
}

void DebugLog::log(const char *format, const QString &text)
{
    if (enabled_)
        write(formatted(format, text.toLatin1().constData()));
}

void DebugLog::log(const char *format, int value)
{
    if (enabled_)
        write(formatted(format, value));
}

void DebugLog::log(const char *format, int first, int second)
{
    if (enabled_)
        write(formatted(format, first, second));
}
