// The context-help library: told the help file of the program's language, it
// says whether help pages can be shown for it. Help pages are HTML files
// (see helpPagePath: a folder named after the help file, one page per context).

#include "paths.h"
#include "uiservices.h"

#include <QFileInfo>

extern "C" __attribute__((visibility("default"))) int ContextHelpInit(const char *helpFile, int flags)
{
    if (!helpFile || flags != 1)
        return 0;
    const QString file = QString::fromLocal8Bit(helpFile);
    if (!helpPagePath(QFileInfo(tl::mapPath(file)).fileName(), 0).isEmpty())
        return 1;
    return QFileInfo::exists(tl::mapPath(file)) ? 1 : 0;
}
