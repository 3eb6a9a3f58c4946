#include "suitesettings.h"

#include "registry.h"

#include <gtest/gtest.h>

namespace {

void setValue(const char *name, const char *value)
{
    reg::writeString(RegRoot::LocalMachine, suite::kPortdeckKey, name, value);
}

TEST(SuiteSettings, MissingKeyIsCreatedAndBothStayOff)
{
    reg::deleteKey(RegRoot::LocalMachine, suite::kPortdeckKey);
    const auto settings = suite::readLogSettings();
    EXPECT_FALSE(settings.logging);
    EXPECT_FALSE(settings.waitAndYield);
    EXPECT_TRUE(reg::keyExists(RegRoot::LocalMachine, suite::kPortdeckKey));
}

TEST(SuiteSettings, OnlyExactlyOnEnables)
{
    setValue("Logging", "on");
    setValue("WaitAndYield", "ON");
    auto settings = suite::readLogSettings();
    EXPECT_TRUE(settings.logging);
    EXPECT_FALSE(settings.waitAndYield);

    setValue("Logging", "off");
    setValue("WaitAndYield", "on");
    settings = suite::readLogSettings();
    EXPECT_FALSE(settings.logging);
    EXPECT_TRUE(settings.waitAndYield);
}

TEST(SuiteSettings, WrittenValuesReadBack)
{
    suite::writeLogSettings({true, false});
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, suite::kPortdeckKey, "Logging"), "on");
    EXPECT_EQ(reg::readString(RegRoot::LocalMachine, suite::kPortdeckKey, "WaitAndYield"), "off");
    const auto settings = suite::readLogSettings();
    EXPECT_TRUE(settings.logging);
    EXPECT_FALSE(settings.waitAndYield);
}

} // namespace
