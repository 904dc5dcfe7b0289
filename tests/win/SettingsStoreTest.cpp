// Reading the settings from the registry: key creation, defaults, odd stored values.
#include "common/SettingsStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_support;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }
};

TEST_F(SettingsStoreTest, EmptyRegistryGivesTheDefaultsAndCreatesEveryKey)
{
    Settings settings;
    settings.TimeOut = 5;  // whatever was held before is replaced
    settings.ConnectHour = 3;
    ASSERT_EQ(LoadSettings(settings), 1);

    EXPECT_EQ(settings.ShortCut, 'X');
    EXPECT_EQ(settings.TimeOut, 600);
    EXPECT_EQ(settings.Accuracy, 200);
    EXPECT_EQ(settings.ConnectHour, -1);
    EXPECT_EQ(settings.ConnectMinute, -1);
    EXPECT_EQ(settings.DisConnectHour, -1);
    EXPECT_EQ(settings.DisConnectMinute, -1);
    for (int32_t value : {settings.AutoStart, settings.NoNomal, settings.AutoDistribute, settings.UseReserve,
                          settings.SendQuick, settings.ChangeDate, settings.PreSec, settings.PostSec,
                          settings.ReserveMark, settings.UseSNTP, settings.RunSNTPServer, settings.Connect,
                          settings.DisConnect})
        EXPECT_EQ(value, 0);
    EXPECT_EQ(settings.SNTPServer, nullptr);
    for (int day = 0; day < 7; ++day) {
        EXPECT_EQ(settings.Schedule[day].Head, nullptr);
        ASSERT_NE(settings.Schedule[day].DayName, nullptr);
        EXPECT_STREQ(settings.Schedule[day].DayName, WeekdayNames[day]);
        EXPECT_TRUE(KeyExists(std::string(PlugKey) + "\\Schedule\\" + WeekdayNames[day])) << WeekdayNames[day];
    }
    EXPECT_TRUE(KeyExists(std::string(PlugKey) + "\\Server"));
}

TEST_F(SettingsStoreTest, StoredValuesAreReadWhateverTheirTypeAndSize)
{
    // A REG_BINARY of four bytes is a number like any other.
    const unsigned char binary[4] = {0x2c, 0x01, 0, 0};
    WriteValue(PlugKey, "TimeOut", REG_BINARY, binary, 4);
    // Longer values give their first four bytes.
    const unsigned char longer[8] = {7, 0, 0, 0, 0xff, 0xff, 0xff, 0xff};
    WriteValue(PlugKey, "PreSec", REG_BINARY, longer, 8);
    // Shorter values replace only the leading bytes of the default.
    const unsigned char twoBytes[2] = {0x10, 0x00};
    WriteValue(PlugKey, "Accuracy", REG_BINARY, twoBytes, 2);
    // An empty value leaves the default.
    WriteValue(PlugKey, "AutoStart", REG_BINARY, nullptr, 0);
    // A negative number stays negative.
    WriteDword(PlugKey, "ReserveMark", 0xffffffffu);
    WriteDword(std::string(PlugKey) + "\\Server", "ConnectHour", 6);

    Settings settings;
    LoadSettings(settings);
    EXPECT_EQ(settings.TimeOut, 300);
    EXPECT_EQ(settings.PreSec, 7);
    EXPECT_EQ(settings.Accuracy, 0x10);  // 200 is 0xc8: the low two bytes replaced
    EXPECT_EQ(settings.AutoStart, 0);
    EXPECT_EQ(settings.ReserveMark, -1);
    EXPECT_EQ(settings.ConnectHour, 6);
    EXPECT_EQ(settings.ConnectMinute, -1);
}

TEST_F(SettingsStoreTest, ServerTextAndShortCutForms)
{
    WriteText(PlugKey, "SNTPServer", "ntp.example.jp", false);
    WriteText(PlugKey, "ShortCut", "z", true);  // as an import of the export file stores it
    Settings settings;
    LoadSettings(settings);
    ASSERT_NE(settings.SNTPServer, nullptr);
    EXPECT_STREQ(settings.SNTPServer, "ntp.example.jp");
    EXPECT_EQ(settings.ShortCut, 'z');

    // Stored with its terminator it reads the same; empty it reads as no text at all.
    WriteText(PlugKey, "SNTPServer", "127.0.0.1", true);
    LoadSettings(settings);
    EXPECT_STREQ(settings.SNTPServer, "127.0.0.1");
    WriteValue(PlugKey, "SNTPServer", REG_SZ, "", 0);
    LoadSettings(settings);
    EXPECT_EQ(settings.SNTPServer, nullptr);
}

TEST_F(SettingsStoreTest, HugeServerTextIsReadWhole)
{
    std::string text(1 << 20, 'a');
    WriteText(PlugKey, "SNTPServer", text, false);
    Settings settings;
    LoadSettings(settings);
    ASSERT_NE(settings.SNTPServer, nullptr);
    EXPECT_EQ(std::string(settings.SNTPServer), text);
}

TEST_F(SettingsStoreTest, ScheduleEntriesAreReadInTimeOrderWhateverTheirKeyNames)
{
    const std::string monday = std::string(PlugKey) + "\\Schedule\\Monday";
    WriteDword(monday + "\\data0", "Hour", 12);
    WriteDword(monday + "\\data0", "Minute", 0);
    WriteDword(monday + "\\data0", "Around", 1);
    WriteDword(monday + "\\zzz", "Hour", 7);
    WriteDword(monday + "\\zzz", "Minute", 30);
    WriteDword(monday + "\\zzz", "SNTP", 1);
    WriteDword(monday + "\\noHour", "Minute", 5);  // no Hour: -1, first and never due
    WriteDword(monday + "\\data0\\nested", "Hour", 1);  // not an entry of Monday

    Settings settings;
    LoadSettings(settings);
    const ScheduleEntry* at = settings.Schedule[1].Head;
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at->Hour, -1);
    EXPECT_EQ(at->Minute, 5);
    at = at->Next;
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at->Hour, 7);
    EXPECT_EQ(at->Minute, 30);
    EXPECT_EQ(at->SNTP, 1);
    EXPECT_EQ(at->Around, 0);
    at = at->Next;
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at->Hour, 12);
    EXPECT_EQ(at->Around, 1);
    EXPECT_EQ(at->Next, nullptr);

    // Reading again replaces the lists rather than adding to them.
    LoadSettings(settings);
    EXPECT_EQ(settings.Schedule[1].Count(), 3);
}

}  // namespace
