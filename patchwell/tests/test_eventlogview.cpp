// The event log as a text file: both views against literal files, the file
// rewritten each time, and the View buttons' whole action (viewer, failure box,
// the tray alert).

#include "eventlogview.h"
#include "logengine.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "productlist.h"
#include "programfixture.h"
#include "testhelpers.h"

#include <QDir>
#include <QLocale>
#include <QTest>

namespace {

const QString kP = QStringLiteral("Varnel Brenmoor ISDN TA");
const QString kSite = QStringLiteral("http://127.0.0.1:8080/site/");

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

QString expected(const char *name)
{
    return readAll(QStringLiteral(PATCHWELL_TEST_DATA "/") + QLatin1String(name));
}

// A fixed locale, so the long date reads the same on every machine.
class EnglishDates {
public:
    EnglishDates() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~EnglishDates() { QLocale::setDefault(QLocale::system()); }
};

class EventLogFile : public ::testing::Test {
protected:
    FreshRoot root;
    EnglishDates dates;
    QTemporaryDir logs;
    LogEngine *engine = new LogEngine;
    CPatchwellCtrl ctrl;
    CProductList products;
    const QDateTime thursday{QDate(2026, 3, 5), QTime(14, 5, 30)};
    const QDateTime friday{QDate(2026, 3, 6), QTime(9, 0, 7)};

    EventLogFile()
    {
        engine->logDirectory = logs.path();
        ctrl.Attach(engine);
    }
    void add(int kind, const QString &first, const QString &second, const QDateTime &time = {})
    {
        engine->records.append({time.isValid() ? time : thursday, kind, first, second});
    }
    bool write(EventLogView view)
    {
        return WriteEventLogView(ctrl, QCoreApplication::applicationDirPath(), 1, view, products);
    }
    QString file() const { return readAll(logs.filePath("Patchwell.log")); }
};

} // namespace

TEST_F(EventLogFile, TheWholeLogHasOneTimedLineForEveryKindWithAText)
{
    reg::writeString(RegRoot::LocalMachine, QString(kProducts) + "\\" + kP, "InstalledVersion", "1.0");
    add(0, kP, "2.0");
    add(1, kP, "");
    add(1, "Varnel Corvane 56K", "-1");   // not registered: no version
    add(2, kP, "Office");
    add(3, kP, "Office");
    add(4, kP, "Office");
    add(5, kP, "Office");
    add(6, kSite, "-1");
    add(7, kP, "fw.bin");
    add(9, kP, "");        // blocks and the end of the downloads: no line
    add(8, kP, "");
    add(10, kP, "2.0");
    add(11, kP, "2.0", friday);
    add(12, kP, "2.0");
    add(13, kP, "");
    add(14, kP, "Office");   // a whole line like the others
    add(15, kSite + "fw.bin", "connection refused");
    add(16, kSite + "update.ini", "timed out");
    add(17, kSite + "update.ini", "line 3");
    add(18, kP, "");
    add(19, "http://10.0.0.1/mine/", "connection refused");
    add(20, kP, "-1");       // "-1" is no text
    add(21, kP, "Office");
    add(22, kP, "x");        // no text of its own: no line
    add(23, "fw.bin", "-1");
    add(24, kP, "");
    add(25, kP, "disk full");
    add(26, kP, "x");        // unknown kind
    ASSERT_TRUE(write(EventLogView::Whole));
    EXPECT_EQ(file(), expected("eventlog_whole.txt"));
}

