#pragma once
// Finding the COM port of a TAPI device in the registry store, in the two
// registry layouts of the original platform. Entries whose "AttachedTo" or
// "PORTNAME" is not "COM" followed by a number are skipped.

#include <QString>
#include <functional>

using LookupLog = std::function<void(const char *format, const QString &text)>;

// Modem class layout: System\CurrentControlSet\Services\Class\Modem\0nnn with
// "DriverDesc" equal to name; a USB modem's port is found under Enum\<bus>.
// The last match wins; 0 when none.
int GetComPort(const QString &name, const LookupLog &log = {});

// Class layout: SYSTEM\CurrentControlSet\Control\Class\{class}\0nnn with
// "FriendlyName" equal to name. The first match wins; 0 when none.
int GetComPortFromRegOnNT(const QString &name, const LookupLog &log = {});

// "COM3" -> 3; 0 when the text after the first three characters is not a
// positive decimal number.
int comNumberFromText(const QString &text);
