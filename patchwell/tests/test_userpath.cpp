// The user's way through an update with the real engine and an update site
// served over HTTP on this machine: Update Now, the prompt answered, the
// progress window, the tray alert and the new version in place; and the same
// cancelled from the progress window, which installs nothing.

#include "downloadprogressdialog.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "programfixture.h"
#include "sitefixture.h"
#include "updateevents.h"

#include <QPushButton>
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
