#include "process.h"

#include "clock.h"
#include "paths.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

// Documents and addresses go to the desktop's opener; TALLYLINE_OPENER names
// another one (the demo and the tests use it to see what would be opened).

namespace {

QString opener()
{
    const QString custom = qEnvironmentVariable("TALLYLINE_OPENER");
    return custom.isEmpty() ? QStringLiteral("xdg-open") : custom;
}

bool isProgramName(const QString &file)
{
    return file.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
}

// The program file for a name as the programs give it, or "" when none is found.
QString findProgram(const QString &name, const QString &directory)
{
    const QString mapped = tl::mapPath(name);
    const bool hasDirectory = name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'));
    auto runnable = [](const QString &path) {
        const QFileInfo info(path);
        return info.isFile() && info.isExecutable();
    };
    if (hasDirectory)
        return runnable(mapped) ? mapped : QString();
    QStringList places;
    if (!directory.isEmpty())
        places << tl::mapPath(directory);
    places << tl::programDirectory();
    for (const QString &place : places) {
        const QString candidate = place + QLatin1Char('/') + mapped;
        if (runnable(candidate))
            return candidate;
    }
    return QStandardPaths::findExecutable(mapped);
}

ProcessHandle start(const QString &program, const QStringList &args, const QString &directory)
{
    auto *process = new QProcess;
    process->setProgram(program);
    process->setArguments(args);
    if (!directory.isEmpty())
        process->setWorkingDirectory(tl::mapPath(directory));
    process->start();
    if (!process->waitForStarted(10000)) {
        delete process;
        return nullptr;
    }
    return process;
}

} // namespace

ProcessHandle ShellExecute(const QString &file, const QStringList &args, const QString &directory)
{
    if (file.isEmpty())
        return nullptr;
    const QString program = findProgram(file, directory);
    if (!program.isEmpty())
        return start(program, args, directory);
    if (isProgramName(file))
        return nullptr;
    // A document: it must exist, then the opener shows it.
    QString document = tl::mapPath(file);
    if (QFileInfo(document).isRelative() && !directory.isEmpty())
        document = tl::mapPath(directory) + QLatin1Char('/') + document;
    if (!QFileInfo::exists(document))
        return nullptr;
    return start(opener(), QStringList{document} + args, directory);
}

namespace {

// The programs name the platform's plain text viewer for their text files; here
// the desktop's opener shows them. As that viewer did, it takes everything after
// its name as one document path, blanks and all.
bool isTextViewer(const QString &program)
{
    return program.compare(QLatin1String("notepad"), Qt::CaseInsensitive) == 0
           || program.compare(QLatin1String("notepad.exe"), Qt::CaseInsensitive) == 0;
}

// The first word of a command line (quotes removed) and the rest after it.
QString firstWord(const QString &line, QString *rest)
{
    qsizetype end = 0;
    QString word;
    if (line.startsWith(QLatin1Char('"'))) {
        end = line.indexOf(QLatin1Char('"'), 1);
        if (end < 0)
            end = line.size();
        word = line.mid(1, end - 1);
        end = qMin(end + 1, line.size());
    } else {
        while (end < line.size() && !line.at(end).isSpace())
            ++end;
        word = line.left(end);
    }
    *rest = line.mid(end).trimmed();
    return word;
}

ProcessHandle openInTextViewer(QString document, const QString &directory)
{
    if (document.size() >= 2 && document.startsWith(QLatin1Char('"')) && document.endsWith(QLatin1Char('"')))
        document = document.mid(1, document.size() - 2);
    if (document.isEmpty())
        return nullptr;
    document = tl::mapPath(document);
    if (QFileInfo(document).isRelative() && !directory.isEmpty())
        document = tl::mapPath(directory) + QLatin1Char('/') + document;
    return start(opener(), {document}, directory);
}

} // namespace

ProcessHandle CreateProcess(const QString &commandLine, const QString &directory)
{
    QString rest;
    if (isTextViewer(firstWord(commandLine.trimmed(), &rest)))
        return openInTextViewer(rest, directory);
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return nullptr;
    const QString program = findProgram(words.takeFirst(), directory);
    if (program.isEmpty())
        return nullptr;
    return start(program, words, directory);
}

bool WaitForProcess(ProcessHandle process, int timeoutMs, bool yield)
{
    if (!process)
        return false;
    if (process->state() == QProcess::NotRunning)
        return true;
    if (yield)
        return tl::waitUntil([process] { return process->state() == QProcess::NotRunning; }, timeoutMs, true);
    return process->waitForFinished(timeoutMs < 0 ? -1 : tl::scaledMs(timeoutMs))
           || process->state() == QProcess::NotRunning;
}

void closeProcess(ProcessHandle process)
{
    if (!process)
        return;
    if (process->state() == QProcess::NotRunning) {
        delete process;
        return;
    }
    // Closing the handle does not end the program: let it run, tidy up when it ends.
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
}

bool OpenURL(const QString &url)
{
    if (url.isEmpty())
        return false;
    if (!qEnvironmentVariableIsEmpty("TALLYLINE_OPENER"))
        return QProcess::startDetached(opener(), {url});
    return QDesktopServices::openUrl(QUrl::fromUserInput(url));
}
