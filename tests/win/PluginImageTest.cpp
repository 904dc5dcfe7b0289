// chronel.dll as shipped: a PE32 i386 library with exactly the host's entry points, importing
// only system libraries, and reading the clock only through kernel32.
#include "PeImage.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace testing_support;

namespace {

TEST(PluginImageTest, ExportsExactlyTheEntryPointsAtTheirOrdinals)
{
    PeImage image = PeImage::Read(ReadFileBytes(BuildPath("host/Plugins/chronel.dll")));
    ASSERT_TRUE(image.valid);
    EXPECT_EQ(image.machine, 0x14c);  // i386
    EXPECT_EQ(image.magic, 0x10b);    // PE32
    const std::map<uint32_t, std::string> expected = {
        {1, "APCGetPlugName"},         {2, "APCVersionInfo"},   {3, "APCStartUp"},
        {4, "APCCleanUp"},             {5, "APCSetup"},         {6, "APCRecFilter"},
        {100, "APCFolderCreate"},      {101, "APCFolderClose"}, {102, "APCFolderInitMenu"},
        {103, "APCFolderLoad"},        {104, "APCFolderEndRetrieve"}, {300, "APCSendCreate"},
        {301, "APCSendClose"},         {302, "APCSendInitMenu"}, {303, "APCSendPost"},
    };
    EXPECT_EQ(image.exports, expected);
}

TEST(PluginImageTest, ImportsOnlySystemLibrariesAndNoCrtClock)
{
    PeImage image = PeImage::Read(ReadFileBytes(BuildPath("host/Plugins/chronel.dll")));
    ASSERT_TRUE(image.valid);
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "advapi32.dll", "gdi32.dll",
                                          "comctl32.dll", "comdlg32.dll", "ws2_32.dll",  "wsock32.dll",
                                          "msvcrt.dll",   "shell32.dll"};
    for (const auto& [dll, functions] : image.imports) {
        EXPECT_TRUE(system.count(dll)) << "imports " << dll;
        if (dll == "msvcrt.dll") {
            for (const char* clock : {"time", "_time32", "_time64", "_ftime", "_ftime32", "_ftime64", "clock"})
                EXPECT_EQ(std::count(functions.begin(), functions.end(), clock), 0) << clock;
        }
    }
    // The clock the host substitutes is read through kernel32.
    const auto& kernel = image.imports["kernel32.dll"];
    EXPECT_EQ(std::count(kernel.begin(), kernel.end(), "GetLocalTime"), 1);
}

}  // namespace
