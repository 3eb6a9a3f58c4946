// The settings reports read back with the configuration library's rules:
// every keyword it looks up finds the value last written, the forwarding and
// screening lists parse, the country list splits into its entries.

#include "device_rules.h"
#include "sim_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

using simtest::SimProcess;

namespace {

struct KeywordCase {
    const char *query;
    const char *keyword;
    const char *written;   // the value written; read back the same
};

// Every keyword the configuration pages read, with the query it is read from.
const KeywordCase kKeywords[] = {
    {"ati12", "*W", "3"}, {"ati12", "*P0", "212"}, {"ati12", "*P1", "7654321"}, {"ati12", "*P2", "7654322"},
    {"ati12", "*P3", "7654323"}, {"ati12", "*S", "0"}, {"ati12", "*S1", "21276543210101"},
    {"ati12", "*S2", "21276543220101"}, {"ati12", "*T1", "17"}, {"ati12", "*T2", "18"}, {"ati12", "*M", "0"},
    {"ati12", "*A", "1"}, {"ati12", "*C0", "A1B2"}, {"ati12", "*PD", "5550100"}, {"ati12", "*TD", "21"},
    {"ati12", "*Y", "1"},
    {"ati15", "#R1", "2"}, {"ati15", "#R2", "0"}, {"ati15", "*R", "3"}, {"ati15", "#I1", "0"}, {"ati15", "#I2", "0"},
    {"ati15", "#B1", "1"}, {"ati15", "#B2", "1"}, {"ati15", "#VR1", "3"}, {"ati15", "#VR2", "7"},
    {"ati15", "#VT1", "2"}, {"ati15", "#VT2", "8"}, {"ati15", "#S1", "1"}, {"ati15", "#S2", "1"},
    {"ati15", "#A1", "1"}, {"ati15", "#A2", "1"}, {"ati15", "#C1", "60"}, {"ati15", "#C2", "61"},
    {"ati15", "#D1", "62"}, {"ati15", "#D2", "63"}, {"ati15", "#F1", "57"}, {"ati15", "#F2", "58"},
    {"ati15", "#T1", "64"}, {"ati15", "#T2", "65"}, {"ati15", "#W1", "66"}, {"ati15", "#W2", "67"},
    {"ati16", "*VO", "7"}, {"ati16", "*VI", "6"}, {"ati16", "*E", "2"}, {"ati16", "*PPP", "3"}, {"ati16", "*K", "2"},
    {"ati16", "*U", "2"}, {"ati16", "*B", "1"}, {"ati16", "*C1", "9"}, {"ati16", "*C2", "91"}, {"ati16", "*A0", "1"},
    {"ati16", "*A1", "30"}, {"ati16", "*A2", "360"}, {"ati16", "*A3", "40"}, {"ati16", "*A4", "5"},
    {"ati16", "*D1", "5"}, {"ati16", "*D2", "180"}, {"ati16", "*D3", "60"}, {"ati16", "*D4", "45"},
    {"ati4", "*X0", "1024"}, {"ati4", "*X1", "3"}, {"ati4", "*X3", "4"},
};

const std::map<std::string, std::string> kPacketStart = {
    {"ati12", "Switch Settings"}, {"ati15", "Phone Port Settings"}, {"ati16", "Data Protocol Settings"},
    {"ati4", "TA Settings"}, {"ati20", "Call Forwarding"}, {"ati19", "Call Screening"}};

std::string report(SimProcess &sim, const std::string &query)
{
    return rules::packet(sim.command(query), kPacketStart.at(query));
}

TEST(Keywords, EveryKeywordReadsBackWhatWasWritten)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    ASSERT_NE(sim.command("ATE0").find("OK"), std::string::npos);
    // Before: every keyword is found and differs from what will be written.
    for (const auto &k : kKeywords) {
        std::string before = rules::keyword(report(sim, k.query), k.keyword);
        EXPECT_NE(before, k.written) << k.keyword << " already holds the test value";
    }
    // Written in chained lines of a few fragments each, as the pages compose them.
    std::string line;
    int n = 0;
    for (const auto &k : kKeywords) {
        if (std::string(k.keyword) == "*U") {
            line += "*U=2,4711";
        } else {
            line += std::string(k.keyword) + "=" + k.written;
        }
        if (++n % 6 == 0) {
            EXPECT_EQ(sim.command("AT" + line), "\r\nOK\r\n") << line;
            line.clear();
        }
    }
    if (!line.empty()) {
        EXPECT_EQ(sim.command("AT" + line), "\r\nOK\r\n") << line;
    }
    EXPECT_EQ(sim.command("ATS67.1=1S67.2=1S67.4=0S69.5=1S69.7=1"), "\r\nOK\r\n");

