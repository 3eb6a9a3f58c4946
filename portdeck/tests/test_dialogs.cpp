// The small windows: About box, debug window, restore box and prompt box;
// and the window's texts in another language.

#include "clock.h"
#include "dialogs.h"
#include "formfixture.h"
#include "portdeckdictionary.h"

#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTimer>

TEST(Dialogs, AboutBoxShowsTheVersionAndStaysNonModal)
{
    TAboutBox box("Version 3.2 (Build: 3.02.05)", nullptr, nullptr);
    box.show();
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(box.versionLabel->text(), "Version 3.2 (Build: 3.02.05)");
    EXPECT_EQ(box.size(), QSize(298, 171));
    box.OKButton->click();
    EXPECT_FALSE(box.isVisible());
}

TEST(Dialogs, DebugWindowKeepsOnlyTheFirstLineWhenClosed)
{
    TDebugForm form(nullptr);
    form.show();
    form.addLine("00:01:02: start");
    form.addLine("00:01:03: second");
    form.addLine("00:01:04: third");
    EXPECT_EQ(form.Label1->text(), "00:01:04: third");
    form.close();
    EXPECT_EQ(form.DebugRichEdit1->toPlainText(), "00:01:02: start");
}

TEST(Dialogs, PromptBoxResults)
{
    TPromptMsgForm prompt(nullptr, nullptr);
    QTimer::singleShot(50, &prompt, [&] { prompt.OKBtn->click(); });
    EXPECT_EQ(prompt.ask("Please insert the product CD."), 1);
    EXPECT_EQ(prompt.STextInsertCD->text(), "Please insert the product CD.");
    QTimer::singleShot(50, &prompt, [&] { prompt.CancelBtn->click(); });
    EXPECT_EQ(prompt.ask("again"), 2);
    QTimer::singleShot(50, &prompt, [&] { prompt.BrowseBtn->click(); });
    EXPECT_EQ(prompt.ask("again"), 3);
    EXPECT_FALSE(prompt.isVisible());
    QTimer::singleShot(50, &prompt, [&] { prompt.close(); });
    EXPECT_EQ(prompt.ask("again"), -1);
}

TEST(Dialogs, RestoreBoxBlinksWhileShown)
{
    TNonModalMsgBox box(nullptr, nullptr);
    EXPECT_EQ(box.panelLabel->text(), "Click Here to Restore Portdeck");
    box.show();
    EXPECT_TRUE(box.AnimationTimer->isEnabled());
    const bool before = box.aquaPhase;
    ASSERT_TRUE(QTest::qWaitFor([&] { return box.aquaPhase != before; }, 3000));
    box.hide();
    EXPECT_FALSE(box.AnimationTimer->isEnabled());
    bool clicked = false;
    QObject::connect(&box, &TNonModalMsgBox::restoreClicked, [&] { clicked = true; });
    box.show();
    QTest::mouseClick(box.panelLabel, Qt::LeftButton);
    EXPECT_TRUE(clicked);
}

TEST(Dialogs, RestoreBoxIsAButtonToTheKeyboardAndAssistiveTechnology)
{
    TNonModalMsgBox box(nullptr, nullptr);
    int clicks = 0;
    QObject::connect(&box, &TNonModalMsgBox::restoreClicked, [&] { ++clicks; });
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    QTest::keyClick(&box, Qt::Key_Tab);
    ASSERT_TRUE(box.PanelClickToPD->hasFocus());
    EXPECT_EQ(box.PanelClickToPD->frameShadow(), QFrame::Sunken);   // the focus mark
    QTest::keyClick(box.PanelClickToPD, Qt::Key_Space);
    QTest::keyClick(box.PanelClickToPD, Qt::Key_Return);
    EXPECT_EQ(clicks, 2);

    QAccessible::setActive(true);
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(box.PanelClickToPD);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Button);
    EXPECT_EQ(a->text(QAccessible::Name), "Click Here to Restore Portdeck");
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 3; }, 1000));
}

TEST(Dialogs, PromptBoxAnnouncesItsText)
{
    TPromptMsgForm prompt(nullptr, nullptr);
    QAccessible::setActive(true);
    QString announced;
    QTimer::singleShot(50, &prompt, [&] {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(&prompt);
        announced = a ? a->text(QAccessible::Description) : QString();
        prompt.OKBtn->click();
    });
    prompt.ask("Please insert the product CD.");
    EXPECT_EQ(announced, "Please insert the product CD.");
}

TEST_F(PortdeckForm, DebugWindowMirrorsTheLogOnlyWithLogging)
{
    start({"/s"});
    EXPECT_FALSE(frame->ownedDebugForm);
    EXPECT_FALSE(QFile::exists(frame->logger.filePath()));
    frame.reset();
    start({"/l", "/s"});
    ASSERT_TRUE(frame->ownedDebugForm);
    EXPECT_TRUE(frame->ownedDebugForm->DebugRichEdit1->toPlainText().contains(": constructor detectBtn->Enabled = FALSE"));
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck", "Logging").value_or(""), "on");
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck", "WaitAndYield").value_or(""), "off");
    detected();
}

