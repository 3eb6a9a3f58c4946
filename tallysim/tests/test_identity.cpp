// The identity answer of every product, read with the programs' own rules:
// product code, name, firmware date and serial number, in both the product
// screen's and the direct detection's way; plus the start-up exchange.

#include "device_rules.h"
#include "sim_process.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>

using simtest::SimProcess;

namespace {

struct Expected {
    const char *product;
    const char *code;
    const char *name;
    const char *date;
    const char *serial;
    const char *packetStart;   // the answer packet the product screen arms
    const char *endOfId;       // end key of "Product ID" for this product
};

const Expected kProducts[] = {
    {"isdnta", "5240", "Varnel Brenmoor ISDN TA", "04/12/99", "QB0412001", "Varnel Brenmoor ISDN", "Clock Freq"},
    {"isdnta-pro", "5241", "Varnel Brenmoor ISDN TA", "05/20/99", "QP0520002", "Varnel Brenmoor ISDN", "Clock Freq"},
    {"56k", "5172", "Varnel Tallyline 56K Business Modem", "03/10/99", "TL0310003", "56K Business Modem", "Options"},
    {"56k-i", "5173", "Varnel Tallyline 56K Business Modem", "06/15/99", "TI0615004", "56K Business Modem", "Options"},
    {"idsl", "5237", "Varnel Lumora IDSL Modem", "09/01/99", "LM0901005", "Varnel", "Clock Freq"},
};

class Identity : public ::testing::TestWithParam<Expected> {};

TEST_P(Identity, AnswerYieldsCodeNameDateAndSerial)
{
    const Expected &e = GetParam();
    SimProcess sim({"--product", e.product});
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(sim.openPort());
    std::string answer = sim.command("ati7");
    std::string result;
    ASSERT_TRUE(simtest::finalResult(answer, &result)) << answer;
    EXPECT_EQ(result, "OK");

    // Product screen: the packet from its start string to "OK".
    std::string pkt = rules::packet(answer, e.packetStart);
    ASSERT_FALSE(pkt.empty()) << answer;
    auto id = rules::field(pkt, "Product ID", e.endOfId);
    ASSERT_TRUE(id);
    EXPECT_EQ(id->size(), 8u);
    EXPECT_EQ(rules::productCode(*id), e.code);
    EXPECT_EQ(rules::firmwareDate(pkt), e.date);
    EXPECT_EQ(rules::field(pkt, "Serial Number", "OK").value_or(""), e.serial);
    EXPECT_EQ(rules::field(pkt, "Product type", "Product ID").value_or(""), "US/Canada External");

    // Direct detection: the whole text up to "\nOK\r", name and code.
    EXPECT_EQ(rules::modemName(answer), e.name);
    EXPECT_EQ(rules::directModeCode(answer), e.code);

    // Only the final result code says "OK"; the TAPI probe's first match decides the kind.
    std::string body = answer.substr(0, answer.size() - 6);
    EXPECT_EQ(body.find("OK"), std::string::npos);
    std::string lower = body;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(lower.find("ok"), std::string::npos);
    EXPECT_EQ(lower.find("error"), std::string::npos);
    size_t isdn = lower.find("isdn"), modem = lower.find("56k business modem");
    if (std::string(e.code).substr(0, 3) == "517") {
        EXPECT_TRUE(modem != std::string::npos && isdn == std::string::npos);
    } else if (std::string(e.code) != "5237") {
        EXPECT_TRUE(isdn != std::string::npos && modem == std::string::npos);
    }
}

TEST_P(Identity, SerialAndCountryFromTheCommandLine)
{
    const Expected &e = GetParam();
    SimProcess sim({"--product", e.product, "--serial", "ZZ-77"});
    ASSERT_TRUE(sim.openPort());
    std::string answer = sim.command("ATI7");
    EXPECT_EQ(rules::field(answer, "Serial Number", "OK").value_or(""), "ZZ-77");
}

INSTANTIATE_TEST_SUITE_P(AllProducts, Identity, ::testing::ValuesIn(kProducts),
                         [](const auto &info) {
                             std::string n = info.param.product;
                             for (char &c : n)
                                 if (c == '-')
                                     c = '_';
                             return n;
                         });

TEST(Identity, Model5240IsLeasedLineCapableAnd5241IsNot)
{
    SimProcess ta({"--product", "isdnta"});
    SimProcess pro({"--product", "isdnta-pro"});
    ASSERT_TRUE(ta.openPort());
    ASSERT_TRUE(pro.openPort());
    // The read-back looks for "5240" on the Product ID line and the number four characters on.
    std::string a = rules::packet(ta.command("ati7"), "Hardware Profile");
    std::string idLine = a.substr(a.find("Product ID"));
    idLine = idLine.substr(0, idLine.find("\r\n"));
    size_t p = idLine.find("5240");
    ASSERT_NE(p, std::string::npos);
    EXPECT_GT(std::stoi(idLine.substr(p + 4)), 0);
    std::string b = rules::packet(pro.command("ati7"), "Hardware Profile");
    idLine = b.substr(b.find("Product ID"));
    idLine = idLine.substr(0, idLine.find("\r\n"));
    EXPECT_NE(idLine.find("5241"), std::string::npos);
    EXPECT_EQ(idLine.find("5240"), std::string::npos);
}

TEST(StartUp, DirectDetectionExchange)
{
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    // Echo is on until "ATE0": the command comes back first.
    std::string first = sim.command("ATE0Q0V1");
    EXPECT_EQ(first, "ATE0Q0V1\r\r\nOK\r\n");
    std::string answer = sim.command("ATI7");
    EXPECT_EQ(answer.rfind("\r\nVarnel Brenmoor ISDN TA Hardware Profile\r\n", 0), 0u) << answer;
    EXPECT_NE(answer.find("\nOK\r"), std::string::npos);
    // Numeric result codes on request.
    EXPECT_EQ(sim.command("ATV0"), "0\r");
    sim.send("ATI0\r");
    EXPECT_EQ(sim.readUntil("0\r"), "5240\r\n0\r");
    sim.send("ATV1Q1\r");
    EXPECT_EQ(sim.readFor(200), "");
    EXPECT_EQ(sim.command("ATQ0"), "\r\nOK\r\n");
}

TEST(StartUp, TimeToFirstAnswer)
{
    // Measured, reported, not asserted: from fork to the first "OK" read back.
    auto t0 = std::chrono::steady_clock::now();
    SimProcess sim({"--product", "isdnta"});
    ASSERT_TRUE(sim.openPort());
    std::string r = sim.command("AT");
    auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(r, "AT\r\r\nOK\r\n");
    std::printf("tallysim start-up to first answer: %.1f ms\n", ms);
    ::testing::Test::RecordProperty("startup_ms", std::to_string(ms));
}

} // namespace
