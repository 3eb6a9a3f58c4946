#pragma once
// One root of the registry store in memory, and its text form (the registry
// export format). Kept apart from the store so the parser can be tested and
// fuzzed on its own.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>

namespace reg {

struct RegValue {
    enum Type { String, Dword, Other };
    QString name;          // "" is the key's default value ("@" in the file)
    Type type = String;
    QString text;          // String: the text; Other: the raw text after "=", kept as read
    quint32 dword = 0;
};

// A value name as an index key: equal and hashed ignoring letter case, and
// sharing the value's own text (no folded copy per value).
struct FoldedName {
    QString name;
    bool operator==(const FoldedName &o) const { return name.compare(o.name, Qt::CaseInsensitive) == 0; }
};
size_t qHash(const FoldedName &key, size_t seed = 0) noexcept;

class RegKey {
public:
    RegKey() = default;
    explicit RegKey(const QString &storedPath) : path(storedPath) {}

    QString path;          // below the root, stored case, "" for the root itself

    const QList<RegValue> &values() const { return values_; } // in file order
    RegValue *findValue(const QString &name);
    const RegValue *findValue(const QString &name) const;
    // Adds the value, or replaces the one of that name (keeping its stored
    // name when keepStoredName is set).
    void setValue(const RegValue &value, bool keepStoredName);
    bool removeValue(const QString &name);

private:
    QList<RegValue> values_;
    QHash<FoldedName, qsizetype> index_;   // name -> position in values_
};

// All keys of one root, indexed by their case-folded path.
class RegTree {
public:
    static QString normalizePath(const QString &path);  // drops empty segments
    static QString foldedPath(const QString &path);     // normalized and case-folded

    const RegKey *find(const QString &path) const;
    RegKey *find(const QString &path);
    // Creates the key and its missing parents; existing parts keep their stored case.
    RegKey &create(const QString &path);
    bool remove(const QString &path);                   // with its subkeys; the root stays
    QStringList children(const QString &path) const;    // names of direct subkeys
    const QMap<QString, RegKey> &keys() const { return keys_; }
    bool operator==(const RegTree &other) const;    // the keys and values only

    // The line end the file was read with ("\r\n" for a file edited on the
    // original platform), kept when it is written back.
    bool crlf = false;

private:
    QMap<QString, RegKey> keys_;
};

// Parses the text of one root's file. A damaged line costs only itself (and, for
// a damaged key header, the values under it): tree holds everything else, and
// the result is false with error naming the first damaged line. A file with the
// old "REGEDIT4" header is read in the ANSI code page (Latin-1), every other one
// as UTF-8 (UTF-16 with its byte-order mark).
bool parseRegistryText(const QByteArray &data, const QString &rootName, RegTree &tree,
                       QString *error);
QByteArray formatRegistryText(const RegTree &tree, const QString &rootName);

} // namespace reg
