// The keyboard focus across screen changes: when the control that had it is
// hidden (the device list gives way to the tool list, or back), it goes to
// the first control of the panel now shown, so that a keyboard user is never
// left with no control to type to. A product screen just opened puts it on
// its first tool: while the screen opens only Exit may be enabled, and the
// focus must not be left on the way out.

#include "containerframe.h"

#include <QApplication>
#include <QStackedWidget>
#include <QTimer>

void TcontainerFrame::setUpKeyboardFocus()
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (!now)
            QTimer::singleShot(0, this, &TcontainerFrame::restoreKeyboardFocus);
    });
}

void TcontainerFrame::restoreKeyboardFocus()
{
    placeKeyboardFocus(false);
}

// The window's own focus control is used, active or not: the window gets it
// back when it is activated again (after a "please wait" window, say).
void TcontainerFrame::placeKeyboardFocus(bool onFirst)
{
    if (closing_ || appTerminated)
        return;
    QWidget *focus = focusWidget();
    QWidget *panel = OptionsPageControl->currentWidget();
    if (focus && focus->isVisible() && focus->isEnabled() && !(onFirst && panel->isAncestorOf(focus)))
        return;   // a control has it, or a form beside the panel took it for itself
    QWidget *w = this;
    while ((w = w->nextInFocusChain()) != this) {
        if (panel->isAncestorOf(w) && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            if (w != focus)
                w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}
