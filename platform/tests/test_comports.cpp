// COM numbering from the registry key and port availability.

#include "comports.h"
#include "fresh_root.h"
#include "ptypair.h"
#include "registry.h"
#include "serialportwatcher.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const char kKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

TEST(ComPorts, RegisteredDevicesKeepTheirNumbersAndOthersFillTheGaps)
{
    FreshRoot root;
    PtyPair a, b;
    ASSERT_TRUE(a.valid() && b.valid());
    a.registerAs(1);
    b.registerAs(12);
    reg::writeString(RegRoot::LocalMachine, kKey, "/dev/not-a-number", "COMx");   // skipped
    const QMap<int, QString> map = tl::comPortMap();
    EXPECT_EQ(map.value(1), a.slavePath());
    EXPECT_EQ(map.value(12), b.slavePath());
    EXPECT_EQ(tl::comPortDevice(12), b.slavePath());
    EXPECT_FALSE(map.values().contains("/dev/not-a-number"));
    // Whatever the machine reports itself is numbered around the registered ones.
    int expected = 2;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.key() == 1 || it.key() == 12)
            continue;
        if (expected == 12)
            ++expected;
        EXPECT_EQ(it.key(), expected++) << it.value().toStdString();
    }
}

TEST(ComPorts, AvailabilityFollowsTheDeviceNode)
{
    FreshRoot root;
    EXPECT_FALSE(IsPortAvailable(40));
    EXPECT_FALSE(IsPortAvailable(0));
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    pty.registerAs(40);
    EXPECT_TRUE(IsPortAvailable(40));
    pty.closeMaster();
    EXPECT_FALSE(IsPortAvailable(40));
}

} // namespace

TEST(ComPorts, AStableNameFollowsTheDeviceToItsNewNumber)
{
    FreshRoot root;
    const QString byId = root.file(QStringLiteral("by-id"));
    ASSERT_TRUE(QDir().mkpath(byId));
    qputenv("TALLYLINE_SERIAL_BY_ID_DIR", QFile::encodeName(byId));
    PtyPair before, after;
    ASSERT_TRUE(before.valid() && after.valid());
    before.registerAs(3);
    const QString link = byId + QStringLiteral("/usb-Varnel_ISDN_TA_SN1234-if00");
    ASSERT_TRUE(QFile::link(before.slavePath(), link));
    EXPECT_EQ(tl::comPortStableName(3), link);
    EXPECT_EQ(tl::comPortByStableName(link), 3);
    EXPECT_EQ(tl::comPortStableName(4), QString());   // no such port

    // Off the bus: the link dangles, the device has no number.
    reg::deleteValue(RegRoot::LocalMachine, kKey, before.slavePath());
    after.registerAs(5);
    EXPECT_EQ(tl::comPortByStableName(link), 0);
    // Back under another node and number.
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(after.slavePath(), link));
    EXPECT_EQ(tl::comPortByStableName(link), 5);
    EXPECT_EQ(tl::comPortByStableName(QString()), 0);
    qunsetenv("TALLYLINE_SERIAL_BY_ID_DIR");
}

// A port registered with its node in a folder not watched before, then its
// node removed: the watcher says "look again" for both, and each look sees it.
TEST(SerialPortWatcher, FollowsANodeInANewFolderComingAndGoing)
{
    FreshRoot root;
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    tl::SerialPortWatcher watcher;
    int changes = 0;
    QObject::connect(&watcher, &tl::SerialPortWatcher::mayHaveChanged, [&] { ++changes; });
    const QString folder = root.path() + QStringLiteral("/links");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString link = folder + QStringLiteral("/ttyPLUG");
    reg::writeString(RegRoot::LocalMachine, kKey, link, "COM7");
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes > 0; }, 5000));
    EXPECT_FALSE(watcher.look().contains(7));   // registered, no node yet

    changes = 0;
    ASSERT_TRUE(QFile::link(pty.slavePath(), link));
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes > 0; }, 5000));
    EXPECT_EQ(watcher.look().value(7), link);

    changes = 0;
    QTest::qWait(100);   // the looks' own follow-up signals
    changes = 0;
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes > 0; }, 5000));
    EXPECT_FALSE(watcher.look().contains(7));
}
