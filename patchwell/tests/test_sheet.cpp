// The configuration sheet and its four pages, driven through their widgets
// (clicks, keys, typed text) against an engine that records every call.

#include "app.h"
#include "commonpage.h"
#include "fresh_root.h"
#include "patchwellctrl.h"
#include "propsheetmanager.h"
#include "recordingengine.h"
#include "schedulingpage.h"
#include "tabctrlwithdisable.h"
#include "testhelpers.h"
#include "uiservices.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

#include <gtest/gtest.h>

namespace {

using Step = std::function<void()>;

class Sheet : public ::testing::Test {
protected:
    FreshRoot root;
    ScriptedUiServices ui;
    QTemporaryDir xdg;
    const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME"), previousData = qgetenv("XDG_DATA_HOME");
    RecordingEngine *engine = new RecordingEngine;
    CPatchwellApp app;
    std::unique_ptr<CPropSheetManager> sheet;

    Sheet()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg.filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdg.filePath("data")));
        setUiServices(&ui);
        app.installDirectory = QCoreApplication::applicationDirPath();
        auto *ctrl = new CPatchwellCtrl;
        ctrl->Attach(engine);
        app.AttachControl(ctrl);
        engine->products = {"Varnel Brenmoor ISDN TA", "Varnel Corvane 56K Modem", "Varnel Lumora IDSL Modem"};
        engine->values[{pw::DispGetUpdateInterval, -1}] = qlonglong(30);
        engine->values[{pw::DispGetPreviousUpdate, -1}] = QDateTime(QDate(2026, 3, 1), QTime(9, 0));
        engine->values[{pw::DispGetNextUpdate, -1}] = QDateTime(QDate(2026, 3, 31), QTime(9, 0));
        engine->values[{pw::DispGetConfirmAllUpdates, -1}] = true;
    }
    ~Sheet() override
    {
        sheet.reset();
        app.ExitInstance();
        setUiServices(nullptr);
        qputenv("XDG_CONFIG_HOME", previousConfig);
        qputenv("XDG_DATA_HOME", previousData);
    }
    // Opens the sheet and runs each step from a timer inside its loop, one at a
    // time so that what a step posts is handled before the next; a sheet still
    // open after the last step is cancelled.
    void run(QList<Step> steps)
    {
        if (!sheet)
            sheet = std::make_unique<CPropSheetManager>(&app, nullptr);
        QTimer timer;
        timer.setInterval(30);
        int next = 0;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!sheet->isVisible())
                return;
            if (next < steps.size())
                steps[next++]();
            else
                sheet->reject();
        });
        timer.start();
        sheet->RunModal();
    }
    template <class T> T *find(const char *name) const
    {
        T *w = sheet->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    CTabCtrlWithDisable *tabs() const { return sheet->tabControl(); }
    void clickTab(int index)
    {
        QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(index).center());
    }
    QStringList writesOf(std::initializer_list<int> ids) const
    {
        QStringList out;
        for (const QString &w : engine->writes())
            for (int id : ids)
                if (w.startsWith(QString::number(id) + ":"))
                    out << w;
        return out;
    }
    // A check box or radio button takes clicks on its box and text only.
    void tick(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
};

} // namespace

TEST_F(Sheet, ThreeProductsAndTheStartUpBoxWriteId25ForEachAndOneShortcut)
{
    run({[&] {
             auto *box = find<QCheckBox>("runFromStartUp1004");
             EXPECT_FALSE(box->isChecked());
             tick(box);
         },
         [&] { QTest::mouseClick(sheet->okButton(), Qt::LeftButton); }});
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(writesOf({pw::DispSetRunFromStartUp}), (QStringList{"15:0,T", "15:1,T", "15:2,T"}));
    const QStringList entries = QDir(xdg.filePath("config/autostart")).entryList(QDir::Files);
    EXPECT_EQ(entries.size(), 1) << entries.join(",").toStdString();
}

TEST_F(Sheet, EnterAndEscapeNeverCloseIt)
{
    run({[&] {
             auto *list = find<QListWidget>("productList1001");
             list->setFocus();
             QTest::keyClick(list, Qt::Key_Return);
             QTest::keyClick(list, Qt::Key_Escape);
             QTest::keyClick(sheet->okButton(), Qt::Key_Enter);
             QTest::keyClick(sheet.get(), Qt::Key_Escape);
         },
         [&] {
             EXPECT_TRUE(sheet->isVisible());
             EXPECT_FALSE(sheet->isEnding());
             QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
         }});
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
}

