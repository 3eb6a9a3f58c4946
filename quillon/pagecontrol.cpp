#include "pagecontrol.h"

#include <QApplication>
#include <QStackedWidget>
#include <QTabBar>

TPageControl::TPageControl(QWidget *parent) : QWidget(parent)
{
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
