#pragma once
// One root of the registry store in memory, and its text form (the registry
// export format). Kept apart from the store so the parser can be tested and
// fuzzed on its own.

#include <QByteArray>
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

struct RegKey {
    QString path;          // below the root, stored case, "" for the root itself
    QList<RegValue> values; // in file order

    RegValue *findValue(const QString &name);
    const RegValue *findValue(const QString &name) const;
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
    bool operator==(const RegTree &other) const;

private:
    QMap<QString, RegKey> keys_;
};

// Parses the text of one root's file. On failure returns false and says why
// (with a line number) in error; tree is then left empty.
bool parseRegistryText(const QByteArray &data, const QString &rootName, RegTree &tree,
                       QString *error);
QByteArray formatRegistryText(const RegTree &tree, const QString &rootName);

} // namespace reg
