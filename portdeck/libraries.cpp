// The seam to the product libraries. Loading the libraries, ShowDLL, the
// unloading and the registration with the update service belong to the library
// binding; until it is built here, these calls find no library and do nothing.

#include "containerframe.h"

bool ProductLibraries::configLoadedFor(const QString &modemSelected) const
{
    if (modemSelected == QLatin1String("56KModem"))
        return config.module != nullptr;
    if (modemSelected == QLatin1String("ISDNTA"))
        return quillon.module != nullptr;
    if (modemSelected == QLatin1String("IDSL"))
        return idsl != nullptr;
    return false;
}

void TcontainerFrame::LoadLibraries()
{
}

void TcontainerFrame::ShowDLL(int /*show*/)
{
}

void TcontainerFrame::UnloadLibraries()
{
}

bool TcontainerFrame::IniToRegistryInfo(const QString & /*iniName*/, const QString & /*version*/)
{
    return false;
}

void TcontainerFrame::WMFormFinished(qintptr lParam)
{
    if (lParam == 0) {
        hideTool();
        control = QStringLiteral("None");
        RefreshProductInfoAndWait();
    }
    EnableTools();
}
