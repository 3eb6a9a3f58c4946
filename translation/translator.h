#pragma once
// Translates the texts of a form: captions (labels, buttons, group boxes),
// hints (tool tips, status tips, placeholders), items (combo and list boxes),
// lines (plain and rich text boxes, one line at a time), tabs (tab widgets and
// tab bars), titles (window titles, menu titles) and the texts of actions.
//
// Each widget remembers the source texts it had when it was first translated,
// so switching languages again translates from the source, never from the
// previous translation. A text the program changes after a translation is
// taken as the new source.

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace tl {

class Dictionary;

class Translator : public QObject {
    Q_OBJECT
public:
    // dictionary null: the process-wide dictionary() at the time of each call.
    explicit Translator(Dictionary *dictionary = nullptr, QObject *parent = nullptr);

    // Translates root and every widget below it into the dictionary's current language.
    void translate(QWidget *root) const;

    // translate(root) now and every time the dictionary's language changes,
    // for as long as root lives.
    void follow(QWidget *root);

    // Texts of this widget and the widgets below it are never translated
    // (device answers, user input shown in a box, file contents).
    static void exclude(QWidget *widget);

    // A file-dialog filter: the descriptions are translated, the patterns
    // kept. Both "Text files (*.txt);;All files (*)" and the "|" form
    // "Text files|*.txt|All files|*.*" are understood.
    static QString translateFilter(const QString &filter, const Dictionary &dictionary);
    QString translateFilter(const QString &filter) const;

private:
    const Dictionary &current() const;

    QPointer<Dictionary> dictionary_;
    bool useProcessDictionary_ = true;
};

} // namespace tl
