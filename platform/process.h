#pragma once
// Starting documents and programs, and waiting for them to end.

#include <QString>
#include <QStringList>

class QProcess;

using ProcessHandle = QProcess *;    // owned by the caller; delete with closeProcess

// Opens a document or starts a program. A program name goes through
// tl::moduleFileName and is looked for in the given directory, then the
// program's directory, then PATH; a document is opened with the desktop's
// opener (xdg-open). Null when nothing could be started.
ProcessHandle ShellExecute(const QString &file, const QStringList &args = {},
                           const QString &directory = {});
// Starts a command line (program and arguments separated by blanks, quotes kept together).
// "notepad" is the desktop's text viewer (the opener below): the rest of its
// command line is one document path, blanks and all.
ProcessHandle CreateProcess(const QString &commandLine, const QString &directory = {});
// Waits for the process to end, at most timeoutMs (unscaled; -1 = no limit),
// processing messages when yield. True when it ended.
bool WaitForProcess(ProcessHandle process, int timeoutMs, bool yield);
void closeProcess(ProcessHandle process);
// Opens an address in the user's browser; false when no opener could be started.
bool OpenURL(const QString &url);
