// The user's way through an update with the real engine and an update site
// served over HTTP on this machine: Update Now, the prompt answered, the
// progress window, the tray alert and the new version in place; and the same
// cancelled from the progress window, which installs nothing.

#include "downloadprogressdialog.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "testhelpers.h"
#include "programfixture.h"
#include "propsheetmanager.h"
#include "tabctrlwithdisable.h"
#include "langtext.h"
#include "windowmessages.h"
#include "sitefixture.h"
#include "updateevents.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kIsdn = QStringLiteral("Varnel Brenmoor ISDN TA");

QByteArray bytes(int n, char seed)
{
    QByteArray b(n, 0);
    for (int i = 0; i < n; ++i)
        b[i] = char(seed + i * 7);
    return b;
}

class UserPath : public Program {
protected:
    TestSite site;
    QList<long> kinds;
    bool progressShown = false;

    QString key() const { return QString(kProducts) + "\\" + kIsdn; }
    void registerProduct(const QString &url)
    {
        reg::writeString(RegRoot::LocalMachine, key(), "InstalledVersion", "1.0");
        reg::writeString(RegRoot::LocalMachine, key(), "ProductUpdateURL", url);
        reg::writeString(RegRoot::LocalMachine, key(), "UpdateIniDirectory", "");
    }
    QString installed() const { return reg::readString(RegRoot::LocalMachine, key(), "InstalledVersion").value_or("?"); }
    long product() const
    {
        for (long i = 0; i < app->control()->GetProductCount(); ++i)
            if (app->control()->GetProductName(i) == kIsdn)
                return i;
        return -1;
    }
    // Watches the events after the program has handled them.
    void watch(std::function<void(long kind)> also = {})
    {
        QObject::connect(app->control(), &CPatchwellCtrl::Event1, app.get(), [this, also](long kind, long, const QString &) {
            kinds << kind;
            CDownloadProgressDialog *d = app->updateEvents()->progressDialog();
            if (kind == 7 && d && d->isVisible() && !app->mainFrame()->isEnabled())
                progressShown = true;
            if (also)
                also(kind);
        });
    }
};

} // namespace

TEST_F(UserPath, UpdateNowAskedWatchedAndInstalledLightsTheTray)
{
    site.publish("2.0", {{"fw.bin", bytes(12000, 1)}, {"notes.bin", bytes(100, 2)}});
    TestHttpServer server(site.path());
    registerProduct(server.url());
    ASSERT_TRUE(app->InitInstance({}));
    const long p = product();
    ASSERT_GE(p, 0);
    watch();
    app->control()->UpdateNow(p);
    ASSERT_TRUE(QTest::qWaitFor([&] { return kinds.contains(11); }, 15000)) << ui.messages().join('|').toStdString();
    ASSERT_FALSE(ui.messages().isEmpty());
    EXPECT_EQ(ui.messages()[0], "An update is available.\nProduct: " + kIsdn
                                    + " Version 2.0\n\nDo you want to download and install it now?");
    EXPECT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(installed(), "2.0");
    EXPECT_TRUE(app->mainFrame()->tray()->AlertActive());
    EXPECT_EQ(app->updateEvents()->progressDialog(), nullptr);
    EXPECT_TRUE(app->mainFrame()->isEnabled());
}

TEST_F(UserPath, CancelDuringTheDownloadAsksStopsTheEngineAndInstallsNothing)
{
    site.publish("2.0", {{"a.bin", bytes(12000, 1)}, {"b.bin", bytes(100, 2)}});
    TestHttpServer server(site.path());
    server.setFault("b.bin", TestHttpServer::Silent);   // the download never ends by itself
    registerProduct(server.url());
    ASSERT_TRUE(app->InitInstance({}));
    const long p = product();
    ASSERT_GE(p, 0);
    bool pressed = false;
    watch([&](long kind) {
        CDownloadProgressDialog *d = app->updateEvents()->progressDialog();
        if (kind == 7 && d && !pressed) {
            QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
            pressed = true;
        }
    });
    app->control()->UpdateNow(p);
    ASSERT_TRUE(QTest::qWaitFor([&] { return kinds.contains(24); }, 15000)) << ui.messages().join('|').toStdString();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(ui.messages(), (QStringList{"An update is available.\nProduct: " + kIsdn
                                              + " Version 2.0\n\nDo you want to download and install it now?",
                                          "Do you want to cancel the update?",
                                          "The update of " + kIsdn + " Version 2.0 was cancelled. Nothing was installed."}));
    EXPECT_FALSE(app->control()->GetUpdateRunning());
    EXPECT_EQ(installed(), "1.0");
    EXPECT_FALSE(app->mainFrame()->tray()->AlertActive());
    EXPECT_EQ(app->updateEvents()->progressDialog(), nullptr);
}

