// Fuzz target: the parsers of the TA's reports get whatever bytes arrive on
// the line. None may crash, hang or read past its text.
#include "fragments.h"
#include "replyparsers.h"
#include "settings.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    quillon::StoredReplies r;
    r.ati12 = r.ati15 = r.ati16 = r.ati4 = r.ati20 = r.ati19 = text;
    for (const char *keyword : quillon::kFragments)
        for (const char *query : {"ati12", "ati15", "ati16", "ati4"})
            (void)quillon::keywordValue(r, QString::fromLatin1(keyword), QString::fromLatin1(query));
    (void)quillon::readBasic(r);
    (void)quillon::readData(r, false);
    (void)quillon::readData(r, true);
    (void)quillon::readVoice(r);
    (void)quillon::readAdvVoice(r);
    (void)quillon::parseHardwareProfile(text, QString(), false);
    (void)quillon::parseCallForwarding(text, QStringLiteral("Enabled"), QStringLiteral("Disabled"));
    (void)quillon::parseCallScreening(text);
    (void)quillon::parseCountryList(text);
    (void)quillon::countryDisplayName(text);
    (void)quillon::deviceStatus(text);
    return 0;
}
