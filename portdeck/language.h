#pragma once
// The user-interface language: what Portdeck needs of the dictionary, the
// choice made at start-up from the registry, and the user's default language.

#include "uiservices.h"

#include <QList>
#include <QString>
#include <functional>

class DebugLog;
class QWidget;

// The dictionary as Portdeck uses it.
class LanguageDictionary {
public:
    virtual ~LanguageDictionary() = default;
    virtual void selectLanguage(int languageId) = 0;
    virtual void setPrimaryLanguage(int primary) = 0;
    virtual void setSubLanguage(int sub) = 0;
    virtual void activate() = 0;
    virtual QString translate(const QString &source) const = 0;
    virtual QList<LanguageChoice> languages() const = 0;
    virtual int currentLanguage() const = 0;   // identifier of the language in force
    virtual int currentLocale() const { return currentLanguage(); }
};

// Language identifier of the user's locale (en_US 0x409, en_GB 0x809, de_DE 0x407 ...).
int GetUserDefaultLangID();

// Reads "Software\\Varnel\\Tallyline\\Portdeck\\Language" and sets the
// dictionary; an English setting without sub-language is resolved from
// userDefaultLangId and written back; with no stored "ID" the language dialog
// is shown (through the UI services) and the choice stored as "Language".
void chooseLanguage(LanguageDictionary &dictionary, DebugLog &log, QWidget *parent,
                    const std::function<int()> &userDefaultLangId = GetUserDefaultLangID);
