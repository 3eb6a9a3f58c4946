#pragma once
// What the randomized exercisers share: the options every one of them takes,
// the time-seeded default, the action log's place, and the note a crash leaves
// on stderr (the seed and where the actions are), written as it is.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace exerciser {

// --seed, --seconds, --log, --time-scale, --watchdog and --stuck into options
// (fields of those names) and scale; flag(arg) takes an option of its own
// without a value, more(arg, value, ok) one with a value. False on anything else.
template <class Options>
bool parseCommonArguments(int argc, char **argv, Options &o, QByteArray &scale,
                          const std::function<bool(const QByteArray &)> &flag = {},
                          const std::function<bool(const QByteArray &, const QByteArray &, bool &)> &more = {})
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (flag && flag(arg))
            continue;
        if (i + 1 >= argc)
            return false;
        const QByteArray value = argv[++i];
        bool ok = true;
        if (arg == "--seed")
            o.seed = value.toULongLong(&ok);
        else if (arg == "--seconds")
            o.seconds = value.toInt(&ok);
        else if (arg == "--log")
            o.logPath = QString::fromLocal8Bit(value);
        else if (arg == "--time-scale")
            scale = value;
        else if (arg == "--watchdog")
            o.watchdogSeconds = value.toInt(&ok);
        else if (arg == "--stuck")
            o.stuckSeconds = value.toInt(&ok);
        else if (!more || !more(arg, value, ok))
            return false;
        if (!ok)
            return false;
    }
    return true;
}

inline quint64 seedFromClock()
{
    return static_cast<quint64>(std::chrono::system_clock::now().time_since_epoch().count()) % 1000000007ULL;
}

// The clock of a run: the option, else TALLYLINE_TIME_SCALE, else 0.05.
inline QByteArray defaultScale()
{
    const QByteArray scale = qgetenv("TALLYLINE_TIME_SCALE");
    return scale.isEmpty() ? QByteArrayLiteral("0.05") : scale;
}

// The action log named after the seed when none was given, absolute: the run
// moves into a directory of its own.
inline QString absoluteLogPath(const QString &given, const QString &prefix, quint64 seed)
{
    QString path = given.isEmpty() ? QStringLiteral("%1-%2.log").arg(prefix).arg(seed) : given;
    if (!path.startsWith(QLatin1Char('/')))
        path = QDir::currentPath() + QLatin1Char('/') + path;
    return path;
}

namespace detail {
inline char crashNote[1024];
inline size_t crashNoteLength = 0;
inline void onCrash(int sig)
{
    [[maybe_unused]] ssize_t n = ::write(2, crashNote, crashNoteLength);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}
} // namespace detail

inline void noteCrashes(quint64 seed, const QString &logPath)
{
    const int n = std::snprintf(detail::crashNote, sizeof detail::crashNote,
                                "exerciser: FAILED (seed %llu): crashed; action log %s\n",
                                static_cast<unsigned long long>(seed), qPrintable(logPath));
    detail::crashNoteLength = std::min(size_t(std::max(n, 0)), sizeof detail::crashNote - 1);
    for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        std::signal(sig, detail::onCrash);
}

} // namespace exerciser