TEST_F(Sheet, TabsFollowTheKeyboardRulesAndGreyedTabsRefuseTheMouse)
{
    run({[&] {
             EXPECT_EQ(sheet->TabMnemonic(0), 'o');
             EXPECT_EQ(sheet->TabMnemonic(1), 'S');
             EXPECT_EQ(sheet->TabMnemonic(-1), -1);
             EXPECT_EQ(sheet->TabMnemonic(7), -1);
             auto *list = find<QListWidget>("productList1001");
             QTest::keyClick(list, Qt::Key_G, Qt::AltModifier);   // &General
             EXPECT_EQ(sheet->activePageIndex(), 3);
             QTest::keyClick(sheet.get(), Qt::Key_Tab, Qt::ControlModifier);
             EXPECT_EQ(sheet->activePageIndex(), 0);   // wrapped round
             QTest::keyClick(sheet.get(), Qt::Key_PageUp, Qt::ControlModifier);
             EXPECT_EQ(sheet->activePageIndex(), 3);
             QTest::keyClick(sheet.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
             EXPECT_EQ(sheet->activePageIndex(), 2);
             // The arrows on the tab bar stop at the ends.
             tabs()->setFocus();
             QTest::keyClick(tabs(), Qt::Key_Right);
             QTest::keyClick(tabs(), Qt::Key_Right);
             EXPECT_EQ(sheet->activePageIndex(), 3);
             clickTab(1);
             EXPECT_EQ(sheet->activePageIndex(), 1);
             EXPECT_EQ(tabs()->currentIndex(), 1);
         }});
}

TEST_F(Sheet, AssistiveTechnologyPressingATabGoesThroughTheSameChecks)
{
    QAccessible::setActive(true);
    run({[&] { clickTab(3); },
         [&] {
             QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(tabs());
             ASSERT_NE(bar, nullptr);
             ASSERT_EQ(bar->childCount(), 4 + 2);   // four tabs and the two scroll buttons
             EXPECT_EQ(bar->child(1)->text(QAccessible::Name), "Scheduling");
             // The General page refuses to be left with an empty, checked site.
             tick(find<QCheckBox>("productSiteCheck1047"));
             bar->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
             EXPECT_EQ(sheet->activePageIndex(), 3);
             EXPECT_EQ(tabs()->currentIndex(), 3);
             tick(find<QCheckBox>("productSiteCheck1047"));
             bar->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
             EXPECT_EQ(sheet->activePageIndex(), 1);
             EXPECT_NE(find<QLineEdit>("interval1006"), nullptr);
             EXPECT_EQ(QAccessible::queryAccessibleInterface(find<QLineEdit>("interval1006"))->text(QAccessible::Name),
                       "Check for updates every this many days (1 to 365):");
         }});
    QAccessible::setActive(false);
}

TEST_F(Sheet, WithoutProductsOnlyTheCommonTabAndOneCloseButtonRemain)
{
    engine->products.clear();
    run({[&] {
             EXPECT_EQ(sheet->windowTitle(), "Patchwell - No Products Detected");
             EXPECT_FALSE(sheet->okButton()->isVisible());
             EXPECT_EQ(sheet->cancelButton()->text(), "&Close");
             EXPECT_FALSE(find<QCheckBox>("runFromStartUp1004")->isEnabled());
             clickTab(2);
             EXPECT_EQ(sheet->activePageIndex(), 0);
             QTest::keyClick(sheet.get(), Qt::Key_Tab, Qt::ControlModifier);
             EXPECT_EQ(sheet->activePageIndex(), 0);
             // Alt + a mnemonic does not ask whether the tab is enabled.
             QTest::keyClick(sheet.get(), Qt::Key_S, Qt::AltModifier);
             EXPECT_EQ(sheet->activePageIndex(), 1);
             QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
         }});
    EXPECT_TRUE(writesOf({pw::DispSetRunFromStartUp, pw::DispSetUpdateInterval}).isEmpty());
}

TEST_F(Sheet, ARequestedProductOpensOnItsSchedulingTabByWholeLineAndByPrefixOnceOpen)
{
    app.requestedProduct = "varnel corvane 56k modem";
    run({[&] {
             EXPECT_EQ(find<QListWidget>("productList1001")->currentRow(), 1);
             EXPECT_EQ(sheet->windowTitle(), "Patchwell - Varnel Corvane 56K Modem");
             EXPECT_EQ(sheet->activePageIndex(), 1);
             EXPECT_TRUE(app.requestedProduct.isEmpty());
             app.requestedProduct = "Varnel Lum";
             sheet->SelectRequestedProductAndTab(-1, 1);
         },
         [&] {
             EXPECT_EQ(find<QListWidget>("productList1001")->currentRow(), 2);
             EXPECT_EQ(sheet->activePageIndex(), 1);
         }});
    // On opening only the whole line counts.
    app.requestedProduct = "Varnel Corv";
    run({[&] {
        EXPECT_EQ(find<QListWidget>("productList1001")->currentRow(), 2);   // unchanged
        EXPECT_EQ(sheet->activePageIndex(), 0);
    }});
}

TEST_F(Sheet, TheIntervalIsCorrectedAsTypedAndTheNextDateFollows)
{
    const QString march31 = QLocale().toString(QDate(2026, 3, 31), QLocale::LongFormat);
    QLineEdit *interval = nullptr, *next = nullptr;
    run({[&] { clickTab(1); },
         [&] {
             interval = find<QLineEdit>("interval1006");
             next = find<QLineEdit>("nextUpdate1008");
             EXPECT_EQ(interval->text(), "30");
             EXPECT_EQ(next->text(), march31);
             EXPECT_EQ(find<QLineEdit>("previousUpdate1007")->text(),
                       QLocale().toString(QDate(2026, 3, 1), QLocale::LongFormat));
             typeInto(interval, "0");
             EXPECT_EQ(interval->text(), "1");
             EXPECT_EQ(interval->selectedText(), "1");
             EXPECT_EQ(next->text(), QLocale().toString(QDate(2026, 3, 2), QLocale::LongFormat));
             typeInto(interval, "400");
             EXPECT_EQ(interval->text(), "365");
             QTest::mouseClick(find<QToolButton>("spinUp1005"), Qt::LeftButton);
             EXPECT_EQ(interval->text(), "365");
             typeInto(interval, "abc");   // not digits: nothing typed, the field reads 1
             EXPECT_EQ(interval->text(), "1");
             QTest::mouseClick(find<QToolButton>("spinDown1005"), Qt::LeftButton);
             EXPECT_EQ(interval->text(), "1");
             QTest::mouseClick(find<QToolButton>("spinUp1005"), Qt::LeftButton);
             QTest::keyClick(interval, Qt::Key_Up);   // the arrow keys work the spin
             EXPECT_EQ(interval->text(), "3");
             EXPECT_EQ(next->text(), QLocale().toString(QDate(2026, 3, 4), QLocale::LongFormat));
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
         }});
    EXPECT_EQ(writesOf({pw::DispSetUpdateInterval}), QStringList{"19:0,3"});
    const QStringList next17 = writesOf({pw::DispSetNextUpdate});
    ASSERT_EQ(next17.size(), 1);
    EXPECT_TRUE(next17[0].startsWith("17:0,2026-03-04")) << next17[0].toStdString();
}

TEST_F(Sheet, SwitchingTheProductOnTheCommonTabShowsItsValuesOnTheOthers)
{
    engine->values[{pw::DispGetUpdateInterval, 2}] = qlonglong(7);
    run({[&] { clickTab(1); },
         [&] {
             EXPECT_EQ(find<QLineEdit>("interval1006")->text(), "30");
             clickTab(0);
             find<QListWidget>("productList1001")->setCurrentRow(2);
             clickTab(1);
             EXPECT_EQ(find<QLineEdit>("interval1006")->text(), "7");
         }});
}

TEST_F(Sheet, AConnectionGoneFromThePhonebookIsReplacedAndWrittenOnOk)
{
    engine->values[{pw::DispGetDialupAvailable, -1}] = true;
    engine->values[{pw::DispGetConnectionType, -1}] = 1;
    engine->values[{pw::DispGetPreferredConnection, -1}] = "Old ISP";
    engine->phonebook[0] = {"Office", "Home"};
    run({[&] { clickTab(2); },
         [&] {
             auto *list = find<QComboBox>("connections1024");
             EXPECT_EQ(list->count(), 2);
             EXPECT_EQ(list->currentText(), "Office");
             EXPECT_TRUE(list->isEnabled());
             EXPECT_TRUE(find<QPushButton>("browse1027")->isEnabled());
             tick(find<QRadioButton>("tcpip1012"));
             EXPECT_FALSE(list->isEnabled());
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
         }});
    EXPECT_EQ(writesOf({pw::DispSetPreferredConnection, pw::DispSetConnectionType}),
              (QStringList{"16:0,0", "18:0,Office"}));
}

TEST_F(Sheet, WithoutDialUpOnlyTcpIpCanBeChosenAndOnOlderSystemsNoPhonebookBrowsing)
{
    engine->values[{pw::DispGetConnectionType, -1}] = 1;
    run({[&] { clickTab(2); },
         [&] {
             EXPECT_FALSE(find<QRadioButton>("dialup1013")->isEnabled());
             EXPECT_TRUE(find<QRadioButton>("tcpip1012")->isChecked());
             EXPECT_FALSE(find<QComboBox>("connections1024")->isEnabled());
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
         }});
    EXPECT_EQ(writesOf({pw::DispSetConnectionType}), QStringList{"16:0,0"});

    engine->calls.clear();
    engine->values[{pw::DispGetDialupAvailable, -1}] = true;
    app.osKind = 0;
    run({[&] { clickTab(2); },
         [&] {
             EXPECT_TRUE(find<QComboBox>("connections1024")->isEnabled());
             EXPECT_FALSE(find<QPushButton>("browse1027")->isEnabled());
         }});
}

TEST_F(Sheet, ABrowsedPhonebookGoesToTheEngineAtOnceAndCancelPutsTheLoadedOneBack)
{
    engine->values[{pw::DispGetDialupAvailable, -1}] = true;
    engine->values[{pw::DispGetConnectionType, -1}] = 1;
    engine->values[{pw::DispGetPhonebook, -1}] = "c:\\ras\\old.pbk";
    ui.fileAnswers << "/home/user/new.pbk";
    run({[&] { clickTab(2); },
         [&] {
             QTest::mouseClick(find<QPushButton>("browse1027"), Qt::LeftButton);
             EXPECT_EQ(find<QLabel>("phonebook1026")->text(), "/home/user/new.pbk");
             EXPECT_EQ(writesOf({pw::DispSetPhonebook}), QStringList{"41:0,/home/user/new.pbk"});
             QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
         }});
    ASSERT_FALSE(ui.shown.isEmpty());
    EXPECT_EQ(ui.shown.first().text, "Select A PhoneBook");
    EXPECT_EQ(writesOf({pw::DispSetPhonebook}).last(), "41:0,c:\\ras\\old.pbk");
}

TEST_F(Sheet, ExitWhileThePhonebookDialogIsUpDropsTheChoice)
{
    engine->values[{pw::DispGetDialupAvailable, -1}] = true;
    engine->values[{pw::DispGetConnectionType, -1}] = 1;
    engine->values[{pw::DispGetPhonebook, -1}] = "c:\\ras\\old.pbk";
    ui.fileAnswers << "/home/user/new.pbk";
    ui.onFileDialog = [&](const QString &) { sheet->EndSheet(); };   // Exit from the tray meanwhile
    run({[&] { clickTab(2); }, [&] { QTest::mouseClick(find<QPushButton>("browse1027"), Qt::LeftButton); }});
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    // The choice came after the sheet had ended: it never reaches the engine.
    EXPECT_TRUE(writesOf({pw::DispSetPhonebook}).isEmpty());
    EXPECT_EQ(find<QLabel>("phonebook1026")->text(), "c:\\ras\\old.pbk");
}

TEST_F(Sheet, TheWindowsCloseButtonCancels)
{
    run({[&] {
        tick(find<QCheckBox>("logAllEvents1038"));
        sheet->close();
    }});
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    EXPECT_TRUE(writesOf({pw::DispSetLogAllEvents, pw::DispSetPhonebook}).isEmpty());
}

TEST_F(Sheet, CheckingTheUserNameShowsTheStoredLoginAndLeavesTheEnginesFlag)
{
    engine->values[{pw::DispGetUserName, 0}] = "alice";
    engine->values[{pw::DispGetPassword, 0}] = "s3cret";
    run({[&] { clickTab(3); },
         [&] {
             auto *name = find<QLineEdit>("userName1019");
             EXPECT_EQ(name->text(), "");
             EXPECT_FALSE(name->isEnabled());
             engine->calls.clear();
             tick(find<QCheckBox>("userNameCheck1052"));
             EXPECT_EQ(name->text(), "alice");
             EXPECT_EQ(find<QLineEdit>("password1020")->text(), "s3cret");
             EXPECT_EQ(engine->writes(), (QStringList{"54:0", "53:0,T", "49:0", "50:0", "53:0,F"}));
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
         }});
    EXPECT_EQ(writesOf({pw::DispSetUserName, pw::DispSetPassword, pw::DispSetUserNameEnabled}),
              (QStringList{"53:0,T", "53:0,F", "51:0,alice", "52:0,s3cret", "53:0,T"}));
}

TEST_F(Sheet, AnEmptyCheckedSiteOrUserNameKeepsTheGeneralTabAndOkOpen)
{
    run({[&] { clickTab(3); },
         [&] {
             tick(find<QCheckBox>("productSiteCheck1047"));
             clickTab(0);
             EXPECT_EQ(sheet->activePageIndex(), 3);
             EXPECT_EQ(tabs()->currentIndex(), 3);
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
             EXPECT_FALSE(sheet->isEnding());
             typeInto(find<QLineEdit>("productSite1048"), "http://localhost/site");
             tick(find<QCheckBox>("userNameCheck1052"));
             QTest::keyClick(sheet.get(), Qt::Key_Tab, Qt::ControlModifier);
             EXPECT_EQ(sheet->activePageIndex(), 3);
             typeInto(find<QLineEdit>("userName1019"), "bob");
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
         }});
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    const QString site = "The product site is empty.\nEnter the address of the product site,\n"
                             "or clear the product site check box.\n";
    ASSERT_GE(ui.messages().size(), 3);
    EXPECT_EQ(ui.messages()[0], site);
    EXPECT_EQ(ui.messages()[1], site);
    EXPECT_TRUE(ui.messages()[2].startsWith("The user name is empty.\n"));
    EXPECT_EQ(writesOf({pw::DispSetProductSite, pw::DispSetProductSiteEnabled, pw::DispSetUserName}),
              (QStringList{"51:0,bob", "39:0,http://localhost/site", "37:0,T"}));
}

TEST_F(Sheet, ALoginLongerThanFifteenIsShownWholeAndMustBeShortenedBeforeLeaving)
{
    engine->values[{pw::DispGetUserNameEnabled, 0}] = true;
    engine->values[{pw::DispGetUserName, 0}] = "a.very.long.user.name";
    run({[&] { clickTab(3); },
         [&] {
             auto *name = find<QLineEdit>("userName1019");
             EXPECT_EQ(name->text(), "a.very.long.user.name");
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
             EXPECT_FALSE(sheet->isEnding());
             EXPECT_EQ(sheet->activePageIndex(), 3);
             typeInto(name, "short.name");
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
         }});
    EXPECT_EQ(ui.messages(), QStringList{"Please enter no more than 15 characters."});
    EXPECT_EQ(writesOf({pw::DispSetUserName}), QStringList{"51:0,short.name"});
}

TEST_F(Sheet, ALoginSwitchedOffIsNeitherCheckedNorWrittenAndASiteOfBlanksIsRefused)
{
    // Stored, switched off, and longer than the page takes.
    engine->values[{pw::DispGetUserName, 0}] = "a.very.long.user.name";
    engine->values[{pw::DispGetPassword, 0}] = "s3cret";
    run({[&] { clickTab(3); },
         [&] {
             // On and off again: the greyed fields hold the stored login, unchecked.
             tick(find<QCheckBox>("userNameCheck1052"));
             tick(find<QCheckBox>("userNameCheck1052"));
             EXPECT_FALSE(find<QLineEdit>("userName1019")->isEnabled());
             tick(find<QCheckBox>("productSiteCheck1047"));
             typeInto(find<QLineEdit>("productSite1048"), "   ");
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
             EXPECT_FALSE(sheet->isEnding());
             typeInto(find<QLineEdit>("productSite1048"), "http://localhost/own");
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
         }});
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages()[0].startsWith("The product site is empty.")) << ui.messages()[0].toStdString();
    // The login stays as stored; only its switch and the site are written.
    EXPECT_EQ(writesOf({pw::DispSetUserName, pw::DispSetPassword, pw::DispSetUserNameEnabled, pw::DispSetProductSite}),
              (QStringList{"53:0,T", "53:0,F", "39:0,http://localhost/own", "53:0,F"}));
}

