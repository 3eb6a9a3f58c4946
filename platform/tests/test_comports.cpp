// COM numbering from the registry key and port availability.

#include "comports.h"
#include "fresh_root.h"
#include "ptypair.h"
#include "registry.h"

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
