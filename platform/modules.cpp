#include "modules.h"

#include "paths.h"

#include <QFileInfo>
#include <QLibrary>
#include <QSet>

namespace {

QSet<QLibrary *> &loaded()
{
    static QSet<QLibrary *> libraries;
    return libraries;
}

QString &lastError()
{
    static QString error;
    return error;
}

QLibrary *asLibrary(HMODULE module)
{
    auto *library = static_cast<QLibrary *>(module);
    return loaded().contains(library) ? library : nullptr;
}

} // namespace

HMODULE LoadLibrary(const QString &name)
{
    // A name with a directory is taken as it is (mapped), or from the installed
    // library folder of that directory when it is not there; a bare name is
    // looked for beside the program, in its installed library folder, then
    // along the library search path.
    const bool hasDirectory = name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'));
    QStringList candidates;
    if (hasDirectory) {
        candidates << tl::installedFile(name, tl::InstalledKind::Library);
    } else {
        const QString file = tl::moduleFileName(name);
        for (const QString &place : {tl::programDirectory(), tl::installedLibraryDirectory()}) {
            const QString candidate = place + QLatin1Char('/') + file;
            if (QFileInfo::exists(candidate)) {
                candidates << candidate;
                break;
            }
        }
        candidates << file;
    }

    QStringList errors;
    for (const QString &candidate : candidates) {
        auto *library = new QLibrary(candidate);
        // The exact file, without the prefixes and suffixes QLibrary would try.
        library->setFileName(candidate);
        if (library->load()) {
            loaded().insert(library);
            lastError().clear();
            return library;
        }
        errors << library->errorString();
        delete library;
    }
    lastError() = QStringLiteral("%1: %2").arg(name, errors.join(QStringLiteral("; ")));
    return nullptr;
}

void *GetProcAddress(HMODULE module, const char *exportName)
{
    QLibrary *library = asLibrary(module);
    if (!library || !exportName)
        return nullptr;
    return reinterpret_cast<void *>(library->resolve(exportName));
}

bool FreeLibrary(HMODULE module)
{
    QLibrary *library = asLibrary(module);
    if (!library)
        return false;
    loaded().remove(library);
    library->unload();
    delete library;
    return true;
}

QString lastModuleError() { return lastError(); }
