#include "commandline.h"

PatchwellCommandLine ParseCommandLine(const QStringList &words)
{
    PatchwellCommandLine out;
    for (const QString &word : words) {
        if (word.startsWith(QLatin1Char('/')) || word.startsWith(QLatin1Char('-'))) {
            const QString sw = word.mid(1);
            auto is = [&sw](const char *name) { return sw.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
            if (is("c")) {
                out.configOnlyMode = true;
            } else if (sw == QLatin1String("pt") || sw == QLatin1String("p") || is("Unregister") || is("Unregserver")) {
                out.recorded << sw;
            } else if (sw == QLatin1String("dde")) {
                out.recorded << sw;
                out.notUserControlled = true;
            } else if (is("Embedding") || is("Automation")) {
                out.startedByOle = true;
                out.notUserControlled = true;
            }
            continue;
        }
        // Plain words count only after the config switch.
        if (!out.configOnlyMode || word.isEmpty())
            continue;
        out.requestedProduct += out.requestedProduct.isEmpty() ? word : QLatin1Char(' ') + word;
    }
    return out;
}
