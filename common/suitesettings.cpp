#include "suitesettings.h"

#include "registry.h"

namespace suite {

LogSettings readLogSettings()
{
    LogSettings settings;
    TRegistry registry(RegRoot::LocalMachine);
    if (!registry.openKey(kPortdeckKey, true))
        return settings;
    settings.logging = registry.readString(QStringLiteral("Logging")) == QLatin1String("on");
    settings.waitAndYield = registry.readString(QStringLiteral("WaitAndYield")) == QLatin1String("on");
    return settings;
}

void writeLogSettings(const LogSettings &settings)
{
    TRegistry registry(RegRoot::LocalMachine);
    if (!registry.openKey(kPortdeckKey, true))
        return;
    registry.writeString(QStringLiteral("Logging"), settings.logging ? "on" : "off");
    registry.writeString(QStringLiteral("WaitAndYield"), settings.waitAndYield ? "on" : "off");
}

} // namespace suite
