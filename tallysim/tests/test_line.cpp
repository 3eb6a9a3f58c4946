// ISDN line set-up: "at*Z" with area code and numbers, the line states that
// the following switch-settings queries show, the abort, a wrong SPID
// configuration, and line states given on the command line.

#include "device_rules.h"
#include "sim_process.h"

#include <gtest/gtest.h>

using simtest::SimProcess;

namespace {

std::string status(SimProcess &sim)
{
    return rules::deviceStatus(rules::packet(sim.command("ati12"), "Switch Settings"));
}

TEST(LineSetup, WizardSeesTheStatesAndTwoReadyResults)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(status(sim), "Ready");
    EXPECT_EQ(sim.command("at*Z212,7654321,7654322"), "\r\nOK\r\n");
    EXPECT_EQ(status(sim), "Looking for ISDN Line");
    EXPECT_EQ(status(sim), "Initializing Data Link");
    EXPECT_EQ(status(sim), "Ready");
    EXPECT_EQ(status(sim), "Ready");
    // The numbers and the SPIDs the adapter found are in the switch settings.
    std::string a = rules::packet(sim.command("ati12"), "Switch Settings");
    EXPECT_EQ(rules::keyword(a, "*P0"), "212");
    EXPECT_EQ(rules::keyword(a, "*P1"), "7654321");
    EXPECT_EQ(rules::keyword(a, "*P2"), "7654322");
    EXPECT_EQ(rules::keyword(a, "*S1"), "21276543210101");
    // One number only: the second is cleared.
    EXPECT_EQ(sim.command("at*Z212,7654321"), "\r\nOK\r\n");
    EXPECT_EQ(rules::keyword(rules::packet(sim.command("ati12"), "Switch Settings"), "*P2"), "");
}

TEST(LineSetup, AbortReturnsToTheSettledState)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    sim.command("at*Z212,7654321");
    EXPECT_EQ(status(sim), "Looking for ISDN Line");
    EXPECT_EQ(sim.command("AT*z"), "\r\nOK\r\n");
    EXPECT_EQ(status(sim), "Ready");
}

TEST(LineSetup, WrongConfigurationEndsInIncorrectSpid)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    // A six-digit number is no North American directory number.
    EXPECT_EQ(sim.command("at*Z212,765432"), "\r\nOK\r\n");
    EXPECT_EQ(status(sim), "Looking for ISDN Line");
    EXPECT_EQ(status(sim), "Initializing Data Link");
    EXPECT_EQ(status(sim), "Incorrect SPID");
    EXPECT_EQ(status(sim), "Incorrect SPID");
    // Manual SPIDs must match what the switch expects.
    sim.command("at*Z212,7654321");
    EXPECT_EQ(sim.command("AT*S=0*S1=12345"), "\r\nOK\r\n");
    EXPECT_EQ(status(sim), "Looking for ISDN Line");
    EXPECT_EQ(status(sim), "Initializing Data Link");
    EXPECT_EQ(status(sim), "Incorrect SPID");
    EXPECT_EQ(sim.command("AT*S1=21276543210101"), "\r\nOK\r\n");
    EXPECT_EQ(status(sim), "Ready");
    // European lines need no SPIDs.
    EXPECT_EQ(sim.command("AT*W=0*P1="), "\r\nOK\r\n");
    EXPECT_EQ(status(sim), "Ready");
    EXPECT_EQ(sim.command("at*Z"), "\r\nOK\r\n");   // no numbers: the abort
    EXPECT_EQ(sim.command("at*Z,1"), "\r\nERROR\r\n");
}

TEST(LineSetup, StatesFromTheCommandLineRunFromPowerUp)
{
    SimProcess sim({"--product", "isdnta", "--line-states", "Looking for ISDN Line"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(status(sim), "Looking for ISDN Line");
    EXPECT_EQ(status(sim), "Looking for ISDN Line");
    SimProcess spid({"--product", "isdnta", "--line-states", "Initializing Data Link, Incorrect SPID"});
    ASSERT_TRUE(spid.openPort());
    spid.command("ATE0");
    EXPECT_EQ(status(spid), "Initializing Data Link");
    EXPECT_EQ(status(spid), "Incorrect SPID");
    EXPECT_EQ(status(spid), "Incorrect SPID");
    // A wizard run walks them again.
    spid.command("at*Z212,7654321");
    EXPECT_EQ(status(spid), "Initializing Data Link");
}

} // namespace
