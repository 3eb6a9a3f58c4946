// The port itself: clients that come and go, garbage on the line, a client
// that leaves in the middle of an answer; the registry entries and their
// removal at exit; the link removed at exit.

#include "sim_process.h"

#include <registry.h>

#include <gtest/gtest.h>

#include <QString>

#include <chrono>
#include <ctime>
#include <cstdlib>
#include <thread>

using simtest::SimProcess;

namespace {

// With --log-times the transcript tells when each line happened, on the
// monotonic clock that a reader in another process reads as well.
TEST(Link, TranscriptTimesAreTheMachinesMonotonicClock)
{
    const std::string root = simtest::makeTempDir();
    const auto now = [] {
        timespec t{};
        ::clock_gettime(CLOCK_MONOTONIC, &t);
        return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
    };
    const long long before = now();
    {
        SimProcess sim({"--product", "isdnta", "--log", root + "/log", "--log-times"}, "0.02", root);
        ASSERT_TRUE(sim.openPort());
        sim.command("AT");
        sim.closePort();
        EXPECT_EQ(sim.stop(), 0);
    }
    const long long after = now();
    const std::string log = simtest::readFile(root + "/log");
    int lines = 0, commands = 0;
    for (size_t at = 0; at < log.size();) {
        const size_t end = log.find('\n', at);
        const std::string line = log.substr(at, end - at);
        at = end == std::string::npos ? log.size() : end + 1;
        ++lines;
        ASSERT_EQ(line.front(), '[') << line;
        const long long ms = std::stoll(line.substr(1));
        EXPECT_GE(ms, before);
        EXPECT_LE(ms, after);
        commands += line.find("] > AT\\r") != std::string::npos;
    }
    EXPECT_GE(lines, 3);
    EXPECT_EQ(commands, 1) << log;
    simtest::removeTree(root);
}

TEST(Link, ClientsComingAndGoingNeverStopTheDevice)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.started());
    EXPECT_EQ(sim.firstLine().rfind("/dev/pts/", 0), 0u);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(sim.openPort());
        if (i % 3 == 0)
            sim.send("ATI7\r");   // and leave before reading
        sim.closePort();
        // Programs pause between closing and reopening a port; the device
        // tells the two clients apart by that.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(sim.openPort());
    // Nothing of the abandoned answers is left for the next client.
    EXPECT_EQ(sim.command("AT"), "AT\r\r\nOK\r\n");
}

TEST(Link, GarbageIsIgnoredAndTheNextCommandAnswered)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    std::string junk;
    for (int i = 0; i < 3000; ++i)
        junk.push_back(static_cast<char>((i * 131 + 7) & 0xff));
    sim.send(junk);
    sim.send(std::string(600, 'A') + "T" + std::string(400, 'x') + "\r");   // an overlong line
    EXPECT_NE(sim.readUntil("\r\nERROR\r\n").find("ERROR"), std::string::npos);
    sim.send("\r\n");
    EXPECT_EQ(sim.readFor(200), "");
    EXPECT_EQ(sim.command("xyzAT"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("ATI9\b0"), "\r\n5240\r\n\r\nOK\r\n");   // backspace edits the line
}

TEST(Link, ClientLeavingDuringASlowAnswer)
{
    SimProcess sim({"--product", "isdnta", "--fault", "baud=2400"});
    ASSERT_TRUE(sim.openPort());
    sim.send("ati12\r");
    sim.readFor(100);
    sim.closePort();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(sim.openPort());
    std::string r = sim.command("ATE0", 5000);
    EXPECT_EQ(r, "ATE0\r\r\nOK\r\n");
}

TEST(Link, RegistersItselfAndCleansUpAtExit)
{
    std::string root = simtest::makeTempDir();
    ::setenv("TALLYLINE_ROOT", root.c_str(), 1);
    const QString serialcomm = QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM");
    const QString modems = QStringLiteral("System\\CurrentControlSet\\Services\\Class\\Modem");
    {
        SimProcess a({"--product", "isdnta", "--com", "3", "--tapi-name", "Varnel Brenmoor ISDN TA"}, "0.02", root);
        ASSERT_TRUE(a.started());
        QString link = QString::fromStdString(a.link());
        EXPECT_EQ(reg::readString(RegRoot::LocalMachine, serialcomm, link).value_or(QString()), "COM3");
        EXPECT_EQ(reg::readString(RegRoot::LocalMachine, modems + "\\0000", "DriverDesc").value_or(QString()),
                  "Varnel Brenmoor ISDN TA");
        EXPECT_EQ(reg::readString(RegRoot::LocalMachine, modems + "\\0000", "AttachedTo").value_or(QString()), "COM3");
        // A second device takes the next free modem key.
        SimProcess b({"--product", "56k", "--com", "4", "--tapi-name", "Varnel Tallyline 56K"}, "0.02", root, "ttySim2");
        EXPECT_EQ(reg::readString(RegRoot::LocalMachine, modems + "\\0001", "AttachedTo").value_or(QString()), "COM4");
        EXPECT_EQ(b.stop(), 0);
        EXPECT_FALSE(reg::keyExists(RegRoot::LocalMachine, modems + "\\0001"));

        EXPECT_EQ(a.stop(), 0);
        EXPECT_FALSE(simtest::pathExists(a.link()));
        EXPECT_FALSE(reg::valueExists(RegRoot::LocalMachine, serialcomm, link));
        EXPECT_FALSE(reg::keyExists(RegRoot::LocalMachine, modems + "\\0000"));
    }
    simtest::removeTree(root);
}

TEST(Link, UsageErrors)
{
    for (auto args : std::vector<std::vector<std::string>>{
             {"--product", "fax"}, {"--link", "/tmp/x"}, {"--product", "isdnta", "--tapi-name", "x"},
             {"--product", "56k", "--country", "3"}, {"--product", "isdnta", "--switch", "9"},
             {"--product", "isdnta", "--serial", "OK1"}}) {
        SimProcess sim(args);
        EXPECT_FALSE(sim.started());
        EXPECT_EQ(sim.stop(), 2);
    }
}

} // namespace
