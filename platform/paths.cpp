#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace tl {

QString tallylineRoot()
{
    QString root = qEnvironmentVariable("TALLYLINE_ROOT");
    if (root.isEmpty()) {
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        if (data.isEmpty())
            data = QDir::homePath() + QStringLiteral("/.local/share");
        root = data + QStringLiteral("/tallyline");
    }
    root = QDir::cleanPath(root);
    QDir().mkpath(root);
    return root;
}

QString moduleFileName(const QString &name)
{
    // Only the file part is renamed; a directory in front stays as given.
    const qsizetype cut = qMax(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const QString dir = name.left(cut + 1);
    const QString file = name.mid(cut + 1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return name;
    const QString base = file.left(dot).toLower();
    const QString ext = file.mid(dot + 1);
    if (ext.compare(QLatin1String("exe"), Qt::CaseInsensitive) == 0)
        return dir + base;
    if (ext.compare(QLatin1String("dll"), Qt::CaseInsensitive) == 0
        || ext.compare(QLatin1String("ocx"), Qt::CaseInsensitive) == 0)
        return dir + QStringLiteral("lib") + base + QStringLiteral(".so");
    return name;
}

namespace {

// The original platform ignores letter case in file names; a path that does not
// exist as written is looked up entry by entry ignoring case, so "PD32x32.ICO"
// still finds "pd32x32.ico". A path with no such match is returned as written.
QString resolveLetterCase(const QString &path)
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QString();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        const QString candidate = current + part;
        QString next = candidate;
        if (!QFileInfo::exists(candidate) && part != QLatin1String(".") && part != QLatin1String("..")) {
            const QDir dir(current.isEmpty() ? QStringLiteral(".") : current);
            const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            bool found = false;
            for (const QString &entry : entries) {
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    next = current + entry;
                    found = true;
                    break;
                }
            }
            if (!found)
                return path;
        }
        current = next;
        if (i + 1 < parts.size())
            current += QLatin1Char('/');
    }
    return current;
}

} // namespace

QString mapPath(const QString &platformPath)
{
    QString path = platformPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));

    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]):/*(.*)$"));
    const QRegularExpressionMatch m = drive.match(path);
    if (m.hasMatch()) {
        // The drive itself always exists, as it would on the original machine.
        const QString driveDir = tallylineRoot() + QStringLiteral("/drive_") + m.captured(1).toLower();
        QDir().mkpath(driveDir);
        path = driveDir + QLatin1Char('/') + m.captured(2);
    }
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString file = path.mid(slash + 1);
    if (!file.isEmpty())
        path = path.left(slash + 1) + moduleFileName(file);
    // Doubled separators read as single ones, as they do on the original platform.
    if (!path.isEmpty())
        path = QDir::cleanPath(path);
    return resolveLetterCase(path);
}

QString programDirectory()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    return self.canonicalFilePath().isEmpty() ? QDir::currentPath() : self.canonicalPath();
}

namespace {

// Set by the build from the install layout; the usual one when built otherwise.
#ifndef TALLYLINE_BIN_TO_LIBDIR
#define TALLYLINE_BIN_TO_LIBDIR "../lib/tallyline"
#endif
#ifndef TALLYLINE_BIN_TO_DATADIR
#define TALLYLINE_BIN_TO_DATADIR "../share/tallyline"
#endif

QString below(const QString &directory, const char *relative)
{
    return QDir::cleanPath(directory + QLatin1Char('/') + QLatin1String(relative));
}

} // namespace

QString installedLibraryDirectory(const QString &directory)
{
    return below(directory, TALLYLINE_BIN_TO_LIBDIR);
}

QString installedDataDirectory(const QString &directory)
{
    return below(directory, TALLYLINE_BIN_TO_DATADIR);
}

QString installedFile(const QString &platformPath, InstalledKind kind)
{
    const QString mapped = mapPath(platformPath);
    if (mapped.isEmpty() || QFileInfo::exists(mapped))
        return mapped;
    const QFileInfo written(mapped);
    const QString directory = written.absolutePath();
    const QString folder = kind == InstalledKind::Library ? installedLibraryDirectory(directory)
                                                          : installedDataDirectory(directory);
    const QString installed = resolveLetterCase(folder + QLatin1Char('/') + written.fileName());
    return QFileInfo::exists(installed) ? installed : mapped;
}

} // namespace tl
