#include "terminalscreen.h"

#include <Qt>

namespace gantry {

void TerminalScreen::feed(const QByteArray &bytes)
{
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        QString &line = lines_.last();
        if (c == '\r') {
            column_ = 0;
        } else if (c == '\n') {
            lines_.append(QString());
            column_ = 0;
            if (lines_.size() > maxLines_)
                lines_.removeFirst();
        } else if (c == '\b') {
            column_ = std::max(0, column_ - 1);
        } else if (c == '\t') {
            column_ = (column_ / 8 + 1) * 8;
            if (line.size() < column_)
                line = line.leftJustified(column_, QLatin1Char(' '));
        } else if (c >= 0x20 && c != 0x7f) {
            if (column_ < line.size())
                line[column_] = QChar::fromLatin1(char(c));
            else
                line = line.leftJustified(column_, QLatin1Char(' ')) + QChar::fromLatin1(char(c));
            ++column_;
        }
    }
}

void TerminalScreen::clear()
{
    lines_ = QStringList{QString()};
    column_ = 0;
}

QByteArray keyBytes(int key, const QString &text)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return "\r";
    if (key == Qt::Key_Backspace)
        return "\b";
    if (key == Qt::Key_Escape)
        return "\x1b";
    QByteArray out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x100 && c.unicode() != 0x7f)
            out.append(char(c.unicode()));
        else if (c.unicode() < 0x20 && c.unicode() != 0)
            out.append(char(c.unicode()));   // control keys (Ctrl+C and the like)
    }
    return out;
}

} // namespace gantry
