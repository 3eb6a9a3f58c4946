// The program as it starts, sits in the tray and ends: the engine registered
// and created, the tray icon and its alert, the sheet opened by a caller, a
// second start, and the failures that end the start.

#include "programfixture.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "propsheetmanager.h"
#include "testhelpers.h"
#include "registry.h"
#include "sharedmemory.h"
#include "trayicon.h"
#include "uiservices.h"
#include "windowclass.h"
#include "windowmessages.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

TEST_F(Program, StartsIntoTheTrayWithTheEngineRegisteredAndUnregistersOnTheWayOut)
{
    ASSERT_TRUE(app->InitInstance({}));
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join("|").toStdString();
    EXPECT_TRUE(tray.added);
    EXPECT_EQ(tray.tips.first(), "Patchwell");
    EXPECT_EQ(app->osKind, 1);
    EXPECT_TRUE(reg::readString(RegRoot::ClassesRoot, kClassKey, "").value_or("").endsWith("/libpatchwell.so"));
    // Registered as an installer would have: Portdeck finds the service's directory.
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, QString(kProducts) + "\\Patchwell", "InstallDirectory").value_or(""),
              QCoreApplication::applicationDirPath());
    EXPECT_TRUE(app->control()->IsCreated());
    EXPECT_GE(app->control()->GetProductCount(), 1);
    app->ExitInstance();
    EXPECT_FALSE(reg::keyExists(RegRoot::ClassesRoot, kClassKey));
    app.reset();
}

TEST_F(Program, TheAlertAnimatesOnceAndSwitchingItOffRestoresTheTip)
{
    ASSERT_TRUE(app->InitInstance({}));
    CMainFrame *frame = app->mainFrame();
    frame->SetUpdateAlert(true);
    CTrayTimerWnd *animation = frame->tray()->Animation();
    ASSERT_NE(animation, nullptr);
    frame->SetUpdateAlert(true);
    EXPECT_EQ(frame->tray()->Animation(), animation);   // one animation only
    EXPECT_EQ(frame->tray()->TooltipText(), "Patchwell...Update Alert! View recent updates.");
    const int changes = tray.iconChanges;
    QTest::qWait(100);   // 250 ms on the test clock is 5 ms
    EXPECT_GT(tray.iconChanges, changes + 3);
    frame->SetUpdateAlert(false);
    EXPECT_EQ(frame->tray()->Animation(), nullptr);
    EXPECT_EQ(frame->tray()->TooltipText(), "Patchwell");
    EXPECT_FALSE(frame->tray()->AlertActive());
}

TEST_F(Program, ConfigOnlyOpensTheRequestedProductAtOnceAndEndsWithTheSheet)
{
    product("Varnel Brenmoor ISDN TA");
    product("Varnel Brenmoor ISDN TA Pro");
    bool checked = false;
    whenSheetShown([&](QDialog *sheet) {
        auto *list = sheet->findChild<QListWidget *>("productList1001");
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->currentItem()->text(), "Varnel Brenmoor ISDN TA");   // the whole line, not a prefix
        EXPECT_EQ(sheet->windowTitle(), "Patchwell - Varnel Brenmoor ISDN TA");
        EXPECT_EQ(static_cast<CPropSheetManager *>(sheet)->activePageIndex(), CPropSheetManager::SchedulingTab);
        checked = true;
        sheet->accept();
    });
    ASSERT_TRUE(app->InitInstance({"-C", "", "Varnel", "Brenmoor", "ISDN", "TA"}));
    QSignalSpy closing(app.get(), &CPatchwellApp::closing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closing.count() > 0; }, 10000));
    EXPECT_TRUE(checked);
}

TEST_F(Program, EndedBySigtermWhileAStartUpBoxIsUp)
{
    // Offscreen there is no tray: the real program waits in its failure box.
    QProcess program;
    program.setProgram(QCoreApplication::applicationDirPath() + "/patchwell");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start();
    ASSERT_TRUE(program.waitForStarted(10000));
    QTest::qWait(1500);
    ASSERT_EQ(program.state(), QProcess::Running);
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(10000));
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished();
    }
    // Ended the normal way: the engine is unregistered again.
    EXPECT_FALSE(reg::keyExists(RegRoot::ClassesRoot, kClassKey));
}