TEST_F(Sheet, ExitWhileTheRefusalIsShownEndsTheSheetWithoutWriting)
{
    ui.onMessage = [&](const QString &) { sheet->EndSheet(); };   // Exit from the tray meanwhile
    run({[&] { clickTab(3); },
         [&] {
             tick(find<QCheckBox>("productSiteCheck1047"));
             tick(find<QCheckBox>("confirmAllUpdates1018"));
             QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
         }});
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    EXPECT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(writesOf({pw::DispSetConfirmAllUpdates, pw::DispSetProductSiteEnabled}).isEmpty());
}

TEST_F(Sheet, UpdateNowWritesEveryRecordThenStartsTheRunAndAnEventStopsTheAnimation)
{
    run({[&] { clickTab(1); },
         [&] {
             typeInto(find<QLineEdit>("interval1006"), "9");
             engine->calls.clear();
             QTest::mouseClick(find<QPushButton>("updateNow1011"), Qt::LeftButton);
             const QStringList w = engine->writes();
             ASSERT_FALSE(w.isEmpty());
             EXPECT_EQ(w.last(), "21:0");
             EXPECT_TRUE(w.contains("19:0,9"));
             EXPECT_TRUE(find<QLabel>("connecting1054")->isVisible());
             EXPECT_TRUE(find<QLabel>("animation1053")->isVisible());
             EXPECT_NE(find<QLabel>("animation1053")->movie(), nullptr);
             EXPECT_TRUE(find<QLabel>("animation1053")->movie()->isValid());
             sheet->StopSchedulingAnimation();
             EXPECT_FALSE(find<QLabel>("connecting1054")->isVisible());
             EXPECT_FALSE(find<QLabel>("animation1053")->isVisible());
         }});
}

