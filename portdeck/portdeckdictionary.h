#pragma once
// Portdeck's view of the translation dictionary.

#include "dictionary.h"
#include "language.h"

class PortdeckDictionary : public LanguageDictionary {
public:
    PortdeckDictionary() { dictionary_.load(); tl::setActiveDictionary(&dictionary_); }
    ~PortdeckDictionary() override { tl::setActiveDictionary(nullptr); }
    void selectLanguage(int languageId) override { dictionary_.selectLanguage(languageId); }
    void setPrimaryLanguage(int primary) override { dictionary_.setPrimaryLanguage(primary); }
    void setSubLanguage(int sub) override { dictionary_.setSubLanguage(sub); }
    void activate() override { dictionary_.activate(); }
    QString translate(const QString &source) const override { return dictionary_.translate(source); }
    QList<LanguageChoice> languages() const override { return dictionary_.languages(); }
    int currentLanguage() const override { return dictionary_.language(); }
    int currentLocale() const override { return int(dictionary_.locale()); }
    tl::Dictionary &dictionary() { return dictionary_; }
private:
    tl::Dictionary dictionary_;
};
