#pragma once
// Read-only registry access as this program uses it, and the installed
// version of a registered product.

#include "registry.h"

#include <QString>

class CRegKeyReader {
public:
    CRegKeyReader(RegRoot root, const QString &subKey) : root_(root), subKey_(subKey) {}
    bool Open();                                   // false when the key does not exist
    bool ReadString(const QString &name, QString &out, int maxBytes = 260) const;
    void Close() { open_ = false; }
private:
    RegRoot root_;
    QString subKey_;
    bool open_ = false;
};

// "InstalledVersion" of the product's key; false when the key or value is missing.
bool ReadInstalledVersion(const QString &productName, QString &version);
