// The engine library's entry points: registration as a control (the class
// identifier's InprocServer32 key names this library) and creation of the
// control object by its class identifier.

#include "control.h"
#include "paths.h"
#include "productstore.h"
#include "pwdispatch.h"
#include "registry.h"

#include <QFileInfo>

#include <dlfcn.h>

#ifndef TALLYLINE_VERSION
#define TALLYLINE_VERSION "0"
#endif
// The publisher's update key, set at build time; empty when none was given.
#ifndef TALLYLINE_UPDATE_PUBLIC_KEY
#define TALLYLINE_UPDATE_PUBLIC_KEY ""
#endif

#define PW_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

QString classKey()
{
    return QStringLiteral("CLSID\\") + QLatin1String(pw::kEngineClassId) + QStringLiteral("\\InprocServer32");
}

QString thisLibraryPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&classKey), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
    return {};
}

} // namespace

PW_EXPORT long DllRegisterServer()
{
    const QString path = thisLibraryPath();
    if (path.isEmpty())
        return pw::E_FAIL_;
    if (!reg::writeString(RegRoot::ClassesRoot, classKey(), QString(), path))
        return pw::E_FAIL_;
    // As an installer would: the update service's own product key, so that the
    // programs registering with the service find its directory.
    const QString self = QLatin1String(pw::kProductsKey) + QStringLiteral("\\Patchwell");
    if (!reg::writeString(RegRoot::LocalMachine, self, QStringLiteral("InstallDirectory"), tl::programDirectory())
        || !reg::writeString(RegRoot::LocalMachine, self, QStringLiteral("InstalledVersion"),
                             QStringLiteral(TALLYLINE_VERSION)))
        return pw::E_FAIL_;
    // Its own update site must be signed by the publisher's key, when there is
    // one; a key pinned otherwise (the demo's) stays when there is none.
    if (qstrlen(TALLYLINE_UPDATE_PUBLIC_KEY) > 0
        && !reg::writeString(RegRoot::LocalMachine, self, QLatin1String(pw::values::UpdatePublicKey),
                             QStringLiteral(TALLYLINE_UPDATE_PUBLIC_KEY)))
        return pw::E_FAIL_;
    // Its own updates come from the sample site unless the key already names one.
    if (!reg::valueExists(RegRoot::LocalMachine, self, QStringLiteral("ProductUpdateURL"))) {
        reg::writeString(RegRoot::LocalMachine, self, QStringLiteral("ProductUpdateURL"),
                         QStringLiteral("../share/tallyline/updatesite"));
        reg::writeString(RegRoot::LocalMachine, self, QStringLiteral("UpdateIniDirectory"), QStringLiteral("patchwell"));
    }
    return pw::S_OK_;
}

PW_EXPORT long DllUnregisterServer()
{
    const QString key = QStringLiteral("CLSID\\") + QLatin1String(pw::kEngineClassId);
    if (!reg::keyExists(RegRoot::ClassesRoot, key))
        return pw::S_OK_;
    return reg::deleteKey(RegRoot::ClassesRoot, key) ? pw::S_OK_ : pw::E_FAIL_;
}

PW_EXPORT long DllGetClassObject(const char *classId, pw::IDispatchControl **object)
{
    if (!object)
        return pw::E_INVALIDARG_;
    *object = nullptr;
    if (!classId || QString::fromLatin1(classId).compare(QLatin1String(pw::kEngineClassId), Qt::CaseInsensitive) != 0)
        return pw::E_INVALIDARG_;
    *object = new pw::PatchwellControl;
    return pw::S_OK_;
}
