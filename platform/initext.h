#pragma once
// The text of one private-profile (INI) file in memory. Every line keeps its
// bytes and its own line end, so a write changes only the lines it must: the
// rest of the file, comments, order, encoding and line ends included, is
// written back byte for byte. Each line is read as UTF-8 when it is valid
// UTF-8 and in the ANSI code page (Latin-1) otherwise, so one line in another
// encoding does not change how the others read. Kept apart from the file
// access so that it can be tested and fuzzed on its own.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class IniText {
public:
    static IniText parse(const QByteArray &data);
    QByteArray bytes() const;

    bool lookup(const QString &section, const QString &key, QString &value) const;
    QStringList sectionNames() const;
    QStringList sectionEntries(const QString &section) const;   // "name=value"
    // A null value removes the key; a missing section is added at the end.
    void setValue(const QString &section, const QString &key, const QString &value);
    void removeSection(const QString &section);

private:
    struct Line {
        QByteArray raw;   // the bytes without the line end
        QByteArray eol;   // "\r\n", "\n", or "" for a last line without one
        QString text;     // raw, decoded
    };
    Line makeLine(const QString &text) const;
    void insertLine(qsizetype at, const Line &line);
    // Header line of the section (-1 when absent) and the end of its lines.
    void findSection(const QString &section, qsizetype &header, qsizetype &end) const;

    QList<Line> lines_;
    QByteArray eol_ = QByteArrayLiteral("\r\n"); // for new lines: the file's own
    bool ansi_ = false;   // some line is not UTF-8: new lines are written in ANSI where they can be
};
