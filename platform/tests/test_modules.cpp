#include "modules.h"

#include "paths.h"

#include <gtest/gtest.h>

// libsamplemodule.so is built beside the test programs.
TEST(Modules, ALibraryIsLoadedByItsPlatformNameBesideTheProgram)
{
    HMODULE module = LoadLibrary(QStringLiteral("SampleModule.dll"));
    ASSERT_NE(module, nullptr) << qPrintable(lastModuleError());
    using Add = int (*)(int, int);
    auto add = reinterpret_cast<Add>(GetProcAddress(module, "_SampleAdd"));
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    EXPECT_EQ(GetProcAddress(module, "_NotExported"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "_sampleadd"), nullptr);   // exact names only
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetProcAddress(module, "_SampleAdd"), nullptr);   // a freed handle resolves nothing
}

TEST(Modules, AMissingLibraryIsNullWithAReason)
{
    EXPECT_EQ(LoadLibrary(QStringLiteral("Absent.dll")), nullptr);
    EXPECT_TRUE(lastModuleError().contains(QLatin1String("Absent.dll")));
    EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}
