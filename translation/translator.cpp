#include "translator.h"

#include "dictionary.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVariant>

namespace tl {

namespace {

constexpr const char *kExcluded = "tlNoTranslate";

QByteArray sourceKey(const char *key) { return QByteArray("tl.source.") + key; }
QByteArray shownKey(const char *key) { return QByteArray("tl.shown.") + key; }

// The source of one text of an object: the remembered source while the object
// still shows what the last translation put there; otherwise the text now
// shown (first translation, or the program has set a new text since).
template <typename T>
T sourceOf(QObject *object, const char *key, const T &current)
{
    const QVariant shown = object->property(shownKey(key).constData());
    if (shown.isValid() && shown.value<T>() == current)
        return object->property(sourceKey(key).constData()).value<T>();
    object->setProperty(sourceKey(key).constData(), QVariant::fromValue(current));
    return current;
}

template <typename T>
void remember(QObject *object, const char *key, const T &shown)
{
    object->setProperty(shownKey(key).constData(), QVariant::fromValue(shown));
}

template <typename Get, typename Set>
void translateText(QObject *object, const char *key, const Dictionary &dictionary, Get get, Set set)
{
    const QString current = get();
    if (current.isEmpty())
        return;
    const QString text = dictionary.translate(sourceOf(object, key, current));
    if (text != current)
        set(text);
    remember(object, key, text);
}

// Items, tabs and lines: a list of texts translated one by one.
template <typename Get, typename Set>
void translateList(QObject *object, const char *key, const Dictionary &dictionary, Get get, Set set)
{
    const QStringList current = get();
    if (current.isEmpty())
        return;
    // Item by item, so that an item the program added or replaced becomes a
    // source of its own while the others keep theirs.
    const QStringList shown = object->property(shownKey(key).constData()).toStringList();
    const QStringList remembered = object->property(sourceKey(key).constData()).toStringList();
    QStringList source = current;
    for (int i = 0; i < current.size(); ++i)
        if (i < shown.size() && i < remembered.size() && shown[i] == current[i])
            source[i] = remembered[i];
    object->setProperty(sourceKey(key).constData(), source);
    QStringList texts;
    texts.reserve(source.size());
    for (const QString &s : source)
        texts.append(s.isEmpty() ? s : dictionary.translate(s));
    for (int i = 0; i < texts.size(); ++i)
        if (texts[i] != current[i])
            set(i, texts[i]);
    remember(object, key, texts);
}

void translateAction(QAction *action, const Dictionary &d)
{
    translateText(action, "text", d, [&] { return action->text(); },
                  [&](const QString &t) { action->setText(t); });
    translateText(action, "toolTip", d, [&] { return action->toolTip(); },
                  [&](const QString &t) { action->setToolTip(t); });
}

QStringList blockTexts(const QTextDocument *document)
{
    QStringList lines;
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next())
        lines.append(b.text());
    return lines;
}

// Replaces one line in place, so the formatting of rich text stays.
void setBlockText(QTextDocument *document, int index, const QString &text)
{
    QTextCursor cursor(document->findBlockByNumber(index));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

void translateLines(QObject *owner, QTextDocument *document, const Dictionary &d)
{
    translateList(owner, "lines", d, [&] { return blockTexts(document); },
                  [&](int i, const QString &t) { setBlockText(document, i, t); });
}

void translateWidget(QWidget *w, const Dictionary &d)
{
    translateText(w, "windowTitle", d, [&] { return w->windowTitle(); },
                  [&](const QString &t) { w->setWindowTitle(t); });
    translateText(w, "toolTip", d, [&] { return w->toolTip(); },
                  [&](const QString &t) { w->setToolTip(t); });
    translateText(w, "statusTip", d, [&] { return w->statusTip(); },
                  [&](const QString &t) { w->setStatusTip(t); });

    if (auto *label = qobject_cast<QLabel *>(w)) {
        translateText(w, "text", d, [&] { return label->text(); },
                      [&](const QString &t) { label->setText(t); });
    } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        translateText(w, "text", d, [&] { return button->text(); },
                      [&](const QString &t) { button->setText(t); });
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        translateText(w, "title", d, [&] { return group->title(); },
                      [&](const QString &t) { group->setTitle(t); });
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        // The text itself is the user's; only the hint shown in an empty box is ours.
        translateText(w, "placeholder", d, [&] { return edit->placeholderText(); },
                      [&](const QString &t) { edit->setPlaceholderText(t); });
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        translateList(w, "items", d,
                      [&] {
                          QStringList items;
                          for (int i = 0; i < combo->count(); ++i)
                              items.append(combo->itemText(i));
                          return items;
                      },
                      [&](int i, const QString &t) { combo->setItemText(i, t); });
    } else if (auto *list = qobject_cast<QListWidget *>(w)) {
        translateList(w, "items", d,
                      [&] {
                          QStringList items;
                          for (int i = 0; i < list->count(); ++i)
                              items.append(list->item(i)->text());
                          return items;
                      },
                      [&](int i, const QString &t) { list->item(i)->setText(t); });
    } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
        translateList(w, "tabs", d,
                      [&] {
                          QStringList texts;
                          for (int i = 0; i < tabs->count(); ++i)
                              texts.append(tabs->tabText(i));
                          return texts;
                      },
                      [&](int i, const QString &t) { tabs->setTabText(i, t); });
        translateList(w, "tabHints", d,
                      [&] {
                          QStringList texts;
                          for (int i = 0; i < tabs->count(); ++i)
                              texts.append(tabs->tabToolTip(i));
                          return texts;
                      },
                      [&](int i, const QString &t) { tabs->setTabToolTip(i, t); });
    } else if (auto *bar = qobject_cast<QTabBar *>(w)) {
        // The bar of a tab widget is done through the tab widget.
        if (!qobject_cast<QTabWidget *>(bar->parentWidget()))
            translateList(w, "tabs", d,
                          [&] {
                              QStringList texts;
                              for (int i = 0; i < bar->count(); ++i)
                                  texts.append(bar->tabText(i));
                              return texts;
                          },
                          [&](int i, const QString &t) { bar->setTabText(i, t); });
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(w)) {
        translateLines(w, plain->document(), d);
    } else if (auto *rich = qobject_cast<QTextEdit *>(w)) {
        translateLines(w, rich->document(), d);
    } else if (auto *menu = qobject_cast<QMenu *>(w)) {
        translateText(w, "title", d, [&] { return menu->title(); },
                      [&](const QString &t) { menu->setTitle(t); });
    }

