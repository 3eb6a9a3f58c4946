#include "tabctrlwithdisable.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace {

// The bar's own text has no "&": the bar would otherwise claim Alt + the
// mnemonic for itself, and the sheet decides what those keys do.
QString plain(const QString &caption)
{
    QString s = caption;
    s.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    s.remove(QLatin1Char('&'));
    s.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return s;
}

} // namespace

CTabCtrlWithDisable::CTabCtrlWithDisable(QWidget *parent) : QTabBar(parent)
{
    setObjectName(QStringLiteral("CTabCtrlWithDisable"));
    setExpanding(false);
    setDrawBase(true);
    setFocusPolicy(Qt::StrongFocus);
}

int CTabCtrlWithDisable::addCaptionedTab(const QString &caption)
{
    captions_ << caption;
    return addTab(plain(caption));
}

void CTabCtrlWithDisable::setCaption(int index, const QString &caption)
{
    if (index < 0 || index >= count())
        return;
    captions_[index] = caption;
    setTabText(index, plain(caption));
}

void CTabCtrlWithDisable::SetTabEnabled(int index, bool enable)
{
    if (enable)
        enabled_.insert(index);
    else
        enabled_.remove(index);
    // Told to the bar as well, so that assistive technology reports it.
    QTabBar::setTabEnabled(index, enable);
    update();
}

int CTabCtrlWithDisable::NextEnabledTab(int from, bool wrap) const
{
    for (int i = from + 1; i < count(); ++i)
        if (IsTabEnabled(i))
            return i;
    if (wrap)
        for (int i = 0; i < from; ++i)
            if (IsTabEnabled(i))
                return i;
    return -1;
}

int CTabCtrlWithDisable::PreviousEnabledTab(int from, bool wrap) const
{
    for (int i = from - 1; i >= 0; --i)
        if (IsTabEnabled(i))
            return i;
    if (wrap)
        for (int i = count() - 1; i > from; --i)
            if (IsTabEnabled(i))
                return i;
    return -1;
}

bool CTabCtrlWithDisable::SelectTab(int index)
{
    if (index < 0 || index >= count())
        return false;
    if (selectionRequest && !selectionRequest(index))
        return false;
    setCurrentIndex(index);
    return true;
}

QSize CTabCtrlWithDisable::tabSizeHint(int index) const
{
    QSize s = QTabBar::tabSizeHint(index);
    // Room for the text's offset and the embossed shadow.
    return {s.width() + 6, s.height() + 4};
}

void CTabCtrlWithDisable::DrawTabText(QPainter &painter, const QRect &rect, const QString &text, bool disabled)
{
    const QRect r = rect.translated(1, 4);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
    if (!disabled) {
        painter.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
        painter.drawText(r, flags, text);
        return;
    }
    // Embossed: the highlight first, then the grey text one pixel up and left.
    painter.setPen(palette().color(QPalette::Active, QPalette::Light));
    painter.drawText(r, flags, text);
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(r.translated(-1, -1), flags, text);
}

void CTabCtrlWithDisable::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        const QString text = option.text;
        option.text.clear();
        p.drawControl(QStyle::CE_TabBarTabShape, option);
        QRect textRect = option.rect;
        textRect.adjust(0, 0, 0, -4);
        p.fillRect(textRect.adjusted(3, 3, -3, 0), palette().color(QPalette::Button));
        DrawTabText(p, textRect, caption(i).isEmpty() ? text : caption(i), !IsTabEnabled(i));
    }
}

void CTabCtrlWithDisable::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int hit = tabAt(event->position().toPoint());
    if (hit < 0 || !IsTabEnabled(hit) || hit == currentIndex())
        return;
    SelectTab(hit);
}

void CTabCtrlWithDisable::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier
        && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        const int to = event->key() == Qt::Key_Left ? PreviousEnabledTab(currentIndex(), false)
                                                    : NextEnabledTab(currentIndex(), false);
        if (to >= 0)
            SelectTab(to);
        return;
    }
    event->ignore();
}

void CTabCtrlWithDisable::wheelEvent(QWheelEvent *event)
{
    // The wheel would pass disabled tabs by; it changes nothing here.
    event->ignore();
}
