#include "langtext.h"

#include "inifile.h"
#include "paths.h"

#include <QHash>

namespace {
const char *const kDefault = "Default";
constexpr int kMissingNumber = -999;
}

QString CIniSection::place() const
{
    // Installed, the files lie in the data folder rather than beside the program.
    return tl::installedFile(file_, tl::InstalledKind::Data);
}

bool CIniSection::GetString(const QString &key, QString &out) const
{
    const QString text = GetPrivateProfileString(section_, key, QLatin1String(kDefault), place()).left(pwlang::kMaxText);
    if (text == QLatin1String(kDefault)) {
        out.clear();
        return false;
    }
    out = text;
    return true;
}

QString CIniSection::GetString(const QString &key) const
{
    QString out;
    GetString(key, out);
    return out;
}

bool CIniSection::GetNumber(const QString &key, int &out) const
{
    out = GetPrivateProfileInt(section_, key, kMissingNumber, place());
    return out != kMissingNumber;
}

CLangText::CLangText(const QString &installDirectory, const QString &prefix, const QString &section)
    : section_(pwlang::languageFile(installDirectory, prefix, pwlang::languageCode(installDirectory)), section)
{
}

QString CLangText::Get(const QString &key) const
{
    return section_.GetString(key);
}

namespace pwlang {

QString abbreviatedLanguageName(const QLocale &locale)
{
    // Language and country to the platform's three letters; a language alone
    // takes its main country's.
    static const QHash<QString, QString> names = {
        {"en_US", "ENU"}, {"en_GB", "ENG"}, {"en_AU", "ENA"}, {"en_CA", "ENC"}, {"en_NZ", "ENZ"},
        {"en_IE", "ENI"}, {"de_DE", "DEU"}, {"de_AT", "DEA"}, {"de_CH", "DES"}, {"de_LU", "DEL"},
        {"fr_FR", "FRA"}, {"fr_BE", "FRB"}, {"fr_CA", "FRC"}, {"fr_CH", "FRS"}, {"it_IT", "ITA"},
        {"it_CH", "ITS"}, {"es_ES", "ESP"}, {"es_MX", "ESM"}, {"nl_NL", "NLD"}, {"nl_BE", "NLB"},
        {"sv_SE", "SVE"}, {"da_DK", "DAN"}, {"nb_NO", "NOR"}, {"fi_FI", "FIN"}, {"pt_BR", "PTB"},
        {"pt_PT", "PTG"}, {"ja_JP", "JPN"}, {"pl_PL", "PLK"}, {"cs_CZ", "CSY"}, {"hu_HU", "HUN"},
    };
    static const QHash<QString, QString> byLanguage = {
        {"en", "ENU"}, {"de", "DEU"}, {"fr", "FRA"}, {"it", "ITA"}, {"es", "ESP"}, {"nl", "NLD"},
        {"sv", "SVE"}, {"da", "DAN"}, {"nb", "NOR"}, {"fi", "FIN"}, {"pt", "PTG"}, {"ja", "JPN"},
        {"pl", "PLK"}, {"cs", "CSY"}, {"hu", "HUN"},
    };
    const QString name = locale.name();   // "en_US"
    if (names.contains(name))
        return names.value(name);
    return byLanguage.value(name.section(QLatin1Char('_'), 0, 0));
}

bool isSupported(const QString &installDirectory, const QString &name)
{
    const CIniSection list(installDirectory + QStringLiteral("\\LangSupp.ini"), QStringLiteral("LanguageSupport"));
    for (int i = 1; i <= 35; ++i) {
        QString language;
        int supported = 0;
        if (!list.GetString(QStringLiteral("Language%1").arg(i), language)
            || !list.GetNumber(QStringLiteral("Supported%1").arg(i), supported))
            continue;
        language = language.left(9);
        if (language.compare(name, Qt::CaseInsensitive) == 0)
            return supported != 0;
    }
    return false;
}

QString languageCode(const QString &installDirectory, const QLocale &locale)
{
    QString name = abbreviatedLanguageName(locale);
    if (name.isEmpty())
        name = abbreviatedLanguageName(QLocale::system());
    if (!name.isEmpty() && isSupported(installDirectory, name))
        return name;
    return QStringLiteral("ENU");
}

QString languageFile(const QString &dir, const QString &prefix, const QString &code)
{
    return QStringLiteral("%1\\%2%3.%4").arg(dir, prefix, code, QStringLiteral("INI"));
}

QString helpFile(const QString &dir, const QString &prefix, const QString &code)
{
    return QStringLiteral("%1\\%2%3.%4").arg(dir, prefix, code, QStringLiteral("HLP"));
}

} // namespace pwlang
