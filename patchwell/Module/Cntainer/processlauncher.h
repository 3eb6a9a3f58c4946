#pragma once
// Starts a command line as its own program and lets it run: the event log's
// viewer and the update's release notes are started this way.

#include <QRect>
#include <QString>
#include <optional>

class CProcessLauncher {
public:
    explicit CProcessLauncher(const QString &commandLine) : commandLine_(commandLine) {}
    const QString &commandLine() const { return commandLine_; }

    // True once the program runs (the start is awaited for at most 10 s); its
    // end is not awaited. The window rectangle is where the caller wants the
    // program's window; this desktop's window manager places it, so it is kept
    // as a wish only (screenRect()).
    bool Start(const std::optional<QRect> &window = std::nullopt);
    std::optional<QRect> screenRect() const { return window_; }

private:
    QString commandLine_;
    std::optional<QRect> window_;
};