TEST_F(EventLogFile, RecentUpdatesNameOnlyTheDetectedProductsAndTheirReleaseNotes)
{
    engine->products = QStringList{kP, "Varnel Lumora IDSL Modem"};
    engine->values[{pw::DispGetReadmeFile, 0}] = "/var/lib/patchwell/readme-2.0.txt";
    engine->values[{pw::DispGetReadmeFile, 1}] = "";
    products.LoadAll(ctrl);
    add(11, kP, "2.0");
    add(0, "Varnel Lumora IDSL Modem", "1.5");
    add(11, "Varnel Corvane 56K", "3.1");   // no longer detected
    add(11, "varnel lumora idsl modem", "1.4");   // the name must match exactly
    add(11, "Varnel Lumora IDSL Modem", "1.5", friday);
    add(9, kP, "");
    ASSERT_TRUE(write(EventLogView::RecentUpdates));
    EXPECT_EQ(file(), expected("eventlog_recent.txt"));

    // The same file is rewritten, never appended to.
    ASSERT_TRUE(write(EventLogView::Whole));
    ASSERT_TRUE(write(EventLogView::RecentUpdates));
    EXPECT_EQ(file(), expected("eventlog_recent.txt"));
    engine->records.clear();
    ASSERT_TRUE(write(EventLogView::RecentUpdates));
    EXPECT_EQ(file(), "");
}

TEST_F(EventLogFile, AFullDiskEndsTheWritingAsAFailure)
{
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(QFile::link("/dev/full", logs.filePath("Patchwell.log")));
    for (int i = 0; i < 50; ++i)
        add(13, kP, "");
    EXPECT_FALSE(write(EventLogView::Whole));
}

namespace {

// The program with a recording engine in place of the real one, and a viewer
// that notes what it was asked to show.
class LogButtons : public Program {
protected:
    EnglishDates dates;
    QTemporaryDir logs;
    LogEngine *engine = new LogEngine;
    CProductList products;
    QString viewed;

    void SetUp() override
    {
        viewed = root.file("viewed.txt");
        ASSERT_TRUE(useRecordingViewer(root.file("viewer.sh"), viewed));
        ASSERT_TRUE(app->InitInstance({}));
        engine->logDirectory = logs.path();
        app->control()->Attach(engine);
    }
    void TearDown() override { qunsetenv("TALLYLINE_OPENER"); }
    QStringList viewerCalls()
    {
        (void)QTest::qWaitFor([&] { return QFile::exists(viewed); }, 2000);
        return readAll(viewed).split('\n', Qt::SkipEmptyParts);
    }
};

} // namespace

TEST_F(LogButtons, ViewRecentUpdatesOpensTheFileAndTurnsTheAlertOffEvenWhenEmpty)
{
    app->SetUpdateAlert(true);
    ASSERT_TRUE(app->mainFrame()->tray()->AlertActive());
    engine->calls.clear();
    ShowEventLogView(*app, EventLogView::RecentUpdates, products);
    EXPECT_EQ(readAll(logs.filePath("Patchwell.log")), "");
    EXPECT_FALSE(app->mainFrame()->tray()->AlertActive());
    EXPECT_TRUE(engine->writes().contains("47:F"));
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(viewerCalls(), QStringList{logs.filePath("Patchwell.log")});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LogButtons, ALogFileThatCannotBeMadeIsReportedAndNothingIsOpened)
{
    // A file where the log directory should be.
    QFile inTheWay(logs.filePath("notadir"));
    ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
    inTheWay.close();
    engine->logDirectory = inTheWay.fileName();
    engine->records.append({QDateTime::currentDateTime(), 13, kP, ""});
    ShowEventLogView(*app, EventLogView::Whole, products);
    ASSERT_EQ(ui.messages(), QStringList{"Failed to creat log file."});
    EXPECT_EQ(ui.shown.last().number, MB_OK);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The recent view reports the same and still turns the alert off.
    app->SetUpdateAlert(true);
    ShowEventLogView(*app, EventLogView::RecentUpdates, products);
    EXPECT_EQ(ui.messages().size(), 2);
    EXPECT_FALSE(app->mainFrame()->tray()->AlertActive());
    QTest::qWait(100);
    EXPECT_FALSE(QFile::exists(viewed));
}

TEST_F(LogButtons, TheProgramEndingUnderTheFailureBoxIsLeftAlone)
{
    app->SetUpdateAlert(true);
    engine->logDirectory = "/proc/no-such-place";
    ui.onMessage = [this](const QString &) { app->ExitInstance(); };
    ShowEventLogView(*app, EventLogView::RecentUpdates, products);
    EXPECT_EQ(app->control(), nullptr);
}
