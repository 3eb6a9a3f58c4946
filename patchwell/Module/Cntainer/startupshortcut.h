#pragma once
// The start-up shortcut "Patchwell.lnk": on this platform the desktop's
// autostart entry ($XDG_CONFIG_HOME/autostart/patchwell.desktop) that starts the
// program at log-in. Removing it moves it to the trash, so it can be undone.

#include <QString>

namespace startup {

// The entry's path for the platform kind (1: the only kind this platform is);
// "" for kinds without a start-up folder.
QString ShortcutPath(int osKind);
// Creates or removes the entry; 0 or a failure code, never shown to the user.
int UpdateShortcut(bool wanted, int osKind, const QString &programPath);

} // namespace startup