TEST_F(Program, WithoutATrayOnlyACallerOfTheSheetGetsIt)
{
    tray.available = false;
    EXPECT_FALSE(app->InitInstance({}));
    EXPECT_EQ(ui.messages(), QStringList{"Failed to create tray icon"});
}

TEST_F(Program, ASecondStartOpensTheFirstCopysSheetAndEndsAtOnce)
{
    ASSERT_TRUE(app->InitInstance({}));
    QProcess second;
    second.setProgram(QCoreApplication::applicationDirPath() + "/patchwell");
    second.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    second.start();
    bool opened = false;
    whenSheetShown([&](QDialog *sheet) {
        opened = true;
        sheet->reject();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened; }, 10000));
    EXPECT_FALSE(app->mainFrame()->sheetOpen);
}

TEST_F(Program, TheSharedRequestSelectsItsProductByPrefixInAnOpenSheet)
{
    product("Alpha Modem");
    product("Varnel Lumora IDSL Modem");
    ASSERT_TRUE(app->InitInstance({}));
    SharedMemoryBlock block("VarnelPWEventMsg");
    ASSERT_TRUE(block.create(100));
    qstrcpy(static_cast<char *>(block.data()), "Varnel Lumora");
    QString selected;
    whenSheetShown([&](QDialog *sheet) {
        EXPECT_EQ(sheet->findChild<QListWidget *>("productList1001")->currentItem()->text(), "Alpha Modem");
        EXPECT_TRUE(SendMessageToClass("MyNewClass", WM_VARNELPWEVENTMSG, 0, 0));
        QTimer::singleShot(200, sheet, [&selected, sheet] {
            selected = sheet->findChild<QListWidget *>("productList1001")->currentItem()->text();
            sheet->reject();
        });
    });
    SendMessage(app->mainFrame(), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
    EXPECT_EQ(selected, "Varnel Lumora IDSL Modem");
}

TEST_F(Program, AnEngineThatCannotBeRegisteredEndsTheStartWithItsMessages)
{
    QTemporaryDir dir;
    QFile::copy(QCoreApplication::applicationDirPath() + "/PWENU.INI", dir.filePath("PWENU.INI"));
    app->installDirectory = dir.path();
    EXPECT_FALSE(app->InitInstance({}));
    ASSERT_EQ(ui.messages().size(), 2);
    EXPECT_TRUE(ui.messages()[0].startsWith("LoadLibrary(\"" + dir.path() + "\\Patchwell.ocx\") failed.\nGetLastError returns 0x0000007e."));
    EXPECT_EQ(ui.messages()[1], "The update engine could not be registered. Patchwell cannot start.");
    app.reset();

    // A library without the entry point: the second form of the message.
    ui.shown.clear();
    QFile::copy(QCoreApplication::applicationDirPath() + "/libcsh.so", dir.filePath("libpatchwell.so"));
    app = std::make_unique<CPatchwellApp>();
    app->installDirectory = dir.path();
    EXPECT_FALSE(app->InitInstance({}));
    ASSERT_FALSE(ui.messages().isEmpty());
    EXPECT_EQ(ui.messages()[0], dir.path() + "\\Patchwell.ocx was loaded, but the DllRegisterServer entry point was not "
                                             "found.\n\nDllRegisterServer may not be exported, or a corrupt version of "
                                             + dir.path() + "\\Patchwell.ocx may be in memory. Consider using PView to "
                                                            "detect and remove it.");
    app.reset();
}

namespace {

QAction *menuItem(CMainFrame *frame, int id)
{
    for (QAction *a : frame->menu()->actions())
        if (a->data().toInt() == id)
            return a;
    return nullptr;
}

// A right click on the icon, then the item picked from its menu, as the tray
// delivers them: through the event loop.
void pick(TrayLog &tray, CMainFrame *frame, int id)
{
    tray.backend->onMouse(WM_RBUTTONUP_);
    QCoreApplication::processEvents();
    ASSERT_TRUE(frame->menu()->isEnabled());
    QAction *item = menuItem(frame, id);
    ASSERT_NE(item, nullptr);
    if (item->isEnabled())
        item->trigger();
}

} // namespace

TEST_F(Program, TheAboutBoxGreysExitAndADoubleClickTradesItForTheSheet)
{
    ASSERT_TRUE(app->InitInstance({}));
    CMainFrame *frame = app->mainFrame();
    frame->PrepareMenu();
    ASSERT_NE(menuItem(frame, ID_APP_EXIT), nullptr);
    EXPECT_TRUE(menuItem(frame, ID_APP_EXIT)->isEnabled());
    EXPECT_EQ(menuItem(frame, ID_APP_EXIT)->text(), "E&xit");
    pick(tray, frame, ID_APP_ABOUT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->aboutBox() != nullptr; }, 5000));
    EXPECT_EQ(app->aboutBox()->windowTitle(), "About Patchwell");
    frame->PrepareMenu();
    EXPECT_FALSE(menuItem(frame, ID_APP_EXIT)->isEnabled());
    // Exit already on its way when the About box came up is dropped as well.
    PostMessage(frame, WM_COMMAND_, ID_APP_EXIT, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(tray.removed, 0);
    bool aboutClosed = false, exitBack = false;
    whenSheetShown([&](QDialog *sheet) {
        aboutClosed = app->aboutBox() == nullptr;
        frame->PrepareMenu();
        exitBack = menuItem(frame, ID_APP_EXIT)->isEnabled();
        sheet->reject();
    });
    tray.backend->onMouse(WM_LBUTTONDBLCLK_);
    ASSERT_TRUE(QTest::qWaitFor([&] { return aboutClosed; }, 5000));
    EXPECT_TRUE(exitBack);
    EXPECT_FALSE(frame->sheetOpen);
}

