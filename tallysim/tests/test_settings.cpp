// Settings commands: chained fragments, refused lines, the write and restart
// commands, factory templates, presets and profiles, the clock, and the state
// file that carries the stored profile from one run to the next.

#include "device_rules.h"
#include "sim_process.h"

#include <gtest/gtest.h>

using simtest::SimProcess;

namespace {

const char *kOk = "\r\nOK\r\n";
const char *kError = "\r\nERROR\r\n";

std::string kw(SimProcess &sim, const std::string &query, const std::string &start, const std::string &key)
{
    return rules::keyword(rules::packet(sim.command(query), start), key);
}
std::string ati16(SimProcess &sim, const std::string &key) { return kw(sim, "ati16", "Data Protocol Settings", key); }
std::string ati12(SimProcess &sim, const std::string &key) { return kw(sim, "ati12", "Switch Settings", key); }
std::string ati4(SimProcess &sim, const std::string &key) { return kw(sim, "ati4", "TA Settings", key); }

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.openPort());
        ASSERT_EQ(sim.command("ATE0"), "ATE0\r" + std::string(kOk));
    }
    SimProcess sim{{"--product", "isdnta"}};
};

TEST_F(Settings, ChainedFragmentsAllTakeEffect)
{
    EXPECT_EQ(sim.command("AT*VO=5S67.1=0*PPP=2"), kOk);
    EXPECT_EQ(ati16(sim, "*VO"), "5");
    EXPECT_EQ(ati16(sim, "*PPP"), "2");
    EXPECT_EQ(sim.command("AT*D1=5*D2=180*D3=75*D4=50*A1=10*A2=360*A3=40*A4=5"), kOk);
    for (auto [k, v] : {std::pair{"*D1", "5"}, {"*D2", "180"}, {"*A2", "360"}, {"*A3", "40"}, {"*A4", "5"}})
        EXPECT_EQ(ati16(sim, k), v) << k;
    EXPECT_EQ(sim.command("AT#I1=0#VR2=9*E=3"), kOk);
    EXPECT_EQ(kw(sim, "ati15", "Phone Port Settings", "#I1"), "0");
    EXPECT_EQ(kw(sim, "ati15", "Phone Port Settings", "#VR2"), "9");
    EXPECT_EQ(ati16(sim, "*E"), "3");
    // Data link delay and the two S69 bits.
    EXPECT_EQ(sim.command("ATS67.4=1"), kOk);
    EXPECT_EQ(ati4(sim, "S67"), "16");
    EXPECT_EQ(sim.command("ATS67.1=1S67.2=0S69.7=1"), kOk);
    EXPECT_EQ(ati4(sim, "S67"), "18");
    EXPECT_EQ(ati4(sim, "S69"), "128");
}

TEST_F(Settings, UnknownOrOutOfRangeFragmentRefusesTheWholeLine)
{
    EXPECT_EQ(sim.command("AT*VO=7*NOPE=1"), kError);
    EXPECT_EQ(sim.command("AT*VO=7*W=9"), kError);
    EXPECT_EQ(sim.command("AT*VO=7#VR1=12"), kError);
    EXPECT_EQ(sim.command("AT*VO=7*P1=55A"), kError);
    EXPECT_EQ(sim.command("AT*VO=7*T1=100"), kError);
    EXPECT_EQ(sim.command("AT*VO=7@Z21=1"), kError);
    EXPECT_EQ(sim.command("AT*VO=7&F3"), kError);
    EXPECT_EQ(sim.command("AT*VO"), kError);
    EXPECT_EQ(ati16(sim, "*VO"), "5");
    EXPECT_EQ(sim.command("ATI99"), kError);
    EXPECT_EQ(sim.command("AT"), kOk);
    // TEIs take 0 to 63 or 255.
    EXPECT_EQ(sim.command("AT*T1=63*T2=255*TD=0"), kOk);
}

TEST_F(Settings, WrittenSurvivesRestartUnwrittenIsLost)
{
    EXPECT_EQ(sim.command("AT*K=2&W"), kOk);
    EXPECT_EQ(sim.command("AT*K=0*B=1"), kOk);
    EXPECT_EQ(ati16(sim, "*K"), "0");
    EXPECT_EQ(sim.command("ATZ!"), kOk);
    EXPECT_EQ(ati16(sim, "*K"), "2");
    EXPECT_EQ(ati16(sim, "*B"), "0");
    // "at&wz!" writes first, then restarts.
    EXPECT_EQ(sim.command("AT*W=0"), kOk);
    EXPECT_EQ(sim.command("at&wz!"), kOk);
    EXPECT_EQ(ati12(sim, "*W"), "0");
    // A profile line that ends in "Z!" keeps what it set; "AT&W" then stores it.
    EXPECT_EQ(sim.command("AT*PPP=0S67=0*A=1Z!"), kOk);
    EXPECT_EQ(ati12(sim, "*A"), "1");
    EXPECT_EQ(ati16(sim, "*PPP"), "0");
    EXPECT_EQ(sim.command("AT&W"), kOk);
    EXPECT_EQ(sim.command("ATZ"), kOk);
    EXPECT_EQ(ati12(sim, "*A"), "1");
}

