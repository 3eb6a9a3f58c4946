#include "commandline.h"

CommandLineOptions parseCommandLine(const QStringList &args)
{
    CommandLineOptions options;
    for (const QString &raw : args) {
        if (raw.startsWith(QLatin1String("--screenshot-dir="))) {
            options.screenshotDir = raw.mid(int(qstrlen("--screenshot-dir=")));
            continue;
        }
        const QString param = raw.toLower();
        if (param == QLatin1String("/l"))
            options.logging = true;
        else if (param == QLatin1String("/s"))
            options.debugWindow = true;
        else if (param == QLatin1String("/t"))
            options.tapiMode = true;
        else if (param == QLatin1String("/notapi"))
            options.tapiMode = false;
        else if (param == QLatin1String("/y"))
            options.waitAndYield = true;
        else if (param.startsWith(QLatin1String("/b:"))) {
            bool ok = false;
            const QString rest = param.mid(3);
            const int baud = rest.trimmed() == rest ? rest.toInt(&ok, 10) : 0;
            if (!ok)
                throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(rest).toStdString());
            if (baud == 19200 || baud == 38400 || baud == 57600 || baud == 115200)
                options.baudRate = baud;
        }
    }
    return options;
}