    for (const auto &k : kKeywords)
        EXPECT_EQ(rules::keyword(report(sim, k.query), k.keyword), k.written) << k.query << " " << k.keyword;
    std::string ati4 = report(sim, "ati4");
    EXPECT_EQ(rules::keyword(ati4, "S67"), "6");
    EXPECT_EQ(rules::keyword(ati4, "S69"), "160");
    // The endpoint discriminator itself comes after "Value".
    EXPECT_EQ(rules::field(report(sim, "ati16"), "Value", "OK").value_or(""), "4711");
    // An emptied number reads back empty, not as the next field.
    EXPECT_EQ(sim.command("AT*P3="), "\r\nOK\r\n");
    EXPECT_EQ(rules::keyword(report(sim, "ati12"), "*P3"), "");
}

TEST(Keywords, SwitchInWordsAndTheEuropeanMark)
{
    SimProcess sim({"--product", "isdnta", "--switch", "0", "--country", "1"});
    ASSERT_TRUE(sim.openPort());
    std::string a = report(sim, "ati12");
    EXPECT_NE(a.find("EuroISDN"), std::string::npos);
    EXPECT_NE(a.find("*W =0"), std::string::npos);
    EXPECT_EQ(a.find("Leased Line"), std::string::npos);
    EXPECT_EQ(rules::deviceStatus(a), "Ready");
    sim.command("AT*W=7");
    a = report(sim, "ati12");
    EXPECT_NE(a.find("Leased Line"), std::string::npos);
    EXPECT_EQ(a.find("EuroISDN"), std::string::npos);
    sim.command("AT*W=2");
    a = report(sim, "ati12");
    EXPECT_EQ(a.find("Leased Line"), std::string::npos);
    EXPECT_EQ(a.find("EuroISDN"), std::string::npos);
    EXPECT_EQ(a.find("*W =0"), std::string::npos);
}

