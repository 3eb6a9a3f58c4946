#pragma once
// File operations under the engine's state folder that never go through a
// symbolic link: a link planted there (at a product's folder, a version folder,
// a staging folder, the log) must not make the engine write, replace or delete
// anything outside. Folders are created owner-only.

#include <QString>

namespace pw::safefs {

bool isLink(const QString &path);

// The first path below base, from base's child down to path itself, that is a
// symbolic link; empty when there is none. base itself may be a link.
QString linkBelow(const QString &base, const QString &path);

// Creates path and its missing parents below base (mode 0700). Fails, saying
// why, when any of them is a link or not a folder.
bool makeFolder(const QString &base, const QString &path, QString *why);

// Removes a file, a link (the link, never what it points to) or a whole
// folder tree whose links are removed as links. True when nothing is left.
bool removeTree(const QString &path);

// Makes the entries of a folder (a rename into it) last across a crash.
bool syncFolder(const QString &path);

// Creates a new file for writing (never through a link, never an existing
// one); a file descriptor or -1 with errno set.
int createFile(const QString &path);

} // namespace pw::safefs
