#pragma once
// COM numbering. Ports named in the registry key HARDWARE\DEVICEMAP\SERIALCOMM
// (HKEY_LOCAL_MACHINE; value name = device path, value = "COMn") take that
// number; every other serial device the system reports gets the next free
// number in name order. Pseudo-terminals are never reported by the system, so
// the emulator and the tests always register themselves in the key.

#include <QMap>
#include <QString>

namespace tl {

// COM number -> device path, freshly computed.
QMap<int, QString> comPortMap();
// Device path of COMn, or "" when there is none.
QString comPortDevice(int comNumber);

// The folder of the stable links: /dev/serial/by-id, or TALLYLINE_SERIAL_BY_ID_DIR.
QString serialByIdDirectory();
// A name for the device behind COMn that outlives its device node: the link
// in the by-id directory (/dev/serial/by-id, or TALLYLINE_SERIAL_BY_ID_DIR)
// that leads to it, built from the USB serial number. "" when there is none.
QString comPortStableName(int comNumber);
// The COM number of the device a stable name leads to now; 0 while it is
// away. A USB device that resets may come back under another node and number.
int comPortByStableName(const QString &stableName);

} // namespace tl

// True when COMn exists now and could be opened (the device node is present).
bool IsPortAvailable(int comNumber);
