// A USB device that resets itself ("Close this App", drops off the bus and
// comes back) is waited for and reopened, in both link modes; the library's
// refresh request (message 0x8191) takes the same way.

#include "formfixture.h"
#include "clock.h"
#include "windowmessages.h"

#include <QTimer>

namespace {

void resetDevice(FakeDevice &device, int dropMs)
{
    device.send("\r\nClose this App\r\n");
    QTimer::singleShot(30, [&device, dropMs] {
        device.vanish();
        QTimer::singleShot(dropMs, [&device] { device.comeBack(); });
    });
}

} // namespace

TEST_F(PortdeckForm, UsbResetInDirectModeIsWaitedOutAndReopened)
{
    FakeDevice &modem = device(FakeProduct::Modem56k, 2);
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem",
                     "Serial Number1", "SN20002");   // not a first install
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
    ASSERT_TRUE(frame->bUsbResetTriggerAdded);
    frame->currentActivity = "Appwizard";   // the configuration tool is running
    resetDevice(modem, 400);
    ASSERT_TRUE(waitFor([this] { return logHas("CloseComPort_NonTAPI() return\n"); }));
    EXPECT_FALSE(frame->b_PowerCycleUSB);
    EXPECT_TRUE(frame->ApdComPort1->isOpen());
    EXPECT_TRUE(logHas("before #2 closetapiconnection with b_PowerCycleUSB = true\n"));
    EXPECT_TRUE(logHas("start of power cycle\n"));
    EXPECT_TRUE(logHas("re-open comport after power-cycle\n"));
    EXPECT_FALSE(logHas("failed to re-open after power-cycle\n"));
    EXPECT_TRUE(ui.shown.isEmpty());

    // The reopened link works: the way back still talks to the modem.
    const int goodbyes = modem.count("AT%S=\r");
    click(frame->backbtn);
    EXPECT_EQ(modem.count("AT%S=\r"), goodbyes + 1);
}

TEST_F(PortdeckForm, ResetOutsideAToolIsIgnored)
{
    FakeDevice &modem = device(FakeProduct::Modem56k, 2);
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
    modem.send("\r\nClose this App\r\n");
    ASSERT_TRUE(waitFor([this] { return logHas("ApdComPort1TriggerData currentActivity=[None]\n"); }));
    EXPECT_FALSE(frame->b_PowerCycleUSB);
    EXPECT_FALSE(logHas("start of power cycle\n"));
}

TEST_F(PortdeckForm, RefreshRequestOfTheLibraryWaitsForThePortToReturn)
{
    FakeDevice &modem = device(FakeProduct::Modem56k, 2);
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem",
                     "Serial Number1", "SN20002");
    start();
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
    modem.vanish();
    // Back within the first ten polls of 9 ticks, or the wait gives up early.
    QTimer::singleShot(tl::ticksToMs(9 * 4), [&modem] { modem.comeBack(); });
    PostMessage(frame.get(), WM_REFRESH_COMPORT, 0, 0);
    ASSERT_TRUE(waitFor([this] { return logHas("end of WMRefreshComPort\n"); }));
    EXPECT_FALSE(frame->b_PowerCycleUSB);
    EXPECT_TRUE(frame->ApdComPort1->isOpen());
    EXPECT_TRUE(logHas("start of WMRefreshComPort: b_PowerCycleUSB = true\n"));
}

TEST_F(PortdeckForm, UsbResetInTapiModeReopensTheLine)
{
    FakeDevice &modem = device(FakeProduct::Modem56k, 2);
    tapiName("0000", "Varnel Tallyline 56K Business Modem", 2);
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem",
                     "Serial Number1", "SN20002");
    start({"/l", "/t"});
    detected();
    click(button(0));
    ASSERT_TRUE(waitFor([this] { return milestones.contains("56KModem"); }));
    ASSERT_TRUE(frame->TapiConnection);
    frame->currentActivity = "Appwizard";
    frame->control = "Appwizard";
    resetDevice(modem, 400);
    ASSERT_TRUE(waitFor([this] { return logHas("ApdTapiDevice1TapiPortOpen: b_PowerCycleUSB = false\n"); }));
    EXPECT_TRUE(frame->TapiConnection);
    EXPECT_FALSE(frame->b_PowerCycleUSB);
    EXPECT_TRUE(logHas("start of 3 second wait\n"));
    EXPECT_TRUE(logHas("tapiclose post-wait start configandopen()\n"));
    EXPECT_TRUE(ui.shown.isEmpty());
}