TEST(CallForwarding, WrittenEntriesParseBackOnEuroIsdn)
{
    SimProcess sim({"--product", "isdnta", "--switch", "0", "--country", "1"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("AT#GU2=5557001"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("AT#EU2=1"), "\r\nOK\r\n");
    sim.command("AT#GB1=5557002#EB1=0#GD3=5557003#ED3=1#ER3=1");
    auto list = rules::callForwarding(report(sim, "ati20"));
    ASSERT_EQ(list.size(), 12u);
    // Order: MSN1 U, B, R, D; MSN2 U, B, R, D; MSN3 ...
    EXPECT_EQ(list[4].number, "5557001");
    EXPECT_TRUE(list[4].user);
    EXPECT_TRUE(list[4].network);
    EXPECT_EQ(list[1].number, "5557002");
    EXPECT_FALSE(list[1].user);
    EXPECT_EQ(list[11].number, "5557003");
    EXPECT_TRUE(list[11].user);
    EXPECT_EQ(list[10].number, "");
    EXPECT_TRUE(list[10].user);
    EXPECT_FALSE(list[10].network);   // enabled without a number: the network does not take it
    EXPECT_EQ(list[0].number, "");
    EXPECT_FALSE(list[0].user);
}

TEST(CallForwarding, OnlyOnEuroIsdn)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    EXPECT_EQ(sim.command("ati20"), "ati20\r\r\nERROR\r\n");
    sim.command("AT*W=0");
    EXPECT_NE(sim.command("ati20").find("Call Forwarding"), std::string::npos);
}

TEST(CallScreening, PoliciesListsAndNumbersParseBack)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    EXPECT_EQ(sim.command("AT@X1=0@X2=1@X3=0"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("AT@Z3=5551003"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("AT@Z12=18005550123"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("AT@Z5=5551005"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("AT@A3=3,12"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("AT@A1=5,12"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("AT@A2=12"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("AT@D1=5"), "\r\nOK\r\n");
    auto s = rules::callScreening(report(sim, "ati19"));
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.entries, 20);
    EXPECT_TRUE(s.reject[0]);
    EXPECT_FALSE(s.reject[1]);
    EXPECT_TRUE(s.reject[2]);
    EXPECT_EQ(s.number[2], "5551003");
    EXPECT_EQ(s.number[11], "18005550123");
    EXPECT_EQ(s.number[4], "5551005");
    EXPECT_EQ(s.number[0], "");
    // Entry 3: data port only; entry 12: all three; entry 5: unlisted again.
    EXPECT_FALSE(s.listed[2][0]);
    EXPECT_FALSE(s.listed[2][1]);
    EXPECT_TRUE(s.listed[2][2]);
    EXPECT_TRUE(s.listed[11][0] && s.listed[11][1] && s.listed[11][2]);
    EXPECT_FALSE(s.listed[4][0] || s.listed[4][1] || s.listed[4][2]);
    // Not on a leased line.
    sim.command("AT*W=6");
    EXPECT_EQ(sim.command("ati19"), "\r\nERROR\r\n");
}

TEST(Countries, ListSplitsIntoEntriesAndChangesTheProductType)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    std::string answer = sim.command("at~c?");
    auto entries = rules::countryList(rules::packet(answer, "00:US/Canada"));
    ASSERT_GE(entries.size(), 4u);
    EXPECT_EQ(entries[0], "00:US/Canada");
    EXPECT_EQ(entries[1], "01:Germany");
    EXPECT_EQ(entries[3], "03:United Kingdom");
    for (size_t i = 0; i < entries.size(); ++i) {
        char num[32];
        std::snprintf(num, sizeof num, "%02zu:", i);
        EXPECT_EQ(entries[i].rfind(num, 0), 0u) << entries[i];
        EXPECT_EQ(entries[i].find("OK"), std::string::npos) << entries[i];
    }
    // "atc10=" picks a country: the product type, the line and the date order follow.
    EXPECT_EQ(sim.command("atc10=3&W"), "\r\nOK\r\n");
    EXPECT_EQ(sim.command("ATZ!"), "\r\nOK\r\n");
    std::string ati7 = sim.command("ati7");
    EXPECT_EQ(rules::profileCountry(ati7), "United Kingdom External");
    EXPECT_EQ(ati7.find("US/Canada"), std::string::npos);
    EXPECT_NE(report(sim, "ati12").find("*W =0"), std::string::npos);
    EXPECT_EQ(sim.command("atc10=0&W"), "\r\nOK\r\n");
    EXPECT_EQ(rules::profileCountry(sim.command("ati7")), "US/Canada External");
    EXPECT_EQ(rules::keyword(report(sim, "ati12"), "*W"), "2");
    EXPECT_EQ(sim.command("atc10=99"), "\r\nERROR\r\n");
}

TEST(Countries, FixedCountryDeviceAnswersOnlyOk)
{
    SimProcess sim({"--product", "56k"});
    ASSERT_TRUE(sim.openPort());
    EXPECT_EQ(sim.command("AT~C?"), "AT~C?\r\r\nOK\r\n");
    EXPECT_EQ(sim.command("atc10=1"), "atc10=1\r\r\nERROR\r\n");
    SimProcess intl({"--product", "56k-i", "--country", "2"});
    ASSERT_TRUE(intl.openPort());
    std::string a = intl.command("AT~C?");
    EXPECT_NE(a.find("01:"), std::string::npos);
    EXPECT_EQ(rules::profileCountry(intl.command("ati7")), "France External");
}

TEST(CallLogs, IncomingAndOutgoingTables)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    sim.command("ATE0");
    std::string in = sim.command("ati18");
    size_t t = in.find("Type\r\n");
    ASSERT_NE(t, std::string::npos);
    std::string rows = in.substr(t + 6, in.rfind("OK") - t - 6);
    EXPECT_NE(rows.find("ADP1"), std::string::npos);
    EXPECT_EQ(rows.find("Charge-Info"), std::string::npos);
    std::string out = sim.command("ati17");
    size_t c = out.find("Charge-Info\r\n");
    ASSERT_NE(c, std::string::npos);
    EXPECT_GT(out.rfind("OK") - c, 40u);
    SimProcess idsl({"--product", "idsl"});
    ASSERT_TRUE(idsl.openPort());
    EXPECT_EQ(idsl.command("ati18"), "ati18\r\r\nERROR\r\n");
}

} // namespace
