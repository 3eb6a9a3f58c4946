// Every fault the emulator can be told to show, seen from the line.

#include "device_rules.h"
#include "sim_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

using simtest::SimProcess;

namespace {

TEST(Faults, SilentDeviceNeverAnswers)
{
    SimProcess sim({"--product", "isdnta", "--fault", "silent"});
    ASSERT_TRUE(sim.openPort());
    sim.send("ATI7\r");
    EXPECT_EQ(sim.readFor(300), "");
}

TEST(Faults, SilentAfterSomeCommands)
{
    SimProcess sim({"--product", "isdnta", "--fault", "silent-after=2"});
    ASSERT_TRUE(sim.openPort());
    EXPECT_EQ(sim.command("ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_NE(sim.command("ati7").find("Serial Number"), std::string::npos);
    sim.send("ati12\r");
    EXPECT_EQ(sim.readFor(300), "");
}

TEST(Faults, ErrorForNamedQueries)
{
    SimProcess sim({"--product", "isdnta", "--switch", "0", "--country", "1", "--fault", "error=ati20,error=AT~C?"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("ati20"), "\r\nERROR\r\n");
    EXPECT_EQ(sim.command("AT~C?"), "\r\nERROR\r\n");
    EXPECT_NE(sim.command("ati19").find("Call Screening"), std::string::npos);
}

TEST(Faults, IdentityHeadLostOnceForTheSecondChance)
{
    SimProcess sim({"--product", "isdnta", "--fault", "lose-ati7-head"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0Q0V1");
    std::string first = sim.command("ATI7");
    // What the direct detection asks again for: no maker's name, but the ID and a code.
    EXPECT_EQ(first.find("Varnel"), std::string::npos);
    EXPECT_EQ(first.find("VARNEL"), std::string::npos);
    EXPECT_NE(first.find("Product ID"), std::string::npos);
    EXPECT_NE(first.find("5240"), std::string::npos);
    EXPECT_NE(first.find("\nOK\r"), std::string::npos);
    std::string second = sim.command("ATI7");
    EXPECT_EQ(rules::modemName(second), "Varnel Brenmoor ISDN TA");
    EXPECT_EQ(rules::directModeCode(second), "5240");
}

TEST(Faults, DelayPerByteAsAtTheGivenBaudRate)
{
    SimProcess sim({"--product", "isdnta", "--fault", "baud=9600"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    auto t0 = std::chrono::steady_clock::now();
    std::string a = sim.command("ati16", 5000);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ASSERT_TRUE(simtest::finalResult(a)) << a;
    // A lower bound only: 10 bits per byte at 9600 baud.
    EXPECT_GE(s, 0.9 * static_cast<double>(a.size()) * 10.0 / 9600.0);
}

TEST(Faults, InputCrossesTheWireAtTheGivenBaudRateToo)
{
    // Without echo the answer is short; what takes the time is the input in front of it.
    SimProcess sim({"--product", "isdnta", "--no-echo", "--fault", "baud=9600"});
    ASSERT_TRUE(sim.openPort());
    const std::string filler(900, 'x');   // no "AT": not a command, only wire time
    auto t0 = std::chrono::steady_clock::now();
    sim.send(filler + "AT\r");
    std::string a = sim.readUntil("OK\r\n", 5000);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(a, "\r\nOK\r\n");
    EXPECT_GE(s, 0.9 * 903 * 10.0 / 9600.0);
}

TEST(Faults, GarbageBetweenAnswers)
{
    SimProcess sim({"--product", "isdnta", "--fault", "garbage=5"});
    ASSERT_TRUE(sim.openPort());
    sim.send("ATE0\r");
    std::string a = sim.readFor(300);
    ASSERT_EQ(a.rfind("ATE0\r\r\nOK\r\n", 0), 0u);
    std::string noise = a.substr(11);
    ASSERT_EQ(noise.size(), 5u);
    for (unsigned char c : noise)
        EXPECT_GE(c, 0x80);
    // The next answer is still whole behind it.
    EXPECT_NE(sim.command("ati7").find("Serial Number"), std::string::npos);
}

TEST(Faults, UsbResetAfterANamedCommand)
{
    SimProcess sim({"--product", "isdnta", "--fault", "reset-after=ati12"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    sim.send("ati12\r");
    std::string r = sim.readUntil("Close this App\r\n", 3000);
    EXPECT_NE(r.find("Device Status: Ready"), std::string::npos);
    EXPECT_GT(r.find("Close this App"), r.find("\r\nOK\r\n"));
    // Gone, then back under the same link; only the first time.
    for (int i = 0; i < 500 && simtest::pathExists(sim.link()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_FALSE(simtest::pathExists(sim.link()));
    ASSERT_TRUE(sim.openPort(3000));
    sim.command("ATE0");
    EXPECT_NE(sim.command("ati12").find("Device Status"), std::string::npos);
    EXPECT_EQ(sim.readFor(200), "");
}

TEST(Faults, SwitchedOnAndOffWhileRunning)
{
    char name[] = "/tmp/tallysim-faults-XXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const std::string faults = name;
    SimProcess sim({"--product", "isdnta", "--fault", "error=ati12", "--fault-file", faults});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("ati12"), "\r\nERROR\r\n");
    auto writeFaults = [&](const char *text) {
        FILE *f = std::fopen(faults.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(text, f);
        std::fclose(f);
        ::kill(sim.pid(), SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };
    writeFaults("silent\n");
    sim.send("ati7\r");
    EXPECT_EQ(sim.readFor(300), "");
    writeFaults("bogus-fault");   // refused: the device stays silent
    sim.send("ati7\r");
    EXPECT_EQ(sim.readFor(300), "");
    writeFaults("");
    EXPECT_NE(sim.command("ati12").find("Device Status"), std::string::npos);
    std::remove(name);
}

TEST(Faults, ResetOnRequest)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    ::kill(sim.pid(), SIGUSR2);
    EXPECT_NE(sim.readUntil("Close this App\r\n", 3000).find("Close this App"), std::string::npos);
    for (int i = 0; i < 500 && simtest::pathExists(sim.link()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_FALSE(simtest::pathExists(sim.link()));
    ASSERT_TRUE(sim.openPort(3000));
    sim.command("ATE0");
    EXPECT_NE(sim.command("ati12").find("Device Status"), std::string::npos);
}

TEST(Faults, CombinedAndMalformed)
{
    SimProcess sim({"--product", "56k", "--fault", "garbage=2", "--fault", "error=ati7"});
    ASSERT_TRUE(sim.openPort());
    sim.send("ati7\r");
    std::string a = sim.readFor(300);
    EXPECT_EQ(a.substr(0, 14), "ati7\r\r\nERROR\r\n");
    EXPECT_EQ(a.size(), 16u);
    SimProcess bad({"--product", "56k", "--fault", "sometimes"});
    EXPECT_FALSE(bad.started());
    EXPECT_NE(bad.stop(), 0);
}

} // namespace
