// What the exerciser does: a click, a key, a choice in a list, a tab, a box
// answered, a device fault switched, each chosen at random and fired from a
// timer, so that many land inside the program's own waits.
#include "exerciser.h"

#include "simdevices.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>

namespace {

void press(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(std::min(20, w->width() / 2), std::min(10, w->height() / 2)));
}

} // namespace

void Exerciser::act()
{
    if (finishing_)
        return;
    if (clock_.elapsed() >= qint64(options_.seconds) * 1000) {
        finish();
        return;
    }
    // The next action is due whatever this one does, so it may land inside a
    // wait this one starts. At the real clock the program takes its time, and
    // so does the user, or the program would hardly get past its detection.
    const int pace = scale_ >= 0.5 ? 4 : 1;
    actionTimer_.start(pick(5) == 0 ? 0 : pace * pick(250));
    ++actions_;

    for (int i = 0; sims_ && i < int(returnAtMs_.size()); ++i) {
        if (returnAtMs_[i] >= 0 && clock_.elapsed() >= returnAtMs_[i]) {
            returnAtMs_[i] = -1;
            note(QStringLiteral("COM%1 comes back").arg(sims_->device(i).com));
            ownBlocking = true;
            sims_->comeBack(i);
            ownBlocking = false;
        }
    }
    if (!window()) {
        if (host_.canRestart() && restartAtMs_ >= 0 && clock_.elapsed() >= restartAtMs_)
            startProgram();
        return;
    }
    if (host_.ended()) {
        if (loopLevel() <= baseLoopLevel_ && host_.canRestart())
            programEnded();
        else if (QApplication::activeModalWidget())
            actInBox();
        return;
    }
    watchForms();
    // A way out under test: nothing else happens meanwhile but answering boxes.
    if (probe_.active) {
        if (QApplication::activeModalWidget())
            actInBox();
        return;
    }
    if (clock_.elapsed() >= nextProbeMs_ && idle() && (productScreen() || shownForm())) {
        startProbe();
        return;
    }
    if (loopLevel() > 8) {   // deep enough: only the boxes are answered
        actInBox();
        return;
    }
    // Inside the real program an exit ends the process: they come less often there.
    const int exitChance = options_.endWithExit ? 2 : 10;
    // Inside a wait, the ways out are what the program must survive most.
    if (loopLevel() > baseLoopLevel_ && chance(10)) {
        const int way = pick(10);
        if (way < 5) {
            if (QWidget *back = own("backbtn"); usable(back)) {
                note(QStringLiteral("click backbtn inside a wait"));
                press(back);
            }
        } else if (chance(10 * exitChance)) {
            way < 8 ? clickToolButton(true) : closeWindow();
        }
        return;
    }
    if (QApplication::activeModalWidget() && chance(70)) {
        actInBox();
        return;
    }
    // On a tool screen the user mostly works in the tool.
    const int r = shownForm() && chance(50) ? 30 + pick(32) : pick(100);
    if (r < 18)
        clickToolButton(false);
    else if (r < 30)
        clickDeviceButton();
    else if (r < 62)
        actInForm();
    else if (r < 72)
        clickTab();
    else if (r < 78)
        pressKey();
    else if (r < 86)
        switchFault();
    else if (r == 86 && chance(5 * exitChance))
        clickToolButton(true);
    else if (r == 87 && chance(3 * exitChance))
        closeWindow();
    // else: the user waits
}

void Exerciser::clickDeviceButton()
{
    QList<QWidget *> buttons;
    for (QWidget *b : deviceButtons())
        if (usable(b))
            buttons << b;
    if (buttons.isEmpty())
        return;
    QWidget *b = buttons[pick(int(buttons.size()))];
    note(QStringLiteral("click device button ") + describe(b));
    press(b);
}

void Exerciser::clickToolButton(bool exitToo)
{
    QStringList names;
    if (exitToo) {
        names = {QStringLiteral("TerminateBtn"), QStringLiteral("ExitBtn")};
    } else {
        // The ISDN TA's screens, where most waits are, come up more often.
        names = {"detectBtn", "appwizBtn", "appwizBtn", "appwizBtn", "terminalbtn", "flashdiskbtn", "SpidBtn",
                 "SpidBtn",   "protomonitorbtn", "backbtn", "updatebtn"};
        if (chance(20))   // the top row is used less often
            names << QStringList{"helpBtn", "OnlineManualBtn", "supportBtn", "contactsBtn"};
    }
    QList<QWidget *> usableButtons;
    for (const QString &name : names)
        if (QWidget *b = own(qPrintable(name)); usable(b))
            usableButtons << b;
    if (usableButtons.isEmpty())
        return;
    QWidget *b = usableButtons[pick(int(usableButtons.size()))];
    note(QStringLiteral("click ") + b->objectName());
    press(b);
}

QList<QWidget *> Exerciser::candidates(QWidget *root) const
{
    QList<QWidget *> out;
    if (!root)
        return out;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!usable(w))
            continue;
        if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QLineEdit *>(w)
            || qobject_cast<QAbstractSpinBox *>(w))
            out << w;
    }
    return out;
}

