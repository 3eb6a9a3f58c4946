#pragma once
// Run-time libraries, loaded by the program's own name for them ("quillon.dll")
// through tl::moduleFileName, looked for in the program's directory first, then
// in the installed library folder (tl::installedLibraryDirectory).
// Exports are resolved by exact name (extern "C"); an absent export is null.

#include <QString>

using HMODULE = void *;

HMODULE LoadLibrary(const QString &name);           // null on failure
void *GetProcAddress(HMODULE module, const char *exportName);
bool FreeLibrary(HMODULE module);
QString lastModuleError();                           // why the last LoadLibrary failed
