#pragma once
// The registry store: three roots, one text file per root under
// $TALLYLINE_ROOT/registry/, in the registry export format. Key and value names
// are case-insensitive and case-preserving. Every write is a read-modify-write of
// the root's file under an inter-process lock, finished by an atomic rename, so
// processes never lose each other's writes and never see a half-written file.
// A damaged file is set aside as "<file>.bad", reported once on stderr with the
// first line that failed, and what parsed of it is kept. A file that exists but
// cannot be read is reported once and never replaced: writes to that root fail
// until it can be read. A writer waits for another process's lock a bounded
// time only. The files are readable by their owner only (they hold passwords).
// Writes return false, with the reason on stderr, when nothing was stored.

#include <QString>
#include <QStringList>
#include <optional>

enum class RegRoot { LocalMachine, CurrentUser, ClassesRoot };

namespace reg {

bool keyExists(RegRoot root, const QString &key);
bool createKey(RegRoot root, const QString &key);              // creates parents too
bool deleteKey(RegRoot root, const QString &key);              // with its subkeys
QStringList subKeys(RegRoot root, const QString &key);         // direct children, stored case
QStringList valueNames(RegRoot root, const QString &key);
bool valueExists(RegRoot root, const QString &key, const QString &name);
std::optional<QString> readString(RegRoot root, const QString &key, const QString &name);
std::optional<quint32> readDword(RegRoot root, const QString &key, const QString &name);
bool writeString(RegRoot root, const QString &key, const QString &name, const QString &value); // creates the key
bool writeDword(RegRoot root, const QString &key, const QString &name, quint32 value);         // creates the key
bool deleteValue(RegRoot root, const QString &key, const QString &name);
// The folder holding the roots' files (watched for changes by other processes).
QString storeDirectory();

} // namespace reg

// The registry object as the programs use it: a root, one open key at a time.
// Key paths are relative to the root, with backslashes ("Software\\Varnel\\...").
class TRegistry {
public:
    explicit TRegistry(RegRoot root = RegRoot::CurrentUser) : root_(root) {}
    void setRootKey(RegRoot root) { root_ = root; closeKey(); }
    RegRoot rootKey() const { return root_; }
    bool openKey(const QString &key, bool canCreate);      // false when missing and !canCreate
    bool openKeyReadOnly(const QString &key) { return openKey(key, false); }
    void closeKey() { current_.clear(); open_ = false; }
    QString currentPath() const { return current_; }
    bool keyExists(const QString &key) const;                // relative to the root
    bool valueExists(const QString &name) const;
    QString readString(const QString &name) const;         // "" when absent
    int readInteger(const QString &name) const;            // 0 when absent
    bool writeString(const QString &name, const QString &value);
    bool writeInteger(const QString &name, int value);
    bool deleteValue(const QString &name);
    bool deleteKey(const QString &key);                    // relative to the root
    QStringList getKeyNames() const;                       // subkeys of the open key
    QStringList getValueNames() const;
private:
    RegRoot root_;
    QString current_;
    bool open_ = false;
};
