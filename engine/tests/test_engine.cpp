// The engine against real sites: a folder (file://) and the test's own HTTP
// server, with the faults real sites have. Whatever goes wrong, the installed
// version and folder stay as they were.

#include "enginefixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

using namespace pw;

TEST_F(Engine, SettingsComeBackAsStoredAndSurviveARestart)
{
    registerProduct(QUrl::fromLocalFile(site.path()).toString());
    start();
    ASSERT_EQ(call(DispGetProductCount).toLongLong(), 1);
    EXPECT_EQ(call(DispGetProductName, {0}).toString(), kProduct);
    call(DispSetUpdateInterval, {0, 7});
    call(DispSetUserName, {0, "anna"});
    call(DispSetPassword, {0, "s3cret"});
    call(DispSetProductSite, {0, "http://example.invalid/x"});
    call(DispSetProductSiteEnabled, {0, true});
    call(DispSetRunFromStartUp, {0, true});
    call(DispSetPreferredConnection, {0, "Office"});
    const QDateTime next = QDateTime::currentDateTime().addDays(3);
    call(DispSetNextUpdate, {0, next});
    call(DispSetLogAllEvents, {true});
    control.reset();
    start();
    EXPECT_EQ(call(DispGetUpdateInterval, {0}).toLongLong(), 7);
    EXPECT_EQ(call(DispGetUserName, {0}).toString(), "anna");
    EXPECT_EQ(call(DispGetPassword, {0}).toString(), "s3cret");
    EXPECT_FALSE(call(DispGetUserNameEnabled, {0}).toBool());   // the texts are there all the same
    EXPECT_EQ(call(DispGetProductSite, {0}).toString(), "http://example.invalid/x");
    EXPECT_TRUE(call(DispGetProductSiteEnabled, {0}).toBool());
    EXPECT_TRUE(call(DispGetRunFromStartUp, {0}).toBool());
    EXPECT_EQ(call(DispGetPreferredConnection, {0}).toString(), "Office");
    EXPECT_EQ(call(DispGetNextUpdate, {0}).toDateTime().toSecsSinceEpoch(), next.toSecsSinceEpoch());
    EXPECT_TRUE(call(DispGetLogAllEvents).toBool());
    EXPECT_FALSE(call(DispGetDialupAvailable).toBool());
    EXPECT_EQ(call(DispGetPhonebookEntryCount, {0}).toLongLong(), 0);
    // A product index the engine does not have is refused, not guessed.
    QVariantList args{5};
    bool ok = true;
    control->Invoke(DispGetProductName, args, &ok);
    EXPECT_FALSE(ok);
}

TEST_F(Engine, AnUpdateOverAFolderSiteIsDownloadedVerifiedAndInstalled)
{
    site.publish("2.0", {{"isdnta.bin", bytes(12000, 1)}, {"notes.txt", bytes(100, 2)}},
                 "Readme=readme.txt");
    site.put("readme.txt", "What is new");
    registerProduct(QUrl::fromLocalFile(site.path()).toString());
    start();
    setConfirm(false);
    call(DispSetLogAllEvents, {true});
    EXPECT_EQ(call(DispUpdateNow, {0}).toLongLong(), S_OK_);
    ASSERT_TRUE(waitForKind(11));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(kinds(), (QList<long>{0, 6, 7, 9, 9, 9, 7, 9, 8, 11}));
    EXPECT_EQ(events[0].text, "2.0");
    EXPECT_EQ(events[1].number, 2);       // files
    EXPECT_EQ(events[2].number, 12000);   // bytes of the first
    EXPECT_EQ(events[2].text, "isdnta.bin");
    EXPECT_EQ(installed(), "2.0");
    QFile f(updatesFolder() + "/2.0/isdnta.bin");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes(12000, 1));
    EXPECT_EQ(leftovers().filter(".staging").size(), 0);
    EXPECT_FALSE(call(DispGetReadmeFile, {0}).toString().isEmpty());
    EXPECT_EQ(call(DispGetRecentUpdateCount).toLongLong(), 1);
    call(DispSetUpdateAlert, {false});
    EXPECT_EQ(call(DispGetRecentUpdateCount).toLongLong(), 0);
    // The log has every step; record 0 is the offer with product and version.
    ASSERT_EQ(call(DispGetLogRecordCount).toLongLong(), 10);
    QVariantList rec{0, QString(), QString()};
    EXPECT_EQ(control->Invoke(DispGetLogRecord, rec).toLongLong(), 0);
    EXPECT_EQ(rec[1].toString(), kProduct);
    EXPECT_EQ(rec[2].toString(), "2.0");
    // After the run the previous date is now and the next one an interval later.
    const QDateTime prev = call(DispGetPreviousUpdate, {0}).toDateTime();
    EXPECT_LE(qAbs(prev.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_EQ(prev.daysTo(call(DispGetNextUpdate, {0}).toDateTime()), 30);
    // The same version again is up to date.
    events.clear();
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitForKind(1));
    EXPECT_EQ(kinds(), QList<long>{1});
}

