#pragma once
// What a terminal shows: the device's text as it prints it. A carriage return
// goes back to the start of the line, a line feed starts the next one, a
// backspace steps back; other control characters are not shown. Old lines
// scroll away beyond a limit.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace gantry {

class TerminalScreen {
public:
    explicit TerminalScreen(int maxLines = 1000) : maxLines_(maxLines) {}

    void feed(const QByteArray &bytes);
    void clear();
    QString text() const { return lines_.join(QLatin1Char('\n')); }
    const QStringList &lines() const { return lines_; }
    int column() const { return column_; }

private:
    QStringList lines_{QString()};
    int column_ = 0;
    int maxLines_;
};

// Bytes a key sends: Enter is a carriage return, Backspace a backspace,
// printable text as typed (Latin-1); "" for keys that send nothing.
QByteArray keyBytes(int key, const QString &text);

} // namespace gantry