TEST_F(Program, ExitFromTheMenuUnderTheOpenSheetEndsItAndTheProgram)
{
    product("Varnel Brenmoor ISDN TA");
    ASSERT_TRUE(app->InitInstance({}));
    CMainFrame *frame = app->mainFrame();
    QSignalSpy closing(app.get(), &CPatchwellApp::closing);
    bool pickedInside = false;
    whenSheetShown([&](QDialog *) {
        pickedInside = true;
        pick(tray, frame, ID_APP_EXIT);
    });
    tray.backend->onMouse(WM_LBUTTONDBLCLK_);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closing.count() > 0; }, 5000));
    EXPECT_TRUE(pickedInside);
    EXPECT_EQ(tray.removed, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->sheetOpen; }, 5000));
    // Once ending, the icon's late messages are dropped.
    SendMessage(frame, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
    EXPECT_FALSE(frame->sheetOpen);
}

TEST_F(Program, ASecondStartInsideACallersSheetBringsItForwardAndKeepsItsEdits)
{
    product("Varnel Brenmoor ISDN TA");
    QProcess second;
    bool secondDone = false;
    whenSheetShown([&](QDialog *sheet) {
        auto *box = sheet->findChild<QCheckBox *>("runFromStartUp1004");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        second.setProgram(QCoreApplication::applicationDirPath() + "/patchwell");
        second.start();
        secondDone = second.waitForFinished(10000) && second.exitCode() == 0;
        // The first copy takes the request from its loop; the sheet stays.
        QTimer::singleShot(500, sheet, [sheet] {
            EXPECT_TRUE(sheet->isVisible());
            EXPECT_TRUE(sheet->findChild<QCheckBox *>("runFromStartUp1004")->isChecked());
            QTest::mouseClick(static_cast<CPropSheetManager *>(sheet)->okButton(), Qt::LeftButton);
        });
    });
    ASSERT_TRUE(app->InitInstance({"-C"}));
    QSignalSpy closing(app.get(), &CPatchwellApp::closing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closing.count() > 0; }, 15000));
    EXPECT_TRUE(secondDone);
    EXPECT_TRUE(app->control()->GetRunFromStartUp(0));
}
