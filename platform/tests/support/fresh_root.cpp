#include "fresh_root.h"

#include <QDir>

FreshRoot::FreshRoot()
    : dir_(QDir::tempPath() + QStringLiteral("/tallyline-root-XXXXXX")),
      previous_(qgetenv("TALLYLINE_ROOT")),
      hadPrevious_(qEnvironmentVariableIsSet("TALLYLINE_ROOT"))
{
    qputenv("TALLYLINE_ROOT", QFile::encodeName(dir_.path()));
}

FreshRoot::~FreshRoot()
{
    if (hadPrevious_)
        qputenv("TALLYLINE_ROOT", previous_);
    else
        qunsetenv("TALLYLINE_ROOT");
}
