#pragma once
// Why a serial device cannot be opened, in terms a user can act on: the
// device node's group when permission is missing, the program that holds the
// port when it is in use (a UUCP lock file naming a live process, or a port
// opened for exclusive use).

#include <QString>
#include <optional>

namespace tl {

struct SerialLockHolder {
    qint64 pid = 0;
    QString program;     // the process's name; may be empty
};

// The live process other than this one that a lock file in the lock
// directories names for this device; nullopt when there is none. Lock files
// of processes that ended are ignored (and left alone: they are not ours).
std::optional<SerialLockHolder> serialLockHolder(const QString &device);

// The lock directories looked at: /var/lock and /run/lock, or the
// colon-separated list in TALLYLINE_SERIAL_LOCK_DIRS (tests point it at a
// directory of their own).
QStringList serialLockDirectories();

// Why COMn cannot be opened, when it is for one of the reasons a user can
// act on.
struct PortAccessProblem {
    enum Kind { None, NoPermission, InUse };
    Kind kind = None;
    int comNumber = 0;
    QString device;
    QString group;                 // NoPermission: the device node's group
    bool groupGrantsAccess = false;  // NoPermission: joining the group would help
    qint64 pid = 0;                // InUse: the holder from its lock file, 0 when unknown
    QString program;               // InUse: its name; may be empty
};

// Looks at COMn's device now, as open() would: another program's lock file,
// then the system's answer to opening it (the device is closed again at once).
PortAccessProblem portAccessProblem(int comNumber);
// The same for a known lock holder or errno.
PortAccessProblem lockedBy(int comNumber, const QString &device, const SerialLockHolder &holder);
PortAccessProblem openRefused(int comNumber, const QString &device, int error);

// The group of the device node, by name (the number when it has none), and
// whether membership of it would give read and write access.
struct DeviceGroup {
    QString name;
    bool grantsAccess = false;
};
DeviceGroup deviceGroup(const QString &device);

// The system's answer to opening the device now: 0 when it opens, else errno.
// The device is closed again at once.
int probeOpen(const QString &device);

// Tests only: opening this device fails with the given errno, as it would
// for an ordinary user (root passes the permission and exclusive-use checks
// a test needs to see fail). 0 removes the entry.
void setOpenErrorForTesting(const QString &device, int error);
int openErrorForTesting(const QString &device);

} // namespace tl
