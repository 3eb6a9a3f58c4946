// Firmware: an image sent by Xmodem (checksum, 128-byte blocks) after "AT~D",
// the restart off the bus with "Close this App", the return under the same
// link with the new date; "at~x!" restarts the same way; bad images refused;
// commands that race a restart; a polling host sees the device go and return.

#include "device_rules.h"
#include "sim_process.h"

#include <clock.h>
#include <comports.h>
#include <registry.h>

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <functional>
#include <thread>

using simtest::SimProcess;

namespace {

constexpr char SOH = 0x01, EOT = 0x04, ACK = 0x06, NAK = 0x15;

std::string image(const std::string &header, size_t size)
{
    std::string img = header + "\r\n";
    for (size_t i = img.size(); i < size; ++i)
        img.push_back(static_cast<char>((i * 7 + 3) & 0xff));
    return img;
}

std::string block(int num, const std::string &data, bool corrupt = false)
{
    std::string b;
    b.push_back(SOH);
    b.push_back(static_cast<char>(num & 0xff));
    b.push_back(static_cast<char>(0xff - (num & 0xff)));
    std::string d = data;
    d.resize(128, 0x1a);
    unsigned char sum = 0;
    for (char c : d)
        sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(c));
    b += d;
    b.push_back(static_cast<char>(corrupt ? sum + 1 : sum));
    return b;
}

// Sends an image the way a checksum Xmodem sender does; corruptBlock (1-based)
// goes out damaged once. Returns how many NAKs came back for blocks; `tail`
// gets what followed the ACK of the end of transfer.
int sendImage(SimProcess &sim, const std::string &img, int corruptBlock = 0, std::string *tail = nullptr)
{
    std::string first = sim.readUntil(std::string(1, NAK), 5000);
    EXPECT_NE(first.find(NAK), std::string::npos) << "no start NAK";
    int naks = 0;
    int blocks = static_cast<int>((img.size() + 127) / 128);
    for (int n = 1; n <= blocks; ++n) {
        std::string data = img.substr(static_cast<size_t>(n - 1) * 128, 128);
        bool corrupt = n == corruptBlock;
        for (int tries = 0; tries < 5; ++tries) {
            sim.send(block(n, data, corrupt));
            std::string r = sim.readUntil(std::string(1, ACK), 3000);
            if (r.find(ACK) != std::string::npos)
                break;
            if (r.find(NAK) != std::string::npos)
                ++naks;
            corrupt = false;
        }
    }
    sim.send(std::string(1, EOT));
    std::string end = sim.readUntil(std::string(1, ACK), 3000);
    size_t ack = end.find(ACK);
    EXPECT_NE(ack, std::string::npos);
    if (tail)
        *tail = ack == std::string::npos ? std::string() : end.substr(ack + 1);
    return naks;
}

bool waitFor(const std::function<bool()> &cond, int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return cond();
}

TEST(Firmware, GoodImageRestartsOffTheBusAndComesBackWithItsDate)
{
    SimProcess sim({"--product", "isdnta", "--log", "/dev/null"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("AT~D"), "\r\nOK\r\n");
    std::string tail;
    EXPECT_EQ(sendImage(sim, image("VARNEL-FW 5240 11/30/99", 5000), 3, &tail), 1);
    tail += sim.readUntil("Close this App\r\n", 3000);
    EXPECT_EQ(tail, "\r\nClose this App\r\n");
    // Off the bus: the link disappears, then comes back.
    EXPECT_TRUE(waitFor([&] { return !simtest::pathExists(sim.link()); }, 2000));
    EXPECT_TRUE(waitFor([&] { return simtest::pathExists(sim.link()); }, 3000));
    ASSERT_TRUE(sim.openPort());
    std::string a = sim.command("ati7");
    EXPECT_EQ(rules::firmwareDate(a), "11/30/99");
    // Echo is back on after the restart: a fresh power-up.
    EXPECT_EQ(a.rfind("ati7\r", 0), 0u);
}

TEST(Firmware, ModemImageChangesTheSupervisorDate)
{
    SimProcess sim({"--product", "56k"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("AT~D"), "\r\nOK\r\n");
    std::string tail;
    sendImage(sim, image("VARNEL-FW 5172 12/01/99", 1000), 0, &tail);
    tail += sim.readUntil("Close this App\r\n", 3000);
    EXPECT_NE(tail.find("Close this App"), std::string::npos);
    EXPECT_TRUE(waitFor([&] { return !simtest::pathExists(sim.link()); }, 2000));
    ASSERT_TRUE(sim.openPort(3000));
    EXPECT_EQ(rules::firmwareDate(sim.command("ati7")), "12/01/99");
}

TEST(Firmware, ImageForAnotherProductIsRefused)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("AT~D"), "\r\nOK\r\n");
    std::string tail;
    sendImage(sim, image("VARNEL-FW 5172 11/30/99", 600), 0, &tail);
    if (tail.find("ERROR\r\n") == std::string::npos)
        tail += sim.readUntil("ERROR\r\n", 3000);
    EXPECT_EQ(tail, "\r\nERROR\r\n");
    EXPECT_TRUE(simtest::pathExists(sim.link()));
    EXPECT_EQ(rules::firmwareDate(sim.command("ati7")), "04/12/99");
    // Without a header the image is no firmware either.
    EXPECT_EQ(sim.command("AT~D"), "\r\nOK\r\n");
    sendImage(sim, image("just some file", 300), 0, &tail);
    if (tail.find("ERROR\r\n") == std::string::npos)
        tail += sim.readUntil("ERROR\r\n", 3000);
    EXPECT_EQ(tail, "\r\nERROR\r\n");
}