namespace {

// Steps run from a timer inside the sheet's loop, each once its condition holds.
class Script : public QObject {
public:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> action;
    };
    // A step not reached within 20 s ends the sheet, so the test fails instead of hanging.
    Script(QList<Step> steps, std::function<void()> giveUp) : steps_(std::move(steps))
    {
        timer_.setInterval(20);
        clock_.start();
        connect(&timer_, &QTimer::timeout, this, [this, giveUp] {
            if (!steps_.isEmpty() && steps_.first().ready()) {
                steps_.takeFirst().action();
                clock_.restart();
            } else if (!steps_.isEmpty() && clock_.elapsed() > 20000) {
                timer_.stop();
                giveUp();
            }
        });
        timer_.start();
    }
    bool done() const { return steps_.isEmpty(); }

private:
    QList<Step> steps_;
    QTimer timer_;
    QElapsedTimer clock_;
};

struct HideCounter : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Hide)
            ++count;
        return false;
    }
};

template <class T> T *in(QDialog *sheet, const char *name)
{
    return sheet ? sheet->findChild<T *>(QLatin1String(name)) : nullptr;
}

void showTab(QDialog *sheet, int tab)
{
    auto *tabs = static_cast<CPropSheetManager *>(sheet)->tabControl();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
}

} // namespace

