#pragma once
// The translation dictionary: English source texts and their translations per
// language, read from "pd30dic.mld". Every user-visible text passes through
// translate(); a text the dictionary does not know, or a dictionary that could
// not be read, shows the source text itself.
//
// Language selection follows the identifiers the programs store: a language
// identifier (0x407), or a primary language (9) and sub-language (1 US, 2 UK)
// set one after the other. A language the file does not declare resolves to a
// declared one of the same primary language (0xc07 -> 0x407), else to the
// source texts.

#include "languageid.h"
#include "uiservices.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

namespace tl {

// How language and locale are tied together. LanguageToLocale binds them:
// setting the locale selects its language, selecting a language sets the
// locale of that language. None keeps them apart.
enum class BindingMode { None, LanguageToLocale };

class Dictionary : public QObject {
    Q_OBJECT
public:
    static constexpr const char *kFileName = "pd30dic.mld";

    // An empty dictionary (every text shows as its source) in US English.
    explicit Dictionary(QObject *parent = nullptr);

    // The dictionary file in the program directory.
    static QString defaultPath();

    // Replaces the contents with the file at path (defaultPath() when empty).
    // A missing or damaged file leaves the dictionary empty and is reported on
    // stderr once per path and process; the result is then false.
    bool load(const QString &path = QString());
    // The same from bytes in memory; name is used in the report.
    bool loadData(const QByteArray &data, const QString &name);
    void clear();

    QString path() const { return path_; }
    bool isEmpty() const { return texts_.isEmpty(); }
    int textCount() const { return int(texts_.size()); }

    // The declared languages, in file order.
    QList<LanguageChoice> languages() const { return languages_; }
    bool hasLanguage(int languageId) const;
    QString languageName(int languageId) const;

    void selectLanguage(int languageId);   // low 16 bits are used
    int language() const { return language_; }
    void setPrimaryLanguage(int primary);
    int primaryLanguage() const { return primaryLanguageOf(language_); }
    void setSubLanguage(int sub);
    int subLanguage() const { return subLanguageOf(language_); }

    void setBindingMode(BindingMode mode) { binding_ = mode; }
    BindingMode bindingMode() const { return binding_; }
    void setLocale(unsigned locale);
    unsigned locale() const { return locale_; }

    // Puts the selected language in force for everything that follows the
    // dictionary: languageChanged() fires, so translators re-translate.
    void activate();
    bool isActive() const { return active_; }

    // The declared language texts come from now; 0 when they are the source texts.
    int effectiveLanguage() const { return effective_; }

    QString translate(const QString &source) const;

signals:
    // The selected language changed, or activate() was called.
    void languageChanged(int languageId);

private:
    void setLanguageId(int languageId);
    void resolve();

    QString path_;
    QList<LanguageChoice> languages_;
    QHash<QString, QHash<int, QString>> texts_;   // source -> language -> text
    int language_ = kEnglishUS;
    int effective_ = 0;
    unsigned locale_ = localeFromLanguage(kEnglishUS);
    BindingMode binding_ = BindingMode::None;
    bool active_ = false;
};

// The process-wide dictionary: the one installed with setActiveDictionary(),
// else one loaded from defaultPath() on first use. Each program (and each
// library that links the translation components) has its own.
Dictionary &dictionary();
// Installs a dictionary (not owned); null returns to the built-in one.
void setActiveDictionary(Dictionary *dictionary);
// dictionary().translate(source).
QString translate(const QString &source);

} // namespace tl