TEST_F(Settings, FactoryTemplates)
{
    EXPECT_EQ(sim.command("AT*VO=1*PPP=1*K=0&K0"), kOk);
    EXPECT_EQ(sim.command("AT&F4&w"), kOk);
    EXPECT_EQ(ati16(sim, "*VO"), "5");
    EXPECT_EQ(ati16(sim, "*PPP"), "4");
    EXPECT_EQ(ati4(sim, "&K"), "3");
    EXPECT_EQ(ati12(sim, "*P1"), "5551234");   // line settings kept
    // The templates bring the echo back, as factory settings do.
    EXPECT_EQ(sim.command("AT&F2"), "AT&F2\r" + std::string(kOk));
    EXPECT_EQ(ati4(sim, "&K"), "4");
    EXPECT_EQ(sim.command("AT&F5"), "AT&F5\r" + std::string(kOk));   // with the ISDN settings
    EXPECT_EQ(ati12(sim, "*P1"), "");
    EXPECT_EQ(rules::deviceStatus(sim.command("ati12")), "Incorrect SPID");
}

TEST_F(Settings, ResetLineAndGoodbye)
{
    EXPECT_EQ(sim.command("aty23"), kOk);
    EXPECT_EQ(sim.command("AT%S="), kError);   // the modem's goodbye is not the adapter's
    SimProcess modem({"--product", "56k"});
    ASSERT_TRUE(modem.openPort());
    EXPECT_EQ(modem.command("AT%S="), "AT%S=\r" + std::string(kOk));
    EXPECT_EQ(modem.command("ATS7=60S7?"), "ATS7=60S7?\r\r\n060\r\n" + std::string(kOk));
    EXPECT_EQ(modem.command("ATI12"), "ATI12\r" + std::string(kError));
    EXPECT_EQ(modem.command("AT*W=0"), "AT*W=0\r" + std::string(kError));
}

TEST_F(Settings, ClockIsRangeCheckedInTheCountrysOrder)
{
    EXPECT_EQ(sim.command("AT#D=4:7:99"), kOk);
    EXPECT_EQ(sim.command("AT#T=9:5:3"), kOk);
    std::string a = sim.command("ati4");
    EXPECT_NE(a.find("Date  04/07/99"), std::string::npos) << a;
    EXPECT_NE(a.find("Time  09:05:0"), std::string::npos) << a;
    EXPECT_EQ(sim.command("AT#D=13:1:99"), kError);
    EXPECT_EQ(sim.command("AT#D=2:30:00"), kError);
    EXPECT_EQ(sim.command("AT#D=2:29:00"), kOk);   // 2000 was a leap year
    EXPECT_EQ(sim.command("AT#T=24:0:0"), kError);
    EXPECT_EQ(sim.command("AT#T=23:60:0"), kError);
    EXPECT_EQ(sim.command("AT#T=9:5"), kError);
    // Outside US/Canada the day comes first.
    EXPECT_EQ(sim.command("atc10=1"), kOk);
    EXPECT_EQ(sim.command("AT#D=31:12:99"), kOk);
    EXPECT_NE(sim.command("ati4").find("Date  31/12/99"), std::string::npos);
}

TEST(StateFile, StoredProfileAndFirmwareSurviveARestartOfTheProgram)
{
    std::string dir = simtest::makeTempDir();
    std::string state = dir + "/ta.state";
    {
        SimProcess sim({"--product", "isdnta", "--state", state});
        ASSERT_TRUE(sim.openPort());
        EXPECT_EQ(sim.command("AT*VO=8*X0=512#GU1=5550001&W"), "AT*VO=8*X0=512#GU1=5550001&W\r" + std::string(kOk));
        EXPECT_EQ(sim.command("AT*VO=6"), "AT*VO=6\r" + std::string(kOk));   // not written
        EXPECT_EQ(sim.stop(), 0);
    }
    ASSERT_TRUE(simtest::pathExists(state));
    {
        SimProcess sim({"--product", "isdnta", "--state", state});
        ASSERT_TRUE(sim.openPort());
        sim.command("ATE0");
        EXPECT_EQ(ati16(sim, "*VO"), "8");
        EXPECT_EQ(ati4(sim, "*X0"), "512");
        // The command line's switch wins over the saved one.
    }
    {
        SimProcess sim({"--product", "isdnta", "--state", state, "--switch", "0"});
        ASSERT_TRUE(sim.openPort());
        sim.command("ATE0");
        EXPECT_EQ(ati12(sim, "*W"), "0");
        EXPECT_EQ(ati16(sim, "*VO"), "8");
        auto fw = rules::callForwarding(rules::packet(sim.command("ati20"), "Call Forwarding"));
        ASSERT_EQ(fw.size(), 12u);
        EXPECT_EQ(fw[0].number, "5550001");
    }
    // A damaged file is set aside; the device starts from its factory state.
    {
        FILE *f = std::fopen(state.c_str(), "w");
        std::fputs("[device]\nthis is not a setting\n", f);
        std::fclose(f);
        SimProcess sim({"--product", "isdnta", "--state", state});
        ASSERT_TRUE(sim.started());
        ASSERT_TRUE(sim.openPort());
        sim.command("ATE0");
        EXPECT_EQ(ati16(sim, "*VO"), "5");
        EXPECT_TRUE(simtest::pathExists(state + ".bad"));
    }
    simtest::removeTree(dir);
}

} // namespace
