#include "pagecontrol.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QPointer>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>

namespace {

// One tab of the page control to assistive technology. Its press is carried
// out from the event loop: the page change may ask whether to save first,
// and the caller waits for the press to return before it can answer.
class PageTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PageTabAccessible(QTabBar *bar, int index) : bar_(bar), index_(index) {}
    bool isValid() const override { return bar_ && index_ < bar_->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name) {
            QString caption = bar_->tabText(index_);
            caption.remove(QLatin1Char('&'));
            return caption.trimmed();
        }
        return t == QAccessible::Description ? bar_->tabToolTip(index_) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        s.disabled = !bar_->isEnabled() || !bar_->isTabEnabled(index_);
        s.invisible = !bar_->isVisible();
        s.selected = bar_->currentIndex() == index_;
        s.focused = s.selected && bar_->hasFocus();
        return s;
    }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = bar_->tabRect(index_);
        return QRect(bar_->mapToGlobal(r.topLeft()), r.size());
    }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name != pressAction() || !isValid() || state().disabled)
            return;
        QTimer::singleShot(0, bar_.data(), [bar = bar_, index = index_] {
            if (bar && index < bar->count())
                bar->setCurrentIndex(index);
        });
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QTabBar> bar_;
    int index_;
};

class PageTabBarAccessible : public QAccessibleWidget {
public:
    explicit PageTabBarAccessible(QTabBar *bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~PageTabBarAccessible() override
    {
        for (QAccessible::Id id : std::as_const(tabs_))
            QAccessible::deleteAccessibleInterface(id);
    }
    QTabBar *bar() const { return static_cast<QTabBar *>(object()); }
    int childCount() const override { return bar()->count(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= bar()->count())
            return nullptr;
        if (QAccessibleInterface *known = QAccessible::accessibleInterface(tabs_.value(index)))
            return known;
        auto *tab = new PageTabAccessible(bar(), index);
        tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto it = tabs_.cbegin(); it != tabs_.cend(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint p = bar()->mapFromGlobal(QPoint(x, y));
        const int index = bar()->tabAt(p);
        return index >= 0 ? child(index) : nullptr;
    }

private:
    mutable QHash<int, QAccessible::Id> tabs_;
};

QAccessibleInterface *pageTabBarAccessible(const QString &, QObject *object)
{
    auto *bar = qobject_cast<QTabBar *>(object);
    if (bar && qobject_cast<TPageControl *>(bar->parent()))
        return new PageTabBarAccessible(bar);
    return nullptr;
}

} // namespace

TPageControl::TPageControl(QWidget *parent) : QWidget(parent)
{
    static const bool factoryInstalled = (QAccessible::installFactory(pageTabBarAccessible), true);
    Q_UNUSED(factoryInstalled);
    tabBar_ = new QTabBar(this);
    tabBar_->setObjectName(QStringLiteral("PageControl1TabBar"));
    tabBar_->setDrawBase(true);
    stack_ = new QStackedWidget(this);
    connect(tabBar_, &QTabBar::currentChanged, this, &TPageControl::tabClicked);
    tabBar_->hide();
}

QWidget *TPageControl::addPage(const char *name, const QString &caption)
{
    auto *page = new QWidget(stack_);
    page->setObjectName(QLatin1String(name));
    page->setWindowTitle(caption);   // lets the translator reach the caption
    stack_->addWidget(page);
    pages_.append(page);
    captions_.append(caption);
    tabVisible_.append(false);
    return page;
}

QWidget *TPageControl::page(const QString &name) const
{
    for (QWidget *p : pages_)
        if (p->objectName() == name)
            return p;
    return nullptr;
}

QWidget *TPageControl::activePage() const { return stack_->currentWidget(); }

void TPageControl::setActivePage(QWidget *page)
{
    if (!page)
        return;
    // A keyboard user on the page being left goes on in the page shown.
    QWidget *from = stack_->currentWidget();
    QWidget *focus = QApplication::focusWidget();
    const bool hadFocus = focus && from && from != page && from->isAncestorOf(focus);
    stack_->setCurrentWidget(page);
    rebuildTabs();
    if (hadFocus) {
        if (QWidget *first = firstFocusable(page))
            first->setFocus(Qt::OtherFocusReason);
    }
}

QWidget *TPageControl::firstFocusable(QWidget *container)
{
    for (QWidget *w = container->nextInFocusChain(); w && w != container; w = w->nextInFocusChain()) {
        if (container->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() &&
            w->isVisible() && w->isEnabled())
            return w;
    }
    return nullptr;
}

void TPageControl::setTabVisible(QWidget *page, bool visible)
{
    const qsizetype i = pages_.indexOf(page);
    if (i < 0 || tabVisible_[i] == visible)
        return;
    tabVisible_[i] = visible;
    rebuildTabs();
}

bool TPageControl::isTabVisible(QWidget *page) const
{
    const qsizetype i = pages_.indexOf(page);
    return i >= 0 && tabVisible_[i];
}

void TPageControl::hideAllTabs()
{
    for (qsizetype i = 0; i < tabVisible_.size(); ++i)
        tabVisible_[i] = false;
    rebuildTabs();
}

QString TPageControl::caption(QWidget *page) const
{
    const qsizetype i = pages_.indexOf(page);
    return i < 0 ? QString() : captions_[i];
}

void TPageControl::setCaption(QWidget *page, const QString &caption)
{
    const qsizetype i = pages_.indexOf(page);
    if (i < 0)
        return;
    captions_[i] = caption;
    rebuildTabs();
}

void TPageControl::rebuildTabs()
{
    rebuilding_ = true;
    while (tabBar_->count() > 0)
        tabBar_->removeTab(0);
    tabPages_.clear();
    for (qsizetype i = 0; i < pages_.size(); ++i) {
        if (!tabVisible_[i])
            continue;
        tabBar_->addTab(translate_ ? translate_(captions_[i]) : captions_[i]);
        tabPages_.append(pages_[i]);
    }
    const qsizetype current = tabPages_.indexOf(stack_->currentWidget());
    tabBar_->setCurrentIndex(current < 0 ? -1 : int(current));
    tabBar_->setVisible(!tabPages_.isEmpty());
    rebuilding_ = false;
    layoutChildren();
}

void TPageControl::tabClicked(int index)
{
    if (rebuilding_ || index < 0 || index >= tabPages_.size())
        return;
    QWidget *to = tabPages_[index];
    QWidget *from = stack_->currentWidget();
    if (to == from)
        return;
    bool allow = true;
    emit pageChanging(from, to, &allow);
    if (!allow || !tabPages_.contains(to)) {
        rebuildTabs();
        return;
    }
    // The handler may already have moved to another page.
    if (stack_->currentWidget() == from)
        stack_->setCurrentWidget(to);
    rebuildTabs();
    emit pageChanged(stack_->currentWidget());
}

void TPageControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void TPageControl::layoutChildren()
{
    const int barHeight = tabBar_->isVisibleTo(this) ? tabBar_->sizeHint().height() : 0;
    tabBar_->setGeometry(0, 0, width(), barHeight);
    stack_->setGeometry(0, barHeight, width(), height() - barHeight);
}

void TPageControl::setCaptionTranslation(std::function<QString(const QString &)> translate)
{
    translate_ = std::move(translate);
    rebuildTabs();
}
