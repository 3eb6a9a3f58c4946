// The call log memo as assistive technology sees it: a table whose columns
// are the column labels above the memo and whose rows are the device's lines,
// each cut into cells where the device leaves two or more blanks between its
// columns; and still a text that reads as the device printed it. The memo
// itself, what it shows and how it is used, stays as it is.

#include "calllogaccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace {

const char *const kColumnLabels[] = {"lblNumber", "lblPort", "lblDate", "lblTime", "lblProtocol", "lblCharge"};
constexpr int kColumns = int(std::size(kColumnLabels));

class CallLogAccessible;

class CallLogCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    CallLogCell(CallLogAccessible *table, int row, int column) : table_(table), row_(row), column_(column) {}
    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface *>(this) : nullptr;
    }
    bool isSelected() const override { return false; }
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override;

private:
    CallLogAccessible *table_;
    int row_;
    int column_;
};

class CallLogAccessible : public QAccessibleWidget, public QAccessibleTableInterface, public QAccessibleTextInterface {
public:
    explicit CallLogAccessible(QPlainTextEdit *memo) : QAccessibleWidget(memo, QAccessible::Table)
    {
        // The device's answer replaces the text: the cells made for the old one go.
        textChanged_ = QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [this] { reset(); });
    }
    ~CallLogAccessible() override
    {
        QObject::disconnect(textChanged_);
        dropCells();
    }

    QPlainTextEdit *memo() const { return static_cast<QPlainTextEdit *>(widget()); }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        return s;
    }

    // ---- rows and cells ----
    QStringList rows() const
    {
        QStringList rows;
        for (const QString &line : memo()->toPlainText().split(QLatin1Char('\n')))
            if (!line.trimmed().isEmpty())
                rows << line;
        return rows;
    }
    QString cellText(int row, int column) const
    {
        const QStringList all = rows();
        if (row < 0 || row >= all.size() || column < 0 || column >= kColumns)
            return {};
        static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
        QStringList cells = all.at(row).trimmed().split(gap);
        // More pieces than columns: the rest belongs to the last column.
        while (cells.size() > kColumns)
            cells[kColumns - 1] += QLatin1Char(' ') + cells.takeAt(kColumns);
        return column < cells.size() ? cells.at(column) : QString();
    }
    QLabel *columnLabel(int column) const
    {
        QWidget *page = widget()->parentWidget();
        return page && column >= 0 && column < kColumns
                   ? page->findChild<QLabel *>(QLatin1String(kColumnLabels[column]), Qt::FindDirectChildrenOnly)
                   : nullptr;
    }

    int childCount() const override { return rowCount() * kColumns; }
    QAccessibleInterface *child(int index) const override
    {
        return index < 0 ? nullptr : cellAt(index / kColumns, index % kColumns);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (const auto *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface())
            return cell->table() == this ? cell->rowIndex() * kColumns + cell->columnIndex() : -1;
        return -1;
    }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
            return nullptr;
        const int key = row * kColumns + column;
        auto it = cells_.constFind(key);
        if (it != cells_.constEnd())
            return QAccessible::accessibleInterface(*it);
        auto *cell = new CallLogCell(const_cast<CallLogAccessible *>(this), row, column);
        cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface *> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override
    {
        const QLabel *label = columnLabel(column);
        return label ? label->text() : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return kColumns; }
    int rowCount() const override { return int(rows().size()); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override { dropCells(); }

    // ---- the text, as shown ----
    void selection(int index, int *start, int *end) const override
    {
        const QTextCursor c = memo()->textCursor();
        *start = *end = 0;
        if (index == 0 && c.hasSelection()) {
            *start = c.selectionStart();
            *end = c.selectionEnd();
        }
    }
    int selectionCount() const override { return memo()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override
    {
        QTextCursor c = memo()->textCursor();
        c.clearSelection();
        memo()->setTextCursor(c);
    }
    void setSelection(int, int start, int end) override
    {
        QTextCursor c = memo()->textCursor();
        c.setPosition(clamp(start));
        c.setPosition(clamp(end), QTextCursor::KeepAnchor);
        memo()->setTextCursor(c);
    }
    int cursorPosition() const override { return memo()->textCursor().position(); }
    void setCursorPosition(int position) override
    {
        QTextCursor c = memo()->textCursor();
        c.setPosition(clamp(position));
        memo()->setTextCursor(c);
    }
    QString text(int start, int end) const override
    {
        const QString all = memo()->toPlainText();
        start = std::clamp(start, 0, int(all.size()));
        end = end < 0 ? int(all.size()) : std::clamp(end, start, int(all.size()));
        return all.mid(start, end - start);
    }
    QString text(QAccessible::Text t) const override { return QAccessibleWidget::text(t); }
    int characterCount() const override { return memo()->document()->characterCount() - 1; }
    QRect characterRect(int offset) const override
    {
        QTextCursor c(memo()->document());
        c.setPosition(clamp(offset));
        const QRect r = memo()->cursorRect(c);
        return QRect(memo()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return memo()->cursorForPosition(memo()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int start, int) override
    {
        QTextCursor c(memo()->document());
        c.setPosition(clamp(start));
        memo()->setTextCursor(c);
        memo()->ensureCursorVisible();
    }
    QString attributes(int offset, int *start, int *end) const override
    {
        *start = *end = offset;
        return {};
    }

private:
    int clamp(int offset) const { return std::clamp(offset, 0, characterCount()); }
    void dropCells()
    {
        for (QAccessible::Id id : std::as_const(cells_))
            QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }
    void reset()
    {
        dropCells();
        QAccessibleTableModelChangeEvent event(memo(), QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&event);
    }

    mutable QHash<int, QAccessible::Id> cells_;
    QMetaObject::Connection textChanged_;
};

bool CallLogCell::isValid() const { return table_->isValid() && row_ < table_->rowCount(); }
QWindow *CallLogCell::window() const { return table_->window(); }
QAccessibleInterface *CallLogCell::parent() const { return table_; }
QAccessibleInterface *CallLogCell::table() const { return table_; }

QString CallLogCell::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? table_->cellText(row_, column_) : QString();
}

QRect CallLogCell::rect() const
{
    // The row's line; the device's columns have no places of their own.
    QPlainTextEdit *memo = table_->memo();
    const QTextBlock block = memo->document()->findBlockByNumber(row_);
    QTextCursor c(block);
    const QRect line = memo->cursorRect(c);
    const QPoint left = memo->viewport()->mapToGlobal(QPoint(0, line.top()));
    return QRect(left, QSize(memo->viewport()->width(), line.height()));
}

QList<QAccessibleInterface *> CallLogCell::columnHeaderCells() const
{
    QLabel *label = table_->columnLabel(column_);
    QAccessibleInterface *header = label ? QAccessible::queryAccessibleInterface(label) : nullptr;
    return header ? QList<QAccessibleInterface *>{header} : QList<QAccessibleInterface *>{};
}

QAccessibleInterface *callLogAccessible(const QString &, QObject *object)
{
    // Known by its page: the interface may be asked for before the memo has its name.
    auto *memo = qobject_cast<QPlainTextEdit *>(object);
    if (memo && memo->parentWidget() && memo->parentWidget()->objectName() == QLatin1String("Sheet_CallLog"))
        return new CallLogAccessible(memo);
    return nullptr;
}

} // namespace

void installCallLogAccessibility()
{
    static const bool installed = (QAccessible::installFactory(callLogAccessible), true);
    Q_UNUSED(installed);
}
