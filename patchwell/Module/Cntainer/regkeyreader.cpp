#include "regkeyreader.h"

bool CRegKeyReader::Open()
{
    open_ = reg::keyExists(root_, subKey_);
    return open_;
}

bool CRegKeyReader::ReadString(const QString &name, QString &out, int maxBytes) const
{
    if (!open_)
        return false;
    const auto value = reg::readString(root_, subKey_, name);
    if (!value)
        return false;
    out = value->left(maxBytes - 1);
    return true;
}

bool ReadInstalledVersion(const QString &productName, QString &version)
{
    CRegKeyReader key(RegRoot::LocalMachine, QStringLiteral("%1\\%2").arg(QStringLiteral("Software\\Varnel\\Patchwell\\Products"), productName));
    return key.Open() && key.ReadString(QStringLiteral("InstalledVersion"), version);
}
