#pragma once
// Finds the texts that do not fit their controls: labels, buttons, check
// boxes, radio buttons, group box titles, tab captions, combo items and
// column headers, measured with the control's own font. A control counts when
// it would show on some page: hidden pages of a page stack are walked too.

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTextDocument>

namespace textroom {

inline QString withoutMnemonic(QString text)
{
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

inline int widestLine(const QFontMetrics &fm, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// Shown on some page: neither the widget nor an ancestor below root is
// hidden, except the pages of a page stack.
inline bool shownOnSomePage(const QWidget *w, const QWidget *root)
{
    for (const QWidget *p = w; p && p != root; p = p->parentWidget()) {
        const bool page = qobject_cast<const QStackedWidget *>(p->parentWidget()) != nullptr;
        if (p->isHidden() && !page)
            return false;
    }
    return true;
}

// The room a control's own rectangle has to its right inside its parent.
inline int clippedRight(const QWidget *w)
{
    const QWidget *parent = w->parentWidget();
    if (!parent || w->isWindow())
        return 0;
    // A page not shown yet has not been given the size of its stack.
    int right = parent->rect().right();
    if (auto *stack = qobject_cast<const QStackedWidget *>(parent->parentWidget()))
        right = stack->contentsRect().width() - 1;
    return std::max(0, w->geometry().right() - right);
}

// How much of a control's right end a sibling to its right, on the same row and
// shown on the same page, lies over: a text running under it is not seen whole.
inline int coveredRight(const QWidget *w, const QWidget *root, QString *by = nullptr)
{
    const QWidget *parent = w->parentWidget();
    if (!parent || w->isWindow())
        return 0;
    const QRect mine = w->geometry();
    int covered = 0;
    for (const QObject *o : parent->children()) {
        const auto *sibling = qobject_cast<const QWidget *>(o);
        if (!sibling || sibling == w || sibling->isWindow() || !shownOnSomePage(sibling, root))
            continue;
        // An empty label paints nothing over what lies beneath it.
        if (const auto *label = qobject_cast<const QLabel *>(sibling);
            label && label->text().isEmpty() && label->pixmap().isNull() && !label->autoFillBackground())
            continue;
        const QRect other = sibling->geometry();
        if (other.left() <= mine.left() || other.left() > mine.right())
            continue;
        if (other.bottom() < mine.top() || other.top() > mine.bottom())
            continue;
        if (mine.right() - other.left() + 1 > covered) {
            covered = mine.right() - other.left() + 1;
            if (by)
                *by = sibling->objectName();
        }
    }
    return covered;
}

class Checker {
public:
    // Every text below root that does not fit, one line each.
    QStringList check(QWidget *root)
    {
        problems_.clear();
        coveredBy_.clear();
        root_ = root;
        const QList<QWidget *> pages = showAllPages(root);
        checkOne(root, root);
        for (QWidget *w : root->findChildren<QWidget *>())
            checkOne(w, root);
        for (QWidget *page : pages)
            page->hide();
        return problems_;
    }

private:
    // Every page of every page stack shows for the measurement, over the
    // current one, laid out as when it is chosen; outer stacks first.
    static QList<QWidget *> showAllPages(QWidget *root)
    {
        QList<QWidget *> shown;
        for (QStackedWidget *stack : root->findChildren<QStackedWidget *>()) {
            for (int i = 0; i < stack->count(); ++i) {
                QWidget *page = stack->widget(i);
                if (!page->isHidden())
                    continue;
                page->setGeometry(stack->contentsRect());
                page->show();
                shown << page;
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        // A stack inside a page gets its own size only once that page shows.
        for (QWidget *page : shown)
            page->setGeometry(static_cast<QStackedWidget *>(page->parentWidget())->contentsRect());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        return shown;
    }
    QString where(const QWidget *w) const
    {
        QStringList names;
        for (const QWidget *p = w; p; p = p->parentWidget()) {
            if (!p->objectName().isEmpty())
                names.prepend(p->objectName());
            if (p->isWindow())
                break;
        }
        return names.join(QLatin1Char('/'));
    }
    // What of a control's right end its parent's edge or a sibling takes away.
    int cutOff(const QWidget *w)
    {
        QString by;
        const int covered = coveredRight(w, root_, &by);
        const int clipped = clippedRight(w);
        if (covered > clipped)
            coveredBy_[w] = by;
        return std::max(covered, clipped);
    }
    void report(const QWidget *w, const QString &text, int needed, int room)
    {
        QString line = QStringLiteral("%1 \"%2\" needs %3 px, has %4").arg(where(w), text).arg(needed).arg(room);
        if (coveredBy_.contains(w))
            line += QStringLiteral(" (%1 lies over it)").arg(coveredBy_.value(w));
        problems_ << line;
    }
    void checkWidth(const QWidget *w, const QString &text, int needed, int room)
    {
        if (needed > room)
            report(w, text, needed, room);
    }

    void checkOne(QWidget *w, QWidget *root)
    {
        if (!shownOnSomePage(w, root))
            return;
        const QFontMetrics fm = w->fontMetrics();
        if (auto *label = qobject_cast<QLabel *>(w))
            checkLabel(label, fm);
        else if (auto *button = qobject_cast<QPushButton *>(w))
            checkButton(button, QStyle::SE_PushButtonContents, fm);
        else if (auto *check = qobject_cast<QCheckBox *>(w))
            checkButton(check, QStyle::SE_CheckBoxContents, fm);
        else if (auto *radio = qobject_cast<QRadioButton *>(w))
            checkButton(radio, QStyle::SE_RadioButtonContents, fm);
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            checkGroupBox(group, fm);
        else if (auto *tabs = qobject_cast<QTabBar *>(w))
            checkTabs(tabs, fm);
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            checkCombo(combo, fm);
        else if (auto *header = qobject_cast<QHeaderView *>(w))
            checkHeader(header, fm);
    }

    void checkLabel(QLabel *label, const QFontMetrics &fm)
    {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return;
        QString text = label->text();
        if (Qt::mightBeRichText(text) && label->textFormat() != Qt::PlainText) {
            QTextDocument doc;
            doc.setHtml(text);
            text = doc.toPlainText();
        }
        if (label->buddy())
            text = withoutMnemonic(text);
        const int margins = 2 * label->margin() + std::max(0, label->indent());
        const int room = label->contentsRect().width() - margins - cutOff(label);
        if (!label->wordWrap()) {
            checkWidth(label, text, widestLine(fm, text), room);
            return;
        }
        const QRect needed = fm.boundingRect(QRect(0, 0, std::max(room, 1), 10000),
                                             Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        const int heightRoom = label->contentsRect().height() - 2 * label->margin();
        if (needed.width() > room)
            report(label, text, needed.width(), room);
        else if (needed.height() > heightRoom)
            problems_ << QStringLiteral("%1 \"%2\" needs %3 px of height, has %4")
                             .arg(where(label), text).arg(needed.height()).arg(heightRoom);
    }

    void checkButton(QAbstractButton *button, QStyle::SubElement contents, const QFontMetrics &fm)
    {
        if (button->text().isEmpty())
            return;
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        int room = button->style()->subElementRect(contents, &option, button).width() - cutOff(button);
        if (!button->icon().isNull())
            room -= button->iconSize().width() + 4;
        const QString text = withoutMnemonic(button->text());
        // The product buttons carry their index beside the picture; the picture is what is read.
        if (!button->icon().isNull() && !text.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
            return;
        checkWidth(button, text, widestLine(fm, text), room);
    }

    void checkGroupBox(QGroupBox *group, const QFontMetrics &fm)
    {
        if (group->title().isEmpty())
            return;
        const QString text = withoutMnemonic(group->title());
        // The title sits inside the frame with a small inset at either end.
        checkWidth(group, text, fm.horizontalAdvance(text), group->width() - 16 - clippedRight(group));
    }

    void checkTabs(QTabBar *tabs, const QFontMetrics &fm)
    {
        const int padding = tabs->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, tabs);
        int total = 0;
        for (int i = 0; i < tabs->count(); ++i) {
            if (!tabs->isTabVisible(i))
                continue;
            const QString text = withoutMnemonic(tabs->tabText(i));
            total += fm.horizontalAdvance(text) + padding;
            // A tab narrower than its caption elides it.
            checkWidth(tabs, text, fm.horizontalAdvance(text), tabs->tabRect(i).width() - padding);
        }
        const int bar = tabs->parentWidget() ? tabs->parentWidget()->width() - tabs->x() : tabs->width();
        if (total > bar)
            problems_ << QStringLiteral("%1 tabs need %2 px, have %3").arg(where(tabs)).arg(total).arg(bar);
    }

    void checkCombo(QComboBox *combo, const QFontMetrics &fm)
    {
        if (combo->isEditable())
            return;
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = false;
        const int room = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                        QStyle::SC_ComboBoxEditField, combo).width()
                         - clippedRight(combo);
        for (int i = 0; i < combo->count(); ++i) {
            const QString text = combo->itemText(i);
            checkWidth(combo, text, fm.horizontalAdvance(text), room);
        }
    }

    void checkHeader(QHeaderView *header, const QFontMetrics &fm)
    {
        if (header->isHidden() || !header->model())
            return;
        const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        const Qt::Orientation o = header->orientation();
        for (int i = 0; i < header->count(); ++i) {
            if (header->isSectionHidden(i))
                continue;
            const QString text = header->model()->headerData(i, o, Qt::DisplayRole).toString();
            if (text.isEmpty())
                continue;
            const int needed = o == Qt::Horizontal ? fm.horizontalAdvance(text) + margin : fm.height();
            checkWidth(header, text, needed, header->sectionSize(i));
        }
    }

    QStringList problems_;
    QWidget *root_ = nullptr;
    QHash<const QWidget *, QString> coveredBy_;
};

} // namespace textroom
