#pragma once
// A tab bar whose tabs can be disabled one by one. A disabled tab stays visible
// with embossed text and cannot be chosen with the mouse or the arrow keys;
// choosing a tab asks the owner first (selectionRequest), which may refuse.

#include <QSet>
#include <QStringList>
#include <QTabBar>
#include <functional>

class CTabCtrlWithDisable : public QTabBar {
    Q_OBJECT
public:
    explicit CTabCtrlWithDisable(QWidget *parent = nullptr);

    virtual bool IsTabEnabled(int index) const { return enabled_.contains(index); }
    void SetTabEnabled(int index, bool enable);

    // The tab texts as the language file gives them, "&" marking the mnemonic.
    int addCaptionedTab(const QString &caption);
    void setCaption(int index, const QString &caption);
    QString caption(int index) const { return captions_.value(index); }

    // -1 when there is none; with wrap the search goes round past the last tab.
    int NextEnabledTab(int from, bool wrap) const;
    int PreviousEnabledTab(int from, bool wrap) const;
    // Asks the owner, then selects; false when the owner refused.
    bool SelectTab(int index);

    // Set by the owner: activate the page of a tab; false refuses the change.
    std::function<bool(int index)> selectionRequest;

protected:
    virtual void DrawTabText(QPainter &painter, const QRect &rect, const QString &text, bool disabled);
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    QSize tabSizeHint(int index) const override;

private:
    QSet<int> enabled_;
    QStringList captions_;
};
