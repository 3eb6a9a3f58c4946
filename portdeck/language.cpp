#include "language.h"

#include "debuglog.h"
#include "registry.h"

#include "languageid.h"

namespace {

const QString kLanguageKey = QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\Language");

} // namespace

int GetUserDefaultLangID()
{
    return tl::userDefaultLanguageId();
}

void chooseLanguage(LanguageDictionary &dictionary, DebugLog &log, QWidget *parent,
                    const std::function<int()> &userDefaultLangId)
{
    TRegistry registry(RegRoot::LocalMachine);
    registry.openKey(kLanguageKey, true);
    if (registry.valueExists(QStringLiteral("ID"))) {
        bool ok = false;
        const uint stored = registry.readString(QStringLiteral("ID")).trimmed().toUInt(&ok, 16);
        const int languageId = ok ? int(stored & 0xFFFF) : 0;
        dictionary.selectLanguage(languageId);
        const int primary = languageId & 0xFF;
        dictionary.setPrimaryLanguage(primary);
        if (primary == 9) {
            int subByte = (languageId >> 8) & 0xFF;
            if (subByte == 0) {
                const int userDefault = userDefaultLangId();
                log.log("English sublang == 0 and GetUserDefaultLangID returns %x\n", userDefault);
                if ((userDefault & 0xFF) == 9) {
                    subByte = (userDefault >> 8) & 0xFF;
                    log.log("sublanguage=%d\n", subByte);
                    if (subByte == 4) {
                        registry.writeString(QStringLiteral("ID"), QStringLiteral("409"));
                        registry.writeString(QStringLiteral("SubLanguage"), QStringLiteral("US English"));
                    } else {
                        registry.writeString(QStringLiteral("ID"), QStringLiteral("809"));
                        registry.writeString(QStringLiteral("SubLanguage"), QStringLiteral("UK English"));
                    }
                }
            }
            dictionary.setSubLanguage(subByte == 4 ? 1 : 2);
        }
        dictionary.activate();
        return;
    }
    dictionary.activate();
    const int chosen = ui().chooseLanguage(parent, dictionary.languages(), dictionary.currentLanguage());
    if (chosen < 0)
        return;
    dictionary.selectLanguage(chosen);
    dictionary.activate();
    registry.writeInteger(QStringLiteral("Language"), chosen);
}