    for (QAction *action : w->actions())
        translateAction(action, d);
}

void translateTree(QWidget *w, const Dictionary &d)
{
    if (w->property(kExcluded).toBool())
        return;
    translateWidget(w, d);
    for (QObject *child : w->children())
        if (auto *childWidget = qobject_cast<QWidget *>(child))
            translateTree(childWidget, d);
}

} // namespace

Translator::Translator(Dictionary *dictionary, QObject *parent)
    : QObject(parent), dictionary_(dictionary), useProcessDictionary_(dictionary == nullptr)
{
}

const Dictionary &Translator::current() const
{
    if (useProcessDictionary_ || dictionary_.isNull())
        return tl::dictionary();
    return *dictionary_;
}

void Translator::translate(QWidget *root) const
{
    if (root)
        translateTree(root, current());
}

void Translator::follow(QWidget *root)
{
    if (!root)
        return;
    Dictionary *dictionary = useProcessDictionary_ || dictionary_.isNull() ? &tl::dictionary() : dictionary_.data();
    translateTree(root, *dictionary);
    // The root is the context: the connection ends with the form.
    connect(dictionary, &Dictionary::languageChanged, root,
            [root, dictionary] { translateTree(root, *dictionary); });
}

void Translator::exclude(QWidget *widget)
{
    if (widget)
        widget->setProperty(kExcluded, true);
}

QString Translator::translateFilter(const QString &filter, const Dictionary &dictionary)
{
    if (filter.contains(QLatin1Char('|'))) {
        QStringList parts = filter.split(QLatin1Char('|'));
        for (int i = 0; i < parts.size(); i += 2)
            parts[i] = dictionary.translate(parts[i]);
        return parts.join(QLatin1Char('|'));
    }
    QStringList parts = filter.split(QStringLiteral(";;"));
    for (QString &part : parts) {
        const QString whole = dictionary.translate(part);
        if (whole != part) {
            part = whole;
            continue;
        }
        // "Text files (*.txt)": the description alone is the dictionary's text.
        const qsizetype open = part.lastIndexOf(QStringLiteral(" ("));
        if (open > 0 && part.endsWith(QLatin1Char(')')))
            part = dictionary.translate(part.left(open)) + part.mid(open);
    }
    return parts.join(QStringLiteral(";;"));
}

QString Translator::translateFilter(const QString &filter) const
{
    return translateFilter(filter, current());
}

} // namespace tl