TEST_F(Sheet, DetectKeepsTheChosenProductAndTheLogButtonsFollowTheCounts)
{
    run({[&] {
             EXPECT_FALSE(find<QPushButton>("viewEventLog1040")->isEnabled());
             find<QListWidget>("productList1001")->setCurrentRow(2);
             engine->values[{pw::DispGetLogRecordCount, -1}] = qlonglong(4);
             engine->values[{pw::DispGetRecentUpdateCount, -1}] = qlonglong(1);
             engine->calls.clear();
             QTest::mouseClick(find<QPushButton>("detect1002"), Qt::LeftButton);
             EXPECT_EQ(engine->ids().first(), pw::DispGetLogRecordCount);
             EXPECT_TRUE(engine->ids().contains(pw::DispDetectProducts));
             EXPECT_EQ(find<QListWidget>("productList1001")->currentRow(), 2);
             EXPECT_EQ(sheet->windowTitle(), "Patchwell - Varnel Lumora IDSL Modem");
             EXPECT_TRUE(find<QPushButton>("viewEventLog1040")->isEnabled());
             EXPECT_TRUE(find<QPushButton>("viewRecentUpdates1049")->isEnabled());
             engine->values[{pw::DispGetLogRecordCount, -1}] = qlonglong(0);
             engine->values[{pw::DispGetRecentUpdateCount, -1}] = qlonglong(0);
             QTest::mouseClick(find<QPushButton>("clearEventLog1041"), Qt::LeftButton);
             EXPECT_TRUE(engine->ids().contains(pw::DispClearLog));
             EXPECT_FALSE(find<QPushButton>("clearEventLog1041")->isEnabled());
             EXPECT_FALSE(find<QPushButton>("viewRecentUpdates1049")->isEnabled());
         }});
}
