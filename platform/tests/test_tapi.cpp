// The TAPI device stand-in: the device list from the registry's modem keys,
// asynchronous open, fail and close events in order, and cancel-call results.

#include "fresh_root.h"
#include "ptypair.h"
#include "registry.h"
#include "serialport.h"
#include "tapidevice.h"

#include <QSignalSpy>

namespace {

class TapiTest : public FreshRootTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.valid());
        pty.registerAs(7);
        const QString nine5 = "System\\CurrentControlSet\\Services\\Class\\Modem\\0000";
        reg::writeString(RegRoot::LocalMachine, nine5, "DriverDesc", "Varnel Tallyline 56K Business Modem");
        reg::writeString(RegRoot::LocalMachine, nine5, "AttachedTo", "COM7");
        const QString nt = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0001";
        reg::writeString(RegRoot::LocalMachine, nt, "FriendlyName", "Varnel Brenmoor ISDN TA");
        reg::writeString(RegRoot::LocalMachine, nt, "AttachedTo", "COM9");
        tapi.setComPort(&port);
    }
    // The order in which the events came, as letters: o(pen), f(ail), c(lose).
    QString order() const
    {
        QString s;
        for (const QString &e : events)
            s += e;
        return s;
    }
    void record()
    {
        QObject::connect(&tapi, &TApdTapiDevice::tapiPortOpen, &tapi, [this] { events << "o"; });
        QObject::connect(&tapi, &TApdTapiDevice::tapiFail, &tapi, [this] { events << "f"; });
        QObject::connect(&tapi, &TApdTapiDevice::tapiPortClose, &tapi, [this] { events << "c"; });
    }
    PtyPair pty;
    TApdComPort port;
    TApdTapiDevice tapi;
    QStringList events;
};

TEST_F(TapiTest, DeviceListAndComNumbersComeFromTheModemKeys)
{
    EXPECT_EQ(tapi.tapiDevices(),
              (QStringList{"Varnel Tallyline 56K Business Modem", "Varnel Brenmoor ISDN TA"}));
    tapi.setSelectedDevice("Varnel Brenmoor ISDN TA");
    EXPECT_EQ(tapi.comNumber(), 9);
    tapi.setSelectedDevice("");
    EXPECT_EQ(tapi.comNumber(), 0);
    EXPECT_THROW(tapi.configAndOpen(), EApdPortError);
}

TEST_F(TapiTest, OpenComesLaterAndCancelReportsTheCloseLater)
{
    record();
    EXPECT_TRUE(tapi.cancelCall());   // nothing open: done at once
    tapi.setSelectedDevice("Varnel Tallyline 56K Business Modem");
    tapi.configAndOpen();
    EXPECT_TRUE(events.isEmpty());   // never from inside the call
    pumpEvents(50);
    ASSERT_EQ(order(), "o");
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.comNumber(), 7);

    EXPECT_FALSE(tapi.cancelCall());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(order(), "o");
    pumpEvents(50);
    EXPECT_EQ(order(), "oc");
    EXPECT_TRUE(tapi.cancelCall());
}

TEST_F(TapiTest, MissingPortFailsAsynchronously)
{
    record();
    tapi.setSelectedDevice("Varnel Brenmoor ISDN TA");   // COM9 does not exist
    tapi.configAndOpen();
    EXPECT_TRUE(events.isEmpty());
    pumpEvents(50);
    EXPECT_EQ(order(), "f");
    EXPECT_TRUE(tapi.cancelCall());
}

TEST_F(TapiTest, CancelWhileOpeningGivesACloseAndNoOpen)
{
    record();
    tapi.setSelectedDevice("Varnel Tallyline 56K Business Modem");
    tapi.configAndOpen();
    EXPECT_FALSE(tapi.cancelCall());
    pumpEvents(50);
    EXPECT_EQ(order(), "c");
    EXPECT_FALSE(port.isOpen());

    // Reopening from the close handler, as the USB recovery does.
    tapi.configAndOpen();
    pumpEvents(50);
    EXPECT_EQ(order(), "co");
}

TEST_F(TapiTest, LineDropsWhenTheDeviceVanishes)
{
    record();
    tapi.setSelectedDevice("Varnel Tallyline 56K Business Modem");
    tapi.configAndOpen();
    pumpEvents(50);
    pty.closeMaster();
    QSignalSpy closed(&tapi, &TApdTapiDevice::tapiPortClose);
    ASSERT_TRUE(closed.wait(2000));
    EXPECT_EQ(order(), "oc");
    EXPECT_TRUE(tapi.cancelCall());
}

} // namespace