TEST_F(Engine, ThePromptWaitsForTheAnswerAndNoInstallsNothing)
{
    site.publish("2.0", {{"a.bin", bytes(10, 3)}});
    registerProduct(site.path());   // a plain directory works as well as a URL
    start();
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitForKind(0));
    QTest::qWait(200);
    EXPECT_EQ(kinds(), QList<long>{0});
    EXPECT_TRUE(call(DispUpdateRunning).toBool());
    EXPECT_EQ(call(DispAnswerUpdatePrompt, {0, false}).toLongLong(), S_OK_);
    ASSERT_TRUE(waitIdle());
    QTest::qWait(100);
    EXPECT_EQ(kinds(), QList<long>{0});
    EXPECT_EQ(installed(), "1.0");
    // A late second answer is refused.
    EXPECT_NE(call(DispAnswerUpdatePrompt, {0, true}).toLongLong(), S_OK_);
}

TEST_F(Engine, AFirmwareUpdateIsRecordedOnlyWhenTheUserSaysItIsComplete)
{
    site.publish("2.0", {{"fw.bin", bytes(10, 3)}}, "UserStep=1\nRestart=1");
    registerProduct(site.path());
    start();
    setConfirm(false);
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitForKind(12));
    EXPECT_EQ(installed(), "1.0");
    EXPECT_TRUE(call(DispAnswerCompletionPrompt, {0, true}).toBool());
    ASSERT_TRUE(waitForKind(11));
    EXPECT_EQ(kinds().mid(kinds().indexOf(12)), (QList<long>{12, 10, 11}));
    EXPECT_EQ(installed(), "2.0");
}

TEST_F(Engine, SiteFaultsGiveTheirKindAndLeaveTheInstalledStateAlone)
{
    const QByteArray good = bytes(20000, 4);
    struct Case {
        const char *name;
        QString file;
        TestHttpServer::Fault fault;
        long kind;
    } cases[] = {
        {"missing version file", "update.ini", TestHttpServer::NotFound, 13},
        {"silent server", "update.ini", TestHttpServer::Silent, 16},
        {"truncated version file", "update.ini", TestHttpServer::Truncate, 16},
        {"missing update file", "fw.bin", TestHttpServer::NotFound, 23},
        {"truncated update file", "fw.bin", TestHttpServer::Truncate, 23},
        {"update file larger than announced", "fw.bin", TestHttpServer::Oversize, 23},
        {"update file that never comes", "fw.bin", TestHttpServer::Silent, 23},
    };
    site.publish("2.0", {{"fw.bin", good}});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestHttpServer server(site.path());
        server.setFault(c.file, c.fault);
        registerProduct(server.url());
        events.clear();
        start();
        setConfirm(false);
        call(DispUpdateNow, {0});
        ASSERT_TRUE(waitIdle(20000));
        QTest::qWait(50);
        ASSERT_FALSE(kinds().isEmpty());
        EXPECT_EQ(kinds().last(), c.kind);
        EXPECT_EQ(installed(), "1.0");
        EXPECT_FALSE(QFileInfo::exists(updatesFolder() + "/2.0"));
        EXPECT_EQ(leftovers().filter(".staging").size(), 0);
        control.reset();
    }
}

TEST_F(Engine, AWrongDigestOrAMalformedVersionFileIsRefused)
{
    site.publish("2.0", {{"fw.bin", bytes(3000, 5)}});
    site.put("fw.bin", bytes(3000, 6));   // same size, other bytes
    registerProduct(QUrl::fromLocalFile(site.path()).toString());
    start();
    setConfirm(false);
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitIdle());
    QTest::qWait(50);
    EXPECT_EQ(kinds().last(), 23);
    EXPECT_EQ(installed(), "1.0");

    for (const char *ini : {"no section at all", "[Update]\nFiles=1\n", "[Update]\nVersion=3\nFiles=1\n[File1]\nName=../../etc/x\nSize=1\nSHA256=00\n"}) {
        events.clear();
        site.put("update.ini", ini);
        call(DispUpdateNow, {0});
        ASSERT_TRUE(waitIdle());
        QTest::qWait(50);
        EXPECT_EQ(kinds().last(), 17) << ini;
    }
}

