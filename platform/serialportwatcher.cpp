#include "serialportwatcher.h"

#include "comports.h"
#include "registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace tl {

SerialPortWatcher::SerialPortWatcher(QObject *parent) : QObject(parent)
{
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &SerialPortWatcher::mayHaveChanged);
    look();
}

QMap<int, QString> SerialPortWatcher::look()
{
    const QMap<int, QString> all = comPortMap();
    QMap<int, QString> present;
    const QString byId = serialByIdDirectory();
    const QString store = reg::storeDirectory();
    QSet<QString> wanted{QStringLiteral("/dev"), QFileInfo(byId).absolutePath(), byId,
                         QFileInfo(store).absolutePath(), store};
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        wanted.insert(QFileInfo(it.value()).absolutePath());
        if (QFileInfo::exists(it.value()))
            present.insert(it.key(), it.value());
    }
    QStringList add;
    for (const QString &dir : std::as_const(wanted)) {
        if (!watcher_.directories().contains(dir) && QFileInfo(dir).isDir())
            add << dir;
    }
    if (!add.isEmpty()) {
        watcher_.addPaths(add);
        // A node made in a new folder before it was watched would go unseen:
        // the caller looks once more.
        QMetaObject::invokeMethod(this, &SerialPortWatcher::mayHaveChanged, Qt::QueuedConnection);
    }
    return present;
}

} // namespace tl