TEST(Firmware, DeviceToldToStayUpWaitsForTheRestartCommand)
{
    SimProcess sim({"--product", "56k", "--fault", "stay-up-after-flash"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("AT~D"), "\r\nOK\r\n");
    std::string tail;
    sendImage(sim, image("VARNEL-FW 5172 12/01/99", 700), 0, &tail);
    if (tail.find("OK\r\n") == std::string::npos)
        tail += sim.readUntil("OK\r\n", 3000);
    EXPECT_EQ(tail, "\r\nOK\r\n");
    // Still on the bus, answering, until told to restart.
    EXPECT_EQ(sim.readFor(300), "");
    EXPECT_TRUE(simtest::pathExists(sim.link()));
    sim.send("at~x!\r");
    EXPECT_EQ(sim.readUntil("Close this App\r\n", 3000), "\r\nOK\r\n\r\nClose this App\r\n");
    EXPECT_TRUE(waitFor([&] { return !simtest::pathExists(sim.link()); }, 2000));
    ASSERT_TRUE(sim.openPort(3000));
    EXPECT_EQ(rules::firmwareDate(sim.command("ati7")), "12/01/99");
}

TEST(Firmware, RestartCommandDropsOffAndReturns)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    sim.command("AT*K=0");   // not written: lost by the restart
    sim.send("at~x!\r");
    std::string r = sim.readUntil("Close this App\r\n", 3000);
    EXPECT_EQ(r, "\r\nOK\r\n\r\nClose this App\r\n");
    EXPECT_TRUE(waitFor([&] { return !simtest::pathExists(sim.link()); }, 2000));
    ASSERT_TRUE(sim.openPort(3000));
    sim.command("ATE0");
    EXPECT_EQ(rules::keyword(rules::packet(sim.command("ati16"), "Data Protocol Settings"), "*K"), "1");
}

TEST(Firmware, SenderThatNeverStartsEndsTheDownload)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("AT~D"), "\r\nOK\r\n");
    // NAKs every 100 ms at this clock, twenty of them, then the device gives up.
    std::string r = sim.readUntil("ERROR\r\n", 5000);
    EXPECT_GE(std::count(r.begin(), r.end(), NAK), 10);
    EXPECT_NE(r.find("\r\nERROR\r\n"), std::string::npos);
    EXPECT_EQ(sim.command("AT"), "\r\nOK\r\n");
}

int count(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

TEST(Firmware, RestartCommandRightAfterAGoodImageIsIgnored)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("AT~D"), "\r\nOK\r\n");
    std::string tail;
    sendImage(sim, image("VARNEL-FW 5240 11/30/99", 600), 0, &tail);
    // While the flash is written, while "Close this App" goes out and while
    // the old port is drained: the restart is under way already.
    for (int i = 0; i < 4; ++i) {
        sim.send("at~x!\r");
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    tail += sim.readFor(300);
    EXPECT_EQ(tail, "\r\nClose this App\r\n");
    EXPECT_TRUE(waitFor([&] { return simtest::pathExists(sim.link()); }, 3000));
    // One return only: one new slave path, and it stays up.
    EXPECT_EQ(sim.moreLines(500).size(), 1u);
    ASSERT_TRUE(sim.running());
    ASSERT_TRUE(sim.openPort());
    std::string a = sim.command("ati7");
    EXPECT_EQ(rules::firmwareDate(a), "11/30/99");
    sim.closePort();
    EXPECT_EQ(sim.stop(), 0);
}

