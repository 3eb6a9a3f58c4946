#pragma once
// Notices when the machine's serial ports may have changed: a device node
// came or went in /dev, a by-id link appeared or moved, the port list in the
// registry store was rewritten, or the node of a registered port (the
// emulator's links) came or went. It only says "look again": the caller
// compares look() with what it saw before.

#include <QFileSystemWatcher>
#include <QMap>
#include <QObject>
#include <QString>

namespace tl {

class SerialPortWatcher : public QObject {
    Q_OBJECT
public:
    explicit SerialPortWatcher(QObject *parent = nullptr);
    // COM number -> device path of the ports whose node exists now; the
    // folders watched follow them (a port registered since the last look may
    // live in a folder not watched yet). Takes tens of milliseconds: call it
    // after the signals have settled, not on each one.
    QMap<int, QString> look();
    // False when the system gave no way to watch (the caller should poll).
    bool isWatching() const { return !watcher_.directories().isEmpty(); }
signals:
    void mayHaveChanged();
private:
    QFileSystemWatcher watcher_;
};

} // namespace tl
