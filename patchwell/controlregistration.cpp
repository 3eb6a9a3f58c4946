#include "controlregistration.h"

#include "modules.h"
#include "paths.h"
#include "pwdispatch.h"
#include "uiservices.h"

#include <QFileInfo>

int RegisterControl(const QString &path, const char *entryPoint, bool withMessages, QWidget *parent)
{
    const QString caption = QStringLiteral("Patchwell");
    auto say = [&](const QString &text) {
        if (withMessages)
            ui().messageBox(parent, text, caption, MB_OK, MB_ICONERROR);
    };
    // Nothing to initialise for the object model on this platform (string 6 stays unused).
    HMODULE library = LoadLibrary(path);
    if (!library) {
        say(QStringLiteral("LoadLibrary(\"%1\") failed.\nGetLastError returns %2.")
                .arg(path, QStringLiteral("0x%1").arg(QFileInfo::exists(tl::mapPath(path)) ? 0xC1 : 0x7E, 8, 16,
                                                      QLatin1Char('0')))
            + (lastModuleError().isEmpty() ? QString() : QStringLiteral("\n") + lastModuleError()));
        return RegLoadFailed;
    }
    int result = RegOk;
    auto entry = reinterpret_cast<PwRegisterFunction>(GetProcAddress(library, entryPoint));
    const QString name = QString::fromLatin1(entryPoint);
    if (!entry) {
        const QString ext = QFileInfo(path).suffix();
        const bool library_like = ext.compare(QLatin1String("dll"), Qt::CaseInsensitive) == 0
                                  || ext.compare(QLatin1String("ocx"), Qt::CaseInsensitive) == 0;
        say(library_like ? QStringLiteral("%1 was loaded, but the %2 entry point was not found.\n\n%2 may not be "
                                          "exported, or a corrupt version of %1 may be in memory. Consider using "
                                          "PView to detect and remove it.")
                                   .arg(path, name)
                         : QStringLiteral("%1 was loaded, but the %2 entry point was not found.\n\n%1 does not "
                                          "appear to be a .DLL or .OCX file.")
                                   .arg(path, name));
        result = RegNoEntryPoint;
    } else if (entry() < 0) {
        say(QStringLiteral("%1 in %2 failed.").arg(name, path));
        result = RegCallFailed;
    }
    FreeLibrary(library);
    return result;
}
