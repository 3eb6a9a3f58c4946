#pragma once
// Registering (or unregistering) the engine library as a control: load it,
// call its entry point, report each failure in the framework's own words.

#include <QString>

class QWidget;

enum RegistrationResult { RegOk = 0, RegOleFailed = 2, RegLoadFailed = 3, RegNoEntryPoint = 4, RegCallFailed = 5 };

// entryPoint is "DllRegisterServer" or "DllUnregisterServer".
int RegisterControl(const QString &path, const char *entryPoint, bool withMessages, QWidget *parent = nullptr);
