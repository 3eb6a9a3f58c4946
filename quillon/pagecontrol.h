#pragma once
// A page control whose tabs can be hidden one by one: a tab bar over a stack
// of pages. A page stays selectable while its tab is hidden; when every tab is
// hidden the bar disappears and the pages fill the control.

#include <QList>
#include <functional>
#include <QWidget>

class QStackedWidget;
class QTabBar;

class TPageControl : public QWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget *parent = nullptr);

    // Adds a page with its design caption; the page's objectName is its name.
    QWidget *addPage(const char *name, const QString &caption);
    QList<QWidget *> pages() const { return pages_; }
    QWidget *page(const QString &name) const;

    QWidget *activePage() const;
    // Selects a page as the program's choice: neither pageChanging nor pageChanged.
    void setActivePage(QWidget *page);

    void setTabVisible(QWidget *page, bool visible);
    bool isTabVisible(QWidget *page) const;
    void hideAllTabs();
    QString caption(QWidget *page) const;
    void setCaption(QWidget *page, const QString &caption);
    QTabBar *tabBar() const { return tabBar_; }
    // How the design captions are shown (the form passes its dictionary lookup).
    void setCaptionTranslation(std::function<QString(const QString &)> translate);
    void retranslate() { rebuildTabs(); }
    // The first control below container that Tab reaches (shown, enabled), or null.
    static QWidget *firstFocusable(QWidget *container);

signals:
    // The user clicked a tab: from is the page being left; the receiver may
    // refuse by setting allow to false.
    void pageChanging(QWidget *from, QWidget *to, bool *allow);
    void pageChanged(QWidget *page);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void rebuildTabs();
    void layoutChildren();
    void tabClicked(int index);

    QTabBar *tabBar_;
    QStackedWidget *stack_;
    QList<QWidget *> pages_;
    QList<QString> captions_;
    QList<bool> tabVisible_;
    QList<QWidget *> tabPages_;   // page of each shown tab
    bool rebuilding_ = false;
    std::function<QString(const QString &)> translate_;
};