TEST_F(UserPath, ThroughTheSheetFromSiteAndIntervalToTheRecentUpdatesAndAClearedLog)
{
    site.publish("2.0", {{"fw.bin", bytes(12000, 1)}}, "Readme=readme.txt");
    site.put("readme.txt", "What is new\n");
    TestHttpServer server(site.path());
    registerProduct("http://127.0.0.1:9/nothing-here");   // the registered site is not the one used
    QTemporaryDir viewer;
    const QString opened = viewer.filePath("opened.txt");
    {
        QFile script(viewer.filePath("viewer"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nfor a in \"$@\"; do cat \"$a\" >> '" + opened.toUtf8() + "'; echo '--' >> '"
                     + opened.toUtf8() + "'; done\n");
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    qputenv("TALLYLINE_OPENER", QFile::encodeName(viewer.filePath("viewer")));
    ASSERT_TRUE(app->InitInstance({}));
    watch();
    QDialog *sheet = nullptr;
    HideCounter hides;
    Script script({
        {[&] { return (sheet = sheetShown()) != nullptr; },
         [&] {
             sheet->installEventFilter(&hides);
             auto *list = in<QListWidget>(sheet, "productList1001");
             list->setCurrentItem(list->findItems(kIsdn, Qt::MatchExactly).value(0));
             showTab(sheet, 3);
         }},
        {[] { return true; },
         [&] {
             QTest::mouseClick(in<QCheckBox>(sheet, "productSiteCheck1047"), Qt::LeftButton, {}, QPoint(8, 8));
             typeInto(in<QLineEdit>(sheet, "productSite1048"), server.url());
             showTab(sheet, 1);
         }},
        {[] { return true; },
         [&] {
             typeInto(in<QLineEdit>(sheet, "interval1006"), "21");
             QTest::mouseClick(in<QPushButton>(sheet, "updateNow1011"), Qt::LeftButton);
         }},
        // Yes to the prompt hides the sheet; it comes back when the run is over.
        {[&] { return kinds.contains(11) && sheet->isVisible(); }, [&] { showTab(sheet, 0); }},
        {[&] { return in<QPushButton>(sheet, "viewRecentUpdates1049")->isEnabled(); },
         [&] { QTest::mouseClick(in<QPushButton>(sheet, "viewRecentUpdates1049"), Qt::LeftButton); }},
        // The viewer runs on its own: wait for what it was given, not only for its file.
        {[&] {
             QFile f(opened);
             return f.open(QIODevice::ReadOnly) && f.readAll().contains("updated to version 2.0");
         },
         [&] { QTest::mouseClick(in<QPushButton>(sheet, "clearEventLog1041"), Qt::LeftButton); }},
        {[] { return true; },
         [&] {
             EXPECT_FALSE(in<QPushButton>(sheet, "viewEventLog1040")->isEnabled());
             QTest::mouseClick(static_cast<CPropSheetManager *>(sheet)->okButton(), Qt::LeftButton);
         }},
    }, [&] { app->mainFrame()->OnExit(); });
    SendMessage(app->mainFrame(), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
    qunsetenv("TALLYLINE_OPENER");
    EXPECT_TRUE(script.done());
    EXPECT_GE(hides.count, 1);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(installed(), "2.0");
    EXPECT_EQ(app->control()->GetUpdateInterval(product()), 21);
    EXPECT_FALSE(app->mainFrame()->tray()->AlertActive());   // viewed, then cleared
    EXPECT_EQ(app->control()->GetLogRecordCount(), 0);
    QFile view(opened);
    ASSERT_TRUE(view.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(view.readAll());
    // The readme opened at the prompt, then the recent updates naming it.
    EXPECT_TRUE(text.startsWith("What is new")) << text.toStdString();
    EXPECT_TRUE(text.contains(" Product " + kIsdn + ": updated to version 2.0\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("version 2.0 are in: " + root.path())) << text.toStdString();
}

TEST_F(UserPath, ASiteFaultShowsItsMessageAndLeavesTheInstalledVersion)
{
    site.publish("2.0", {{"fw.bin", bytes(100, 1)}});
    TestHttpServer server(site.path());
    server.setFault("update.ini", TestHttpServer::NotFound);
    registerProduct(server.url());
    ASSERT_TRUE(app->InitInstance({}));
    watch();
    app->control()->UpdateNow(product());
    ASSERT_TRUE(QTest::qWaitFor([&] { return kinds.contains(13); }, 15000));
    EXPECT_EQ(ui.messages(), QStringList{"No update information was found on the update server."});
    EXPECT_EQ(installed(), "1.0");
    EXPECT_FALSE(app->mainFrame()->tray()->AlertActive());
}

TEST_F(UserPath, NoToTheCompletionQuestionBringsACallersSheetBackWithTheRunsDates)
{
    site.publish("2.0", {{"fw.bin", bytes(12000, 1)}}, "UserStep=1");
    TestHttpServer server(site.path());
    registerProduct(server.url());
    // Looked at two months ago, next look far ahead: the run moves both.
    const QDateTime longAgo = QDateTime::currentDateTime().addDays(-60);
    reg::writeString(RegRoot::LocalMachine, key(), "PreviousUpdate", longAgo.toString(Qt::ISODate));
    reg::writeString(RegRoot::LocalMachine, key(), "NextUpdate", longAgo.addDays(90).toString(Qt::ISODate));
    ui.messageAnswers = {IDYES, IDNO};   // update it, but the firmware is not loaded yet
    QDialog *sheet = nullptr;
    bool cameBack = false;
    QString previousShown;
    Script script({
        {[&] { return (sheet = sheetShown()) && static_cast<CPropSheetManager *>(sheet)->activePageIndex() == 1; },
         [&] { QTest::mouseClick(in<QPushButton>(sheet, "updateNow1011"), Qt::LeftButton); }},
        // The run ends without an event of its own: the sheet the prompt hid comes back.
        {[&] { return ui.messages().size() >= 2 && sheet->isVisible(); },
         [&] {
             cameBack = true;
             previousShown = in<QLineEdit>(sheet, "previousUpdate1007")->text();
             typeInto(in<QLineEdit>(sheet, "interval1006"), "21");
             QTest::mouseClick(static_cast<CPropSheetManager *>(sheet)->okButton(), Qt::LeftButton);
         }},
    }, [&] { app->mainFrame()->OnExit(); });
    ASSERT_TRUE(app->InitInstance({"-C", "Varnel", "Brenmoor", "ISDN", "TA"}));
    watch();
    QSignalSpy closing(app.get(), &CPatchwellApp::closing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closing.count() > 0; }, 30000));
    ASSERT_TRUE(script.done()) << ui.messages().join('|').toStdString();
    EXPECT_TRUE(cameBack);
    ASSERT_EQ(ui.messages().size(), 2);
    EXPECT_TRUE(ui.messages()[1].startsWith("Have you completed the update")) << ui.messages()[1].toStdString();
    EXPECT_EQ(installed(), "1.0");
    // The page showed the run's date, and the next look counts from it.
    const QDateTime previous = app->control()->GetPreviousUpdate(product());
    ASSERT_TRUE(previous.isValid());
    EXPECT_EQ(previousShown, QLocale().toString(previous.date(), QLocale::LongFormat));
    EXPECT_EQ(app->control()->GetUpdateInterval(product()), 21);
    EXPECT_EQ(app->control()->GetNextUpdate(product()).date(), previous.date().addDays(21));
}
