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

// Where an install puts what the build tree keeps beside the programs: the
// private library folder (<prefix>/lib/tallyline) and the data folder
// (<prefix>/share/tallyline), both found relative to the program directory
// `directory` (by default the running program's), so that an installed tree,
// a staged copy of it and the build tree all work.
QString installedLibraryDirectory(const QString &directory = programDirectory());
QString installedDataDirectory(const QString &directory = programDirectory());

// A file that the original platform keeps in a program's own directory, given
// as the path text "<directory>\\<name>": that file when it is there (the build
// tree, or an install directory made by hand), else the same name in the
// installed library or data folder of that directory, else the mapped path
// as written (so that a message names the place it was looked for).
enum class InstalledKind { Library, Data };
QString installedFile(const QString &platformPath, InstalledKind kind);

} // namespace tl
