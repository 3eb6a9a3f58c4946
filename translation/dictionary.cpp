#include "dictionary.h"

#include "dictformat.h"
#include "paths.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtGlobal>

#include <cstdio>

namespace tl {

namespace {

// Far above any real dictionary; a larger file is not one.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// One report per file and process: a program that looks its dictionary up
// again (a library, a second form) must not repeat the message.
void reportOnce(const QString &name, const QString &reason)
{
    static QSet<QString> reported;
    if (reported.contains(name))
        return;
    reported.insert(name);
    std::fprintf(stderr, "translation: dictionary %s %s; texts are shown in English\n",
                 qPrintable(QDir::toNativeSeparators(name)), qPrintable(reason));
    std::fflush(stderr);
}

QString fromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

Dictionary::Dictionary(QObject *parent) : QObject(parent) {}

QString Dictionary::defaultPath()
{
    return installedFile(programDirectory() + QLatin1Char('/') + QLatin1String(kFileName), InstalledKind::Data);
}

bool Dictionary::load(const QString &path)
{
    const QString file = path.isEmpty() ? defaultPath() : path;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        clear();
        path_ = file;
        reportOnce(file, QStringLiteral("cannot be read (%1)").arg(in.errorString()));
        return false;
    }
    if (in.size() > kMaxFileSize) {
        clear();
        path_ = file;
        reportOnce(file, QStringLiteral("is damaged (larger than %1 bytes)").arg(kMaxFileSize));
        return false;
    }
    return loadData(in.readAll(), file);
}

bool Dictionary::loadData(const QByteArray &data, const QString &name)
{
    clear();
    path_ = name;
    const std::string fileName = name.toStdString();
    std::vector<dictformat::Problem> problems;
    std::vector<dictformat::Document> documents;
    documents.push_back(dictformat::parse(std::string_view(data.constData(), size_t(data.size())),
                                          fileName, problems));
    const dictformat::Document document = dictformat::merge(documents, problems);
    if (problems.empty() && document.languages.empty())
        problems.push_back({fileName, 0, "declares no language"});
    if (!problems.empty()) {
        // A half-read dictionary would mix languages on one screen; all or nothing.
        reportOnce(name, QStringLiteral("is damaged (%1)").arg(fromUtf8(problems.front().text())));
        resolve();
        return false;
    }

    for (const auto &language : document.languages)
        languages_.append({int(language.id), fromUtf8(language.name)});
    for (const auto &entry : document.entries) {
        QHash<int, QString> &byLanguage = texts_[fromUtf8(entry.source)];
        for (const auto &t : entry.translations)
            byLanguage.insert(int(t.language), fromUtf8(t.text));
    }
    resolve();
    return true;
}

void Dictionary::clear()
{
    path_.clear();
    languages_.clear();
    texts_.clear();
    resolve();
}

bool Dictionary::hasLanguage(int languageId) const
{
    for (const auto &language : languages_)
        if (language.languageId == languageId)
            return true;
    return false;
}

QString Dictionary::languageName(int languageId) const
{
    for (const auto &language : languages_)
        if (language.languageId == languageId)
            return language.name;
    return QString();
}

void Dictionary::selectLanguage(int languageId)
{
    setLanguageId(languageId & 0xffff);
}

void Dictionary::setPrimaryLanguage(int primary)
{
    setLanguageId(makeLanguageId(primary, subLanguageOf(language_)));
}

void Dictionary::setSubLanguage(int sub)
{
    setLanguageId(makeLanguageId(primaryLanguageOf(language_), sub));
}

void Dictionary::setLocale(unsigned locale)
{
    locale_ = locale;
    if (binding_ == BindingMode::LanguageToLocale)
        setLanguageId(languageFromLocale(locale));
}

void Dictionary::activate()
{
    active_ = true;
    emit languageChanged(language_);
}

void Dictionary::setLanguageId(int languageId)
{
    if (binding_ == BindingMode::LanguageToLocale)
        locale_ = localeFromLanguage(languageId);
    if (languageId == language_)
        return;
    language_ = languageId;
    resolve();
    emit languageChanged(language_);
}

void Dictionary::resolve()
{
    effective_ = 0;
    if (hasLanguage(language_)) {
        effective_ = language_;
        return;
    }
    for (const auto &language : languages_) {
        if (primaryLanguageOf(language.languageId) == primaryLanguageOf(language_)) {
            effective_ = language.languageId;
            return;
        }
    }
}

QString Dictionary::translate(const QString &source) const
{
    if (effective_ == 0)
        return source;
    const auto entry = texts_.constFind(source);
    if (entry == texts_.constEnd())
        return source;
    const auto text = entry->constFind(effective_);
    return text == entry->constEnd() ? source : *text;
}

namespace {
Dictionary *installed = nullptr;
}

Dictionary &dictionary()
{
    if (installed)
        return *installed;
    static Dictionary *builtIn = [] {
        auto *d = new Dictionary;   // lives as long as the process
        d->load();
        return d;
    }();
    return *builtIn;
}

void setActiveDictionary(Dictionary *dictionary)
{
    installed = dictionary;
}

QString translate(const QString &source)
{
    return dictionary().translate(source);
}

} // namespace tl