TEST_F(Engine, ARefusedConnectionNamesTheSiteAndAnOwnSiteHasItsOwnKind)
{
    quint16 closedPort = 0;
    {
        QTcpServer s;
        s.listen(QHostAddress::LocalHost);
        closedPort = s.serverPort();
    }
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(closedPort);
    registerProduct(url);
    start();
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitIdle());
    QTest::qWait(50);
    EXPECT_EQ(kinds(), QList<long>{20});
    EXPECT_EQ(events[0].text, url);

    events.clear();
    call(DispSetProductSite, {0, url + "mine/"});
    call(DispSetProductSiteEnabled, {0, true});
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitIdle());
    QTest::qWait(50);
    EXPECT_EQ(kinds(), QList<long>{19});
}

TEST_F(Engine, CancelDuringADownloadRemovesEverythingItFetched)
{
    site.publish("2.0", {{"a.bin", bytes(100, 1)}, {"b.bin", bytes(100, 2)}});
    TestHttpServer server(site.path());
    server.setFault("b.bin", TestHttpServer::Silent);
    registerProduct(server.url());
    start();
    setConfirm(false);
    call(DispUpdateNow, {0});
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests.contains("b.bin"); }, 10000));
    EXPECT_EQ(call(DispCancelUpdate).toLongLong(), S_OK_);
    ASSERT_TRUE(waitForKind(24));
    EXPECT_FALSE(call(DispUpdateRunning).toBool());
    EXPECT_EQ(installed(), "1.0");
    EXPECT_EQ(leftovers().filter(".staging").size(), 0);
}

TEST_F(Engine, CredentialsGoToTheSiteOnlyWhenEnabled)
{
    site.publish("2.0", {{"a.bin", bytes(10, 1)}});
    TestHttpServer server(site.path());
    server.requireLogin("anna:s3cret");
    registerProduct(server.url());
    start();
    setConfirm(false);
    call(DispSetUserName, {0, "anna"});
    call(DispSetPassword, {0, "s3cret"});
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitIdle());
    QTest::qWait(50);
    EXPECT_EQ(kinds().last(), 16);   // refused: the login was not switched on
    events.clear();
    call(DispSetUserNameEnabled, {0, true});
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitForKind(11));
    EXPECT_EQ(installed(), "2.0");
    // The password never reaches the log.
    QFile log(root.path() + "/patchwell/log/events.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_FALSE(log.readAll().contains("s3cret"));
}

TEST_F(Engine, DialUpIsNotAvailableAndAProductSetToItSaysSo)
{
    registerProduct(site.path());
    start();
    call(DispSetConnectionType, {0, 1});
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitForKind(14));
}

TEST_F(Engine, ADueProductIsCheckedOnScheduleAndItsDatesMoveOn)
{
    site.publish("1.0", {{"a.bin", bytes(10, 1)}});
    registerProduct(site.path());
    reg::writeString(RegRoot::LocalMachine, productKey(), "NextUpdate",
                     QDateTime::currentDateTime().addSecs(-60).toString(Qt::ISODate));
    start();
    ASSERT_TRUE(waitForKind(1));   // the first look comes shortly after start
    ASSERT_TRUE(waitIdle());
    QTest::qWait(50);
    EXPECT_GT(call(DispGetNextUpdate, {0}).toDateTime(), QDateTime::currentDateTime().addDays(29));
}

TEST_F(Engine, TheLogKeepsRoutineKindsOnlyWhenAskedAndSurvivesARestart)
{
    site.publish("1.0", {{"a.bin", bytes(10, 1)}});
    registerProduct(site.path());
    start();
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(call(DispGetLogRecordCount).toLongLong(), 0);   // "up to date" is routine
    call(DispSetLogAllEvents, {true});
    call(DispUpdateNow, {0});
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(call(DispGetLogRecordCount).toLongLong(), 1);
    control.reset();
    start();
    EXPECT_EQ(call(DispGetLogRecordCount).toLongLong(), 1);
    EXPECT_TRUE(call(DispGetLogRecordTime, {0}).toDateTime().isValid());
    call(DispClearLog);
    EXPECT_EQ(call(DispGetLogRecordCount).toLongLong(), 0);
    control.reset();
    start();
    EXPECT_EQ(call(DispGetLogRecordCount).toLongLong(), 0);
}