void Exerciser::actInForm()
{
    QList<QWidget *> widgets = candidates(shownForm());
    // The main window's own controls: the call log page and its buttons.
    if (QWidget *info = own("PageControl1"); info && usable(info))
        if (QWidget *pages = info->findChild<QWidget *>(QStringLiteral("PageControl_Info")); pages && pages->isVisible())
            widgets += candidates(pages);
    if (QWidget *modal = QApplication::activeModalWidget())
        widgets += candidates(modal);
    if (widgets.isEmpty())
        return;
    QWidget *w = widgets[pick(int(widgets.size()))];
    // The ways out of a tool are taken less often than its other controls.
    static const QRegularExpression leaving(QStringLiteral("Cancel|Abbrechen|Back|Zurück|Done|Fertig|Close|Schlie"));
    if (auto *b = qobject_cast<QAbstractButton *>(w); b && b->text().contains(leaving) && chance(60))
        w = widgets[pick(int(widgets.size()))];
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        if (combo->count() == 0)
            return;
        note(QStringLiteral("choose in ") + describe(combo));
        combo->setFocus();
        QTest::keyClick(combo, chance(50) ? Qt::Key_Down : Qt::Key_Up);
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        const QString text = randomText();
        note(QStringLiteral("type \"%1\" into %2").arg(text, describe(edit)));
        edit->setFocus();
        if (chance(40))
            edit->selectAll();
        QTest::keyClicks(edit, text);
    } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(w)) {
        note(QStringLiteral("step ") + describe(spin));
        spin->setFocus();
        QTest::keyClick(spin, chance(50) ? Qt::Key_Up : Qt::Key_Down);
    } else {
        note(QStringLiteral("click ") + describe(w));
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(std::min(8, w->width() / 2), w->height() / 2));
        // An impatient second click, often inside the first one's wait.
        if (chance(15)) {
            QTimer::singleShot(pick(40), this, [this, target = QPointer<QWidget>(w)] {
                if (!finishing_ && !probe_.active && usable(target)) {
                    note(QStringLiteral("click again ") + describe(target));
                    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(std::min(8, target->width() / 2),
                                                                         target->height() / 2));
                }
            });
        }
    }
}

void Exerciser::actInBox()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    QList<QAbstractButton *> buttons;
    for (QAbstractButton *b : modal->findChildren<QAbstractButton *>())
        if (usable(b))
            buttons << b;
    if (!buttons.isEmpty() && chance(80)) {
        QAbstractButton *b = buttons[pick(int(buttons.size()))];
        note(QStringLiteral("answer box with ") + describe(b));
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(std::min(8, b->width() / 2), b->height() / 2));
    } else {
        const bool escape = chance(60);
        note(QStringLiteral("press %1 in box %2").arg(escape ? "Escape" : "Enter", describe(modal)));
        QTest::keyClick(modal, escape ? Qt::Key_Escape : Qt::Key_Return);
    }
}

void Exerciser::clickTab()
{
    QList<QTabBar *> bars;
    for (QTabBar *bar : window()->findChildren<QTabBar *>())
        if (usable(bar) && bar->count() > 0)
            bars << bar;
    if (bars.isEmpty())
        return;
    QTabBar *bar = bars[pick(int(bars.size()))];
    const int tab = pick(bar->count());
    if (!bar->isTabVisible(tab) || !bar->isTabEnabled(tab))
        return;
    note(QStringLiteral("tab \"%1\" of %2").arg(bar->tabText(tab), describe(bar->parentWidget())));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

void Exerciser::pressKey()
{
    QWidget *target = QApplication::activeModalWidget();
    if (!target)
        target = QApplication::focusWidget();
    if (!target)
        target = window();
    if (chance(10)) {   // the window's popup menu has the About box
        if (auto *about = window()->findChild<QAction *>(QStringLiteral("AboutPortdeck1"))) {
            note(QStringLiteral("menu About..."));
            about->trigger();
            return;
        }
    }
    const bool escape = chance(50);
    note(QStringLiteral("press %1 in %2").arg(escape ? "Escape" : "Enter", describe(target)));
    QTest::keyClick(target, escape ? Qt::Key_Escape : Qt::Key_Return);
}

void Exerciser::switchFault()
{
    if (!sims_ || sims_->count() == 0)
        return;
    const int i = pick(sims_->count());
    const int com = sims_->device(i).com;
    const int r = pick(100);
    if (r < 45) {
        note(QStringLiteral("COM%1 faults off").arg(com));
        sims_->setFaults(i, QString());
    } else if (r < 80) {
        const QString faults = randomFaults();
        note(QStringLiteral("COM%1 faults %2").arg(com).arg(faults));
        sims_->setFaults(i, faults);
    } else if (r < 92) {
        note(QStringLiteral("COM%1 USB reset").arg(com));
        sims_->reset(i);
    } else if (returnAtMs_[i] < 0) {
        returnAtMs_[i] = clock_.elapsed() + 200 + pick(3000);
        note(QStringLiteral("COM%1 vanishes until %2 ms").arg(com).arg(returnAtMs_[i]));
        ownBlocking = true;
        sims_->vanish(i);
        ownBlocking = false;
    }
}

void Exerciser::closeWindow()
{
    note(QStringLiteral("close the window"));
    window()->close();
}