TEST_F(PortdeckForm, WindowLayoutAndStartState)
{
    start();
    EXPECT_EQ(frame->size(), QSize(645, 421));
    EXPECT_EQ(frame->versionText, "Version 3.2 (Build: 3.02.05)");
    EXPECT_FALSE(frame->helpBtn->isVisible());
    EXPECT_FALSE(frame->contactsBtn->isVisible());
    EXPECT_EQ(frame->OnlineManualBtn->pos(), QPoint(155, 52));
    EXPECT_EQ(frame->supportBtn->pos(), QPoint(500, 52));
    EXPECT_EQ(frame->brandLabel->text(), "Portdeck 3.0 - Product Detection");
    EXPECT_EQ(frame->detectBtn->pictureName(), "BMP_GDETECT");
    EXPECT_FALSE(frame->detectBtn->isEnabled());
    EXPECT_EQ(frame->helpFile, "nodevice.hlp");
    EXPECT_TRUE(logHas("constructor detectBtn->Enabled = FALSE\n"));
    detected();
    EXPECT_EQ(frame->detectBtn->pictureName(), "BMP_DETECT");
    // Detect again: the same buttons are reused, the list starts empty.
    click(frame->detectBtn);
    EXPECT_TRUE(logHas("detectBtnClick detectBtn->Enabled = FALSE\n"));
    EXPECT_EQ(frame->ModemCount, 0);
    EXPECT_EQ(frame->statusInfoStatic->text(), "No Modem Detected");
}

TEST_F(PortdeckForm, GermanTextsFromTheDictionary)
{
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", "407");
    PortdeckDictionary dictionary;
    if (dictionary.dictionary().isEmpty())
        GTEST_SKIP() << "no dictionary beside the tests";
    frame = std::make_unique<TcontainerFrame>(QStringList{"/l"}, &dictionary);
    frame->milestone = [this](const QString &what) { milestones << what; };
    EXPECT_EQ(frame->brandLabel->text(), "Portdeck 3.0 - Produkterkennung");
    EXPECT_NE(frame->detectBtn->caption(), "Detect");
    detected();
    EXPECT_NE(frame->statusInfoStatic->text(), "No Modem Detected");
    frame.reset();
}

TEST_F(PortdeckForm, PressedPanelButtonTurnsYellowAndMovesUntilReleased)
{
    start();
    detected();
    PanelButton *detect = frame->detectBtn;
    ASSERT_TRUE(detect->isEnabled());
    const QPoint label = detect->label()->pos();
    const QPoint picture = detect->picture()->pos();
    QTest::mousePress(detect, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(detect->label()->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    EXPECT_EQ(detect->label()->pos(), label + QPoint(3, 2));
    EXPECT_EQ(detect->picture()->pos(), picture + QPoint(3, 2));
    // Released outside: nothing starts, the button looks as before.
    QTest::mouseRelease(detect, Qt::LeftButton, {}, QPoint(400, 400));
    EXPECT_EQ(detect->label()->pos(), label);
    EXPECT_EQ(detect->picture()->pos(), picture);
    EXPECT_EQ(detect->label()->palette().color(QPalette::WindowText), QColor(Qt::white));
}

TEST(PanelButtonKeyboard, SpaceEnterAndTheAccessiblePressClickItAndNothingClicksItDisabled)
{
    QWidget window;
    auto *first = new PanelButton("detectBtn", "&Detect", "BMP_DETECT", &window);
    auto *second = new PanelButton("exitBtn", "Exit", "BMP_EXIT", &window);
    second->move(0, 50);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy clicks(first, &PanelButton::clicked);
    first->setFocus();
    EXPECT_TRUE(first->hasFocus());
    // Tab reaches the next panel.
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(second->hasFocus());
    first->setFocus();
    QTest::keyPress(first, Qt::Key_Space);
    EXPECT_EQ(first->label()->palette().color(QPalette::WindowText), QColor(Qt::yellow));   // pressed look
    EXPECT_EQ(clicks.count(), 0);
    QTest::keyRelease(first, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 2);

    QAccessible::setActive(true);
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(first);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Button);
    EXPECT_EQ(a->text(QAccessible::Name), "Detect");
    EXPECT_EQ(a->childCount(), 0);
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 2);   // returned at once; the click follows from the event loop
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks.count() == 3; }, 1000));

    first->setEnabled(false);
    EXPECT_TRUE(a->state().disabled);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::keyClick(first, Qt::Key_Return);
    QTest::qWait(50);
    EXPECT_EQ(clicks.count(), 3);
    QAccessible::setActive(false);
}

TEST_F(PortdeckForm, TheSmallWindowsGoWithTheMainWindow)
{
    start();
    frame->createDialogs();
    frame.reset();
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->inherits("TDebugForm") || w->inherits("TPromptMsgForm") || w->inherits("TAboutBox"))
            << qPrintable(w->objectName());
}
