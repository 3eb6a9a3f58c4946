#include "transcripts.h"

#include <QFile>

namespace exerciser {

namespace {

bool startsWithAny(const QString &text, std::initializer_list<const char *> prefixes)
{
    for (const char *p : prefixes)
        if (text.startsWith(QLatin1String(p)))
            return true;
    return false;
}

} // namespace

std::optional<TranscriptLine> parseTranscriptLine(const QByteArray &raw)
{
    QByteArray line = raw;
    if (line.endsWith('\r'))
        line.chop(1);
    TranscriptLine out;
    if (line.startsWith('[')) {
        const int close = line.indexOf("] ");
        if (close < 0)
            return std::nullopt;
        bool ok = false;
        out.ms = line.mid(1, close - 1).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        line = line.mid(close + 2);
    }
    if (line.size() < 2 || line.at(1) != ' ' || (line.at(0) != '>' && line.at(0) != '<' && line.at(0) != '#'))
        return std::nullopt;
    out.kind = line.at(0);
    out.text = QString::fromLatin1(line.mid(2));
    return out;
}

QString commandOf(const TranscriptLine &line)
{
    QString text = line.text;
    if (text.endsWith(QLatin1String("\\r")))
        text.chop(2);
    return text;
}

bool isFormCommand(const QString &c)
{
    if (!c.startsWith(QLatin1String("AT"), Qt::CaseInsensitive))
        return false;
    // Portdeck's own: identity, switch settings, call log, detection, country query.
    if (c.compare(QLatin1String("ati7"), Qt::CaseInsensitive) == 0 || c == QLatin1String("ati12") ||
        c == QLatin1String("ati17") || c == QLatin1String("ati18") || c == QLatin1String("ATE0Q0V1") ||
        c == QLatin1String("AT~C?"))
        return false;
    // The clock is set by both, Portdeck during detection and the form after its first read-back.
    if (startsWithAny(c, {"AT#D=", "AT#T="}))
        return false;
    // The firmware updater's.
    if (c == QLatin1String("AT~D") || c == QLatin1String("at~x!"))
        return false;
    return true;
}

bool isStore(const QString &c)
{
    return c.contains(QLatin1String("&w"), Qt::CaseInsensitive);
}

bool isSettingsWrite(const QString &c)
{
    if (!isFormCommand(c) || isStore(c))
        return false;
    // The SPID command is kept by the TA itself; the wizard's Stop sets nothing.
    if (c.startsWith(QLatin1String("at*Z")) || c == QLatin1String("AT*z"))
        return false;
    return c.contains(QLatin1Char('=')) || c.startsWith(QLatin1String("AT&F"), Qt::CaseInsensitive);
}

bool isRestart(const QString &c)
{
    return c == QLatin1String("ATZ!") || c.compare(QLatin1String("ATZ"), Qt::CaseInsensitive) == 0 ||
           c == QLatin1String("at&wz!");
}

bool isProbe(const QString &c)
{
    return c.startsWith(QLatin1String("ati"), Qt::CaseInsensitive) ||
           c.compare(QLatin1String("at~c?"), Qt::CaseInsensitive) == 0 || c.compare(QLatin1String("AT")) == 0 ||
           c == QLatin1String("ATE0Q0V1") || startsWithAny(c, {"AT#D=", "AT#T="});
}

bool saysNotStored(const QString &text)
{
    return text.startsWith(QLatin1String("The changed settings were not saved")) ||
           text.startsWith(QLatin1String("Error while trying to configure the modem")) ||
           text.startsWith(QLatin1String("Failed to recieve response from modem"));
}

TranscriptWatch::TranscriptWatch(const QString &path, const QString &device, Settings settings)
    : path_(path), device_(device), settings_(settings)
{
}

void TranscriptWatch::formHidden()
{
    hidden_ = true;
    hiddenLines_ = 0;
}

void TranscriptWatch::formShown()
{
    hidden_ = false;
}

void TranscriptWatch::boxShown(const QString &text, qint64)
{
    if (saysNotStored(text)) {
        pendingSince_ = -1;
        pendingCommand_.clear();
    }
}

QStringList TranscriptWatch::poll(qint64 nowMs)
{
    QFile f(path_);
    QList<TranscriptLine> lines;
    if (f.open(QIODevice::ReadOnly)) {
        if (f.size() < offset_)   // a new transcript: the device started afresh
            offset_ = 0;
        f.seek(offset_);
        partial_ += f.readAll();
        offset_ = f.pos();
        const int end = partial_.lastIndexOf('\n');
        if (end >= 0) {
            for (const QByteArray &raw : partial_.left(end).split('\n'))
                if (const auto line = parseTranscriptLine(raw))
                    lines << *line;
            partial_ = partial_.mid(end + 1);
        }
    }
    return feed(lines, nowMs);
}

QStringList TranscriptWatch::feed(const QList<TranscriptLine> &lines, qint64 nowMs)
{
    QStringList faults;
    for (const TranscriptLine &line : lines) {
        if (line.kind != '>')
            continue;
        const QString command = commandOf(line);
        if (hidden_) {
            // The first line may have been sent just before the form went.
            if (++hiddenLines_ > 1 && isFormCommand(command))
                faults << QStringLiteral("%1 received \"%2\" from the configuration form after it was hidden")
                              .arg(device_, command);
        }
        if (restartUntil_ >= 0 && line.ms >= 0) {
            if (line.ms <= restartUntil_ && !isProbe(command))
                faults << QStringLiteral("%1 received \"%2\" while it restarted after \"%3\"")
                              .arg(device_, command, restartCommand_);
            if (line.ms > restartUntil_)
                restartUntil_ = -1;
        }
        if (isSettingsWrite(command) && pendingSince_ < 0) {
            pendingSince_ = nowMs;
            pendingCommand_ = command;
        } else if (isStore(command)) {
            pendingSince_ = -1;
            pendingCommand_.clear();
        } else if (isRestart(command) && pendingSince_ >= 0) {
            faults << QStringLiteral("%1 restarted (\"%2\") with the write \"%3\" not stored")
                          .arg(device_, command, pendingCommand_);
            pendingSince_ = -1;
        }
        if (isRestart(command) && settings_.restartWindowMs > 0 && line.ms >= 0) {
            restartUntil_ = line.ms + settings_.restartWindowMs;
            restartCommand_ = command;
        }
    }
    if (pendingSince_ >= 0 && nowMs - pendingSince_ > settings_.saveBoundMs) {
        faults << QStringLiteral("%1 was written \"%2\" %3 ms ago; it was neither stored nor reported unsaved")
                      .arg(device_, pendingCommand_)
                      .arg(nowMs - pendingSince_);
        pendingSince_ = -1;
    }
    return faults;
}

} // namespace exerciser
