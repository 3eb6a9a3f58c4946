#include "languageid.h"

#include <QLocale>

namespace tl {

namespace {

struct KnownLanguage {
    QLocale::Language language;
    QLocale::Territory territory;   // AnyTerritory: the language's default
    int id;
};

// Specific territories first; the AnyTerritory row of a language closes its group.
constexpr KnownLanguage kKnown[] = {
    {QLocale::English, QLocale::UnitedKingdom, 0x809},
    {QLocale::English, QLocale::Australia, 0xc09},
    {QLocale::English, QLocale::Canada, 0x1009},
    {QLocale::English, QLocale::NewZealand, 0x1409},
    {QLocale::English, QLocale::Ireland, 0x1809},
    {QLocale::English, QLocale::AnyTerritory, 0x409},
    {QLocale::German, QLocale::Switzerland, 0x807},
    {QLocale::German, QLocale::Austria, 0xc07},
    {QLocale::German, QLocale::Luxembourg, 0x1007},
    {QLocale::German, QLocale::Liechtenstein, 0x1407},
    {QLocale::German, QLocale::AnyTerritory, 0x407},
    {QLocale::French, QLocale::Belgium, 0x80c},
    {QLocale::French, QLocale::Canada, 0xc0c},
    {QLocale::French, QLocale::Switzerland, 0x100c},
    {QLocale::French, QLocale::AnyTerritory, 0x40c},
    {QLocale::Italian, QLocale::AnyTerritory, 0x410},
    {QLocale::Spanish, QLocale::AnyTerritory, 0xc0a},
    {QLocale::Dutch, QLocale::Belgium, 0x813},
    {QLocale::Dutch, QLocale::AnyTerritory, 0x413},
    {QLocale::Portuguese, QLocale::Portugal, 0x816},
    {QLocale::Portuguese, QLocale::AnyTerritory, 0x416},
    {QLocale::Swedish, QLocale::AnyTerritory, 0x41d},
    {QLocale::Danish, QLocale::AnyTerritory, 0x406},
    {QLocale::NorwegianBokmal, QLocale::AnyTerritory, 0x414},
    {QLocale::Finnish, QLocale::AnyTerritory, 0x40b},
    {QLocale::Japanese, QLocale::AnyTerritory, 0x411},
    {QLocale::Chinese, QLocale::Taiwan, 0x404},
    {QLocale::Chinese, QLocale::AnyTerritory, 0x804},
};

} // namespace

int userDefaultLanguageId()
{
    const QLocale locale;
    for (const KnownLanguage &known : kKnown) {
        if (known.language != locale.language())
            continue;
        if (known.territory == QLocale::AnyTerritory || known.territory == locale.territory())
            return known.id;
    }
    return kEnglishUS;
}

} // namespace tl