TEST(Firmware, SecondRestartCommandInTheSameBurstIsIgnored)
{
    std::string root = simtest::makeTempDir();
    {
        SimProcess sim({"--product", "56k", "--log", root + "/log"}, "0.02", root);
        ASSERT_TRUE(sim.openPort());
        sim.command("ATE0");
        sim.send("at~x!\rat~x!\rATI9\r");
        std::string r = sim.readFor(300);
        EXPECT_EQ(r, "\r\nOK\r\n\r\nClose this App\r\n");
        EXPECT_TRUE(waitFor([&] { return simtest::pathExists(sim.link()); }, 3000));
        EXPECT_EQ(sim.moreLines(500).size(), 1u);
        ASSERT_TRUE(sim.openPort());
        EXPECT_EQ(sim.command("AT"), "AT\r\r\nOK\r\n");
        sim.closePort();
        EXPECT_EQ(sim.stop(), 0);
        std::string log = simtest::readFile(root + "/log");
        EXPECT_EQ(count(log, "# USB reset: off the bus"), 1) << log;
        EXPECT_EQ(count(log, "# USB reset: back on"), 1) << log;
    }
    simtest::removeTree(root);
}

// The suite's hosts poll IsPortAvailable once per 18 ticks while a device
// restarts; at the test clock that is every 20 ms. The port the registry names
// (the link, or the slave path without one) must be seen gone, then back.
TEST(Firmware, HostPollingOncePerSecondSeesTheDropAndTheReturn)
{
    std::string root = simtest::makeTempDir();
    ::setenv("TALLYLINE_ROOT", root.c_str(), 1);
    tl::setTimeScale(0.02);
    const int periodMs = tl::ticksToMs(18);
    const QString serialcomm = QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM");
    struct Case {
        const char *name;
        bool image;
        const char *link;
    };
    // With a fixed link only: without one the registered name is a terminal's,
    // which another program may be given while the device is away.
    for (const Case &c : {Case{"at~x!", false, "ttySim"}, Case{"image", true, "ttySim"}}) {
        SCOPED_TRACE(c.name);
        SimProcess sim({"--product", "isdnta", "--com", "5"}, "0.02", root, c.link);
        ASSERT_TRUE(sim.openPort());
        ASSERT_TRUE(IsPortAvailable(5));
        sim.command("ATE0");
        if (c.image) {
            EXPECT_EQ(sim.command("AT~D"), "\r\nOK\r\n");
            sendImage(sim, image("VARNEL-FW 5240 11/30/99", 600));
        } else {
            sim.send("at~x!\r");
        }
        EXPECT_NE(sim.readUntil("Close this App\r\n").find("Close this App"), std::string::npos);
        sim.closePort();
        // Looked at often, so that a busy machine's late wake-ups do not shorten
        // the absence seen: it must cover two polls of a host that looks once per period.
        using Clock = std::chrono::steady_clock;
        Clock::time_point goneAt, backAt;
        bool gone = false, back = false;
        const auto end = Clock::now() + std::chrono::milliseconds(150 * periodMs);
        while (!back && Clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const bool now = IsPortAvailable(5);
            if (!now && !gone) {
                gone = true;
                goneAt = Clock::now();
            } else if (now && gone) {
                back = true;
                backAt = Clock::now();
            }
        }
        ASSERT_TRUE(gone);
        EXPECT_TRUE(back);
        EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(backAt - goneAt).count(), 2 * periodMs);
        EXPECT_EQ(sim.moreLines(100).size(), 1u);
        EXPECT_EQ(reg::readString(RegRoot::LocalMachine, serialcomm, QString::fromStdString(sim.portPath()))
                      .value_or(QString()),
                  "COM5");
        ASSERT_TRUE(sim.openPort());
        EXPECT_EQ(sim.command("AT"), "AT\r\r\nOK\r\n");
        sim.closePort();
        EXPECT_EQ(sim.stop(), 0);
    }
    simtest::removeTree(root);
}

} // namespace
