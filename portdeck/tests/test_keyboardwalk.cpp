// Portdeck used with the keyboard alone: Tab reaches the device buttons and
// the panel buttons in a sensible order, Enter and Space press them, and a
// product screen and a tool are opened and left without the mouse.

#include "tooltestfixture.h"

#include <QApplication>

namespace {

class KeyboardWalk : public ToolForm {
protected:
    // What the focused control is called on screen.
    static QString nameOf(QWidget *w)
    {
        if (auto *device = qobject_cast<TCustomBitBtn *>(w))
            return device->hint();
        if (auto *panel = qobject_cast<PanelButton *>(w))
            return panel->caption().remove(QLatin1Char('&'));
        return w ? QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName()
                 : QStringLiteral("(none)");
    }
    // The names Tab visits from the focused control until it comes round again.
    QStringList tabRound()
    {
        QStringList seen;
        QList<QWidget *> visited;
        for (int i = 0; i < 40; ++i) {
            QWidget *w = QApplication::focusWidget();
            if (visited.contains(w))
                break;
            visited << w;
            seen << nameOf(w);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        return seen;
    }
    // Tabs on to the control called name; false when Tab never gets there.
    bool tabTo(const QString &name)
    {
        for (int i = 0; i < 40; ++i) {
            if (nameOf(QApplication::focusWidget()) == name)
                return true;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        return false;
    }
    // The product screen's "please wait" window takes the keyboard while it
    // is up; the window manager hands it back to the main window when it
    // goes. There is no window manager here, so the test does that.
    void activateWhenAlone()
    {
        ASSERT_TRUE(waitFor([&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (w != frame.get() && w->isVisible())
                    return false;
            }
            return true;
        }));
        if (QApplication::activeWindow() != frame.get()) {
            frame->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        }
        QTest::qWait(20);
    }
    void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
};

} // namespace

TEST_F(KeyboardWalk, DevicesToolsAndBackWithoutTheMouse)
{
    if (!sim("isdnta", 1) || !sim("56k", 2))
        GTEST_SKIP() << "tallysim not built";
    start();
    detected();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    if (!QApplication::focusWidget())
        QTest::keyClick(frame.get(), Qt::Key_Tab);

    const QStringList round = tabRound();
    const QString isdn = QStringLiteral("Varnel Brenmoor ISDN TA  (COM1)");
    const QString modem = frame->deviceButtons.value(1) ? frame->deviceButtons[1]->hint() : QString();
    for (const QString &name : {isdn, modem, QStringLiteral("Detect"), QStringLiteral("Exit")})
        EXPECT_TRUE(round.contains(name)) << qPrintable(name) << " not reached: " << qPrintable(round.join(" | "));
    // The devices come in list order, before Detect and Exit below them.
    EXPECT_LT(round.indexOf(isdn), round.indexOf(modem));
    EXPECT_LT(round.indexOf(modem), round.indexOf(QStringLiteral("Detect")));
    EXPECT_LT(round.indexOf(QStringLiteral("Detect")), round.indexOf(QStringLiteral("Exit")));

    // Enter on the modem opens its screen.
    ASSERT_TRUE(tabTo(modem));
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return milestones.contains(QLatin1String("56KModem")); }));
    ASSERT_TRUE(waitFor([&] { return frame->backbtn->isEnabled(); }));

    activateWhenAlone();
    // The modem's configuration opens with its screen, so its button is off:
    // the focus is on the first tool that is on, and every tool is reached
    // in the panel's order.
    EXPECT_EQ(nameOf(QApplication::focusWidget()), "Terminal");
    const QStringList tools = tabRound();
    const QStringList expected{"Terminal", "Flash From Disk", "Patchwell", "Back", "Exit"};
    int last = -1;
    for (const QString &name : expected) {
        const int at = tools.indexOf(name);
        EXPECT_GT(at, last) << qPrintable(name) << " out of order: " << qPrintable(tools.join(" | "));
        last = std::max(last, at);
    }

    // Space opens the terminal, Back by keyboard closes it, Back again
    // returns to the device list.
    ASSERT_TRUE(tabTo(QStringLiteral("Terminal")));
    press(Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return frame->control == QLatin1String("Terminal") && frame->backbtn->isEnabled(); }));
    ASSERT_TRUE(tabTo(QStringLiteral("Back")));
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return frame->control == QLatin1String("None") && frame->backbtn->isEnabled(); }));
    ASSERT_TRUE(tabTo(QStringLiteral("Back")));
    press(Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return frame->OptionsPageControl->currentWidget() == frame->ModemSheet; }));
    ASSERT_TRUE(waitFor([&] { return frame->detectBtn->isEnabled(); }));

    // Detect by keyboard runs a pass.
    ASSERT_TRUE(tabTo(QStringLiteral("Detect")));
    press(Qt::Key_Return);
    detected();
    EXPECT_EQ(frame->ModemCount, 2);
}
