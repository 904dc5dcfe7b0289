// Reading the settings from the registry: key creation, defaults, odd stored values.
#include "../../common/windows/SettingsStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_support;

namespace {

class SettingsStoreTest : public testing_support::ClearedSettingsTest {};

TEST_F(SettingsStoreTest, EmptyRegistryGivesTheDefaultsAndCreatesEveryKey)
{
    // Whatever was held before is replaced by each value's preset (the export's text holds the
    // presets byte for byte).
    Settings settings;
    for (const SettingValue& value : SettingValues) {
        if (value.number)
            settings.*value.number = 12345;
    }
    ASSERT_EQ(LoadSettings(settings), 1);

    EXPECT_EQ(settings.ShortCut, 'X');
    for (const SettingValue& value : SettingValues) {
        if (value.number) {
            EXPECT_EQ(settings.*value.number, value.preset) << value.name;
        }
    }
    EXPECT_EQ(settings.SNTPServer.Get(), nullptr);
    for (int day = 0; day < 7; ++day) {
        EXPECT_EQ(settings.Schedule[day].Head, nullptr);
        ASSERT_NE(settings.Schedule[day].DayName.Get(), nullptr);
        EXPECT_STREQ(settings.Schedule[day].DayName.Get(), WeekdayNames[day]);
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
    ASSERT_NE(settings.SNTPServer.Get(), nullptr);
    EXPECT_STREQ(settings.SNTPServer.Get(), "ntp.example.jp");
    EXPECT_EQ(settings.ShortCut, 'z');

    // Stored with its terminator it reads the same; empty it reads as no text at all.
    WriteText(PlugKey, "SNTPServer", "127.0.0.1", true);
    LoadSettings(settings);
    EXPECT_STREQ(settings.SNTPServer.Get(), "127.0.0.1");
    WriteValue(PlugKey, "SNTPServer", REG_SZ, "", 0);
    LoadSettings(settings);
    EXPECT_EQ(settings.SNTPServer.Get(), nullptr);
}

TEST_F(SettingsStoreTest, HugeServerTextIsReadWhole)
{
    std::string text(1 << 20, 'a');
    WriteText(PlugKey, "SNTPServer", text, false);
    Settings settings;
    LoadSettings(settings);
    ASSERT_NE(settings.SNTPServer.Get(), nullptr);
    EXPECT_EQ(std::string(settings.SNTPServer.Get()), text);
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

// Every type and size a value can have, for each kind of setting: numbers take their first four
// bytes over the default whatever the type, the letter its first byte, the server text all its
// bytes up to a stored terminator.
TEST_F(SettingsStoreTest, ValuesOfEveryTypeAndSizeHaveOneClearReading)
{
    const unsigned char qword[8] = {0xfe, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};  // -2
    WriteValue(PlugKey, "PreSec", REG_QWORD, qword, 8);
    WriteDword(PlugKey, "PostSec", 0x80000000u);  // the most negative number stays as it is
    WriteDword(PlugKey, "TimeOut", 0x7fffffffu);
    WriteValue(PlugKey, "Accuracy", REG_SZ, "123", 4);  // text is not parsed: its bytes are taken
    std::string megabyte(1 << 20, '\x01');
    megabyte[0] = 9;
    megabyte[1] = megabyte[2] = megabyte[3] = 0;
    WriteValue(PlugKey, "ReserveMark", REG_BINARY, megabyte.data(), static_cast<DWORD>(megabyte.size()));
    WriteValue(PlugKey, "UseSNTP", REG_MULTI_SZ, "1\0\0", 3);  // '1' is 0x31, then two NULs
    const unsigned char oneByte = 5;
    WriteValue(PlugKey, "RunSNTPServer", REG_DWORD, &oneByte, 1);
    // ShortCut: a long value gives its first byte, an empty one the default, binary is taken as is.
    WriteValue(PlugKey, "ShortCut", REG_BINARY, megabyte.data() + 4, 1000);
    // Server text: a DWORD is four bytes of text; a stored NUL ends the text where it stands.
    const uint32_t address = 0x34333231u;  // "1234"
    WriteValue(PlugKey, "SNTPServer", REG_DWORD, &address, 4);
    WriteValue(std::string(PlugKey) + "\\Server", "ConnectMinute", REG_BINARY, nullptr, 0);

    Settings settings;
    LoadSettings(settings);
    EXPECT_EQ(settings.PreSec, -2);
    EXPECT_EQ(settings.PostSec, INT32_MIN);
    EXPECT_EQ(settings.TimeOut, INT32_MAX);
    EXPECT_EQ(settings.Accuracy, 0x00333231);
    EXPECT_EQ(settings.ReserveMark, 9);
    EXPECT_EQ(settings.UseSNTP, 0x31);  // three bytes over the default 0
    EXPECT_EQ(settings.RunSNTPServer, 5);
    EXPECT_EQ(settings.ShortCut, '\x01');
    ASSERT_NE(settings.SNTPServer.Get(), nullptr);
    EXPECT_STREQ(settings.SNTPServer.Get(), "1234");
    EXPECT_EQ(settings.ConnectMinute, -1);

    WriteValue(PlugKey, "ShortCut", REG_SZ, "", 0);
    WriteValue(PlugKey, "SNTPServer", REG_BINARY, "ntp\0tail", 8);
    LoadSettings(settings);
    EXPECT_EQ(settings.ShortCut, 'X');
    EXPECT_STREQ(settings.SNTPServer.Get(), "ntp");
    WriteValue(PlugKey, "SNTPServer", REG_SZ, "\0", 1);  // only a terminator: an empty text
    LoadSettings(settings);
    ASSERT_NE(settings.SNTPServer.Get(), nullptr);
    EXPECT_STREQ(settings.SNTPServer.Get(), "");
}

// Schedule entry values are numbers like the others: text and huge values still give one entry.
TEST_F(SettingsStoreTest, OddScheduleEntryValuesGiveOneEntryEach)
{
    const std::string friday = std::string(PlugKey) + "\\Schedule\\Friday\\data0";
    WriteValue(friday, "Hour", REG_SZ, "\x07", 2);  // byte 7 and its terminator
    std::string huge(200000, '\0');
    huge[0] = 45;
    WriteValue(friday, "Minute", REG_BINARY, huge.data(), static_cast<DWORD>(huge.size()));
    WriteDword(friday, "EveryDay", 0xffffffffu);
    Settings settings;
    LoadSettings(settings);
    const ScheduleEntry* entry = settings.Schedule[5].Head;
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Hour, static_cast<int32_t>(0xffff0007u));  // two bytes over the default -1: never due
    EXPECT_EQ(entry->Minute, 45);
    EXPECT_EQ(entry->EveryDay, -1);
    EXPECT_EQ(entry->Next, nullptr);
}

}  // namespace
