#include "eventlog.h"

#include "safefs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {

namespace {

// Tabs and line ends inside a text would break the record apart.
QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString unescaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar n = text[++i];
        out += n == QLatin1Char('t') ? QChar('\t') : n == QLatin1Char('n') ? QChar('\n') : n == QLatin1Char('r') ? QChar('\r') : n;
    }
    return out;
}

} // namespace

EventLog::EventLog(const QString &directory, const QString &base)
    : directory_(directory), base_(base.isEmpty() ? QFileInfo(directory).path() : base)
{
}

QString EventLog::filePath() const
{
    return directory_ + QStringLiteral("/events.log");
}

bool EventLog::isRoutine(int kind)
{
    // Up to date, the dial-up and download steps: the log-all setting decides.
    return kind == 1 || (kind >= 2 && kind <= 9) || kind == 22;
}

QString EventLog::encode(const EventRecord &r)
{
    return r.time.toUTC().toString(Qt::ISODateWithMs) + QLatin1Char('\t') + QString::number(r.kind) + QLatin1Char('\t')
           + escaped(r.first) + QLatin1Char('\t') + escaped(r.second);
}

bool EventLog::decode(const QString &line, EventRecord &r)
{
    const QStringList parts = line.split(QLatin1Char('\t'));
    if (parts.size() != 4)
        return false;
    bool ok = false;
    r.time = QDateTime::fromString(parts[0], Qt::ISODateWithMs);
    r.kind = parts[1].toInt(&ok);
    if (!ok || !r.time.isValid() || r.kind < 0 || r.kind > 25)
        return false;
    r.time = r.time.toLocalTime();
    r.first = unescaped(parts[2]);
    r.second = unescaped(parts[3]);
    return true;
}

void EventLog::load() const
{
    if (loaded_)
        return;
    loaded_ = true;
    records_.clear();
    QFile file(filePath());
    if (!safefs::linkBelow(base_, filePath()).isEmpty() || !file.open(QIODevice::ReadOnly))
        return;   // a link in place of the log is not the log
    // A damaged line (a write cut short, a hand edit) costs only itself.
    while (!file.atEnd()) {
        QByteArray raw = file.readLine();
        while (raw.endsWith('\n') || raw.endsWith('\r'))
            raw.chop(1);
        const QString line = QString::fromUtf8(raw);
        EventRecord r;
        if (!line.isEmpty() && decode(line, r))
            records_.push_back(r);
    }
}

void EventLog::add(const EventRecord &record, bool logAll)
{
    if (isRoutine(record.kind) && !logAll)
        return;
    load();
    records_.push_back(record);
    append((encode(record) + QLatin1Char('\n')).toUtf8());
}

bool EventLog::append(const QByteArray &line)
{
    // The log names sites and products of this user: owner-only, like the
    // registry, and never written through a link.
    if (!safefs::makeFolder(base_, directory_, nullptr))
        return false;
    ::chmod(QFile::encodeName(directory_).constData(), 0700);
    const int fd = ::open(QFile::encodeName(filePath()).constData(),
                          O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && (st.st_mode & 077))
        ::fchmod(fd, 0600);
    // A last line cut short (a crash, a full disk) is ended first, so that this
    // record starts a line of its own and is not lost with the damaged one.
    QByteArray out = line;
    char last = '\n';
    if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n')
        out.prepend('\n');
    bool ok = ::write(fd, out.constData(), size_t(out.size())) == out.size();
    ok = ::close(fd) == 0 && ok;
    return ok;
}

int EventLog::count() const
{
    load();
    return int(records_.size());
}

const EventRecord *EventLog::at(int index) const
{
    load();
    return index >= 0 && index < records_.size() ? &records_[index] : nullptr;
}

void EventLog::clear()
{
    records_.clear();
    loaded_ = true;
    QFile::remove(filePath());
}

} // namespace pw
