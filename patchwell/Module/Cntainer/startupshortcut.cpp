#include "startupshortcut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace startup {

QString ShortcutPath(int osKind)
{
    if (osKind != 1)
        return {};
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/patchwell.desktop");
}

namespace {

// Exec values quote a path with blanks; quotes, backslashes and a few others
// are escaped as the desktop entry format asks.
QString execQuoted(const QString &path)
{
    QString out;
    for (QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    out.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

int UpdateShortcut(bool wanted, int osKind, const QString &programPath)
{
    const QString path = ShortcutPath(osKind);
    if (path.isEmpty())
        return 1;
    const bool exists = QFileInfo::exists(path);
    if (wanted && !exists) {
        QDir().mkpath(QFileInfo(path).path());
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Patchwell\nComment=Patchwell\n"
                                  "Exec=%1\nTerminal=false\nX-GNOME-Autostart-enabled=true\n")
                       .arg(execQuoted(programPath))
                       .toUtf8());
        return file.commit() ? 0 : 3;
    }
    if (!wanted && exists)
        return QFile::moveToTrash(path) || QFile::remove(path) ? 0 : 4;
    return 0;
}

} // namespace startup
