#pragma once
// Machine state and path names. TALLYLINE_ROOT holds the registry store, the
// mapped drive c: and the locks; path texts of the original platform are mapped
// here to this machine's paths.

#include <QString>

namespace tl {

// $TALLYLINE_ROOT, else $XDG_DATA_HOME/tallyline, else ~/.local/share/tallyline.
// The directory is created on first use.
QString tallylineRoot();

// "c:\\pdlog.txt" -> "$TALLYLINE_ROOT/drive_c/pdlog.txt"; "d:\\x" -> ".../drive_d/x";
// backslashes become slashes; a relative text stays relative (current directory);
// the file part goes through moduleFileName().
QString mapPath(const QString &platformPath);

// Program and library names of the original platform to this platform's:
// "Patchwell.exe" -> "patchwell", "quillon.dll" -> "libquillon.so",
// "Mantlet.dll" -> "libmantlet.so", "Patchwell.ocx" -> "libpatchwell.so".
// Other names are returned unchanged.
QString moduleFileName(const QString &name);

// Directory of the running program (where its libraries and helper programs lie).
QString programDirectory();

} // namespace tl
