// The export file's text: layout byte for byte, escaping, long and missing texts.
#include "../../common/pure/RegeditText.h"

#include "FailingRealloc.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A record as an empty store reads, with the weekday names set as reading sets them.
void FillAsEmptyStore(Settings& s)
{
    for (const SettingValue& value : SettingValues) {
        if (value.kind == SettingKind::Number)
            s.*value.number = value.preset;
        else if (value.kind == SettingKind::Letter)
            s.ShortCut = static_cast<char>(value.preset);
    }
    for (int day = 0; day < 7; ++day)
        s.Schedule[day].SetDayName(WeekdayNames[day]);
}

std::string Regedit(const Settings& s)
{
    TextBuffer text = BuildRegeditText(s);
    EXPECT_FALSE(text.Failed());
    return std::string(text.c_str(), text.size());
}

std::string Line(const std::string& text, const std::string& start)
{
    size_t at = text.find("\n" + start);
    if (at == std::string::npos)
        return "";
    size_t end = text.find('\n', at + 1);
    return text.substr(at + 1, end - at - 1);
}

TEST(RegeditTextTest, OneMondayPatrolEntryGivesTheWholeFileByteForByte)
{
    Settings s;
    FillAsEmptyStore(s);
    s.SetServer("ntp.example.jp");
    s.Schedule[1].AddEntry(7, 30, 0, 1, 0);

    const std::string key = "[HKEY_CURRENT_USER\\Software\\Quor\\ChronelPlug\\Schedule\\";
    std::string expected =
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\Quor]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Quor\\ChronelPlug]\n"
        "\"AutoStart\"=dword:00000000\n"
        "\"ShortCut\"=\"X\"\n"
        "\"NoNomal\"=dword:00000000\n"
        "\"AutoDistribute\"=dword:00000000\n"
        "\"UseReserve\"=dword:00000000\n"
        "\"SendQuick\"=dword:00000000\n"
        "\"ChangeDate\"=dword:00000000\n"
        "\"PreSec\"=dword:00000000\n"
        "\"PostSec\"=dword:00000000\n"
        "\"ReserveMark\"=dword:00000000\n"
        "\"UseSNTP\"=dword:00000000\n"
        "\"SNTPServer\"=\"ntp.example.jp\"\n"
        "\"TimeOut\"=dword:00000258\n"
        "\"Accuracy\"=dword:000000c8\n"
        "\"RunSNTPServer\"=dword:00000000\n\n"
        "[HKEY_CURRENT_USER\\Software\\Quor\\ChronelPlug\\Schedule]\n\n" +
        key + "Sunday]\n\n" +
        key + "Monday]\n\n" +
        key + "Monday\\data0]\n"
        "\"Hour\"=dword:00000007\n"
        "\"Minute\"=dword:0000001e\n"
        "\"EveryDay\"=dword:00000000\n"
        "\"Around\"=dword:00000001\n"
        "\"SNTP\"=dword:00000000\n\n" +
        key + "Tuesday]\n\n" + key + "Wednesday]\n\n" + key + "Thursday]\n\n" + key + "Friday]\n\n" + key +
        "Saturday]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Quor\\ChronelPlug\\Server]\n"
        "\"Connect\"=dword:00000000\n"
        "\"ConnectHour\"=dword:ffffffff\n"
        "\"ConnectMinute\"=dword:ffffffff\n"
        "\"DisConnect\"=dword:00000000\n"
        "\"DisConnectHour\"=dword:ffffffff\n"
        "\"DisConnectMinute\"=dword:ffffffff\n";
    EXPECT_EQ(Regedit(s), expected);
}

TEST(RegeditTextTest, EntriesAreNumberedInListOrderWithTheirValuesInTwosComplement)
{
    Settings s;
    FillAsEmptyStore(s);
    s.Schedule[6].AddEntry(23, 59, 1, 0, 1);
    s.Schedule[6].AddEntry(-1, -1, 0, 0, 0);  // sorts first
    s.ReserveMark = -1;
    s.PreSec = 0x7fffffff;
    std::string text = Regedit(s);
    const std::string saturday = "[HKEY_CURRENT_USER\\Software\\Quor\\ChronelPlug\\Schedule\\Saturday";
    size_t first = text.find(saturday + "\\data0]\n\"Hour\"=dword:ffffffff\n\"Minute\"=dword:ffffffff\n");
    size_t second = text.find(saturday + "\\data1]\n\"Hour\"=dword:00000017\n\"Minute\"=dword:0000003b\n"
                                         "\"EveryDay\"=dword:00000001\n\"Around\"=dword:00000000\n"
                                         "\"SNTP\"=dword:00000001\n\n[HKEY_CURRENT_USER\\Software\\Quor\\"
                                         "ChronelPlug\\Server]\n");
    EXPECT_NE(first, std::string::npos) << text;
    EXPECT_NE(second, std::string::npos) << text;
    EXPECT_LT(first, second);
    EXPECT_EQ(Line(text, "\"ReserveMark\""), "\"ReserveMark\"=dword:ffffffff");
    EXPECT_EQ(Line(text, "\"PreSec\""), "\"PreSec\"=dword:7fffffff");
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.substr(text.size() - 2), "\n\n");
}

// Texts are REGEDIT4 strings: backslash and quotation mark escaped. Double-byte characters are
// kept whole: the second byte of "表" is 0x5c but no backslash.
TEST(RegeditTextTest, ServerTextIsEscapedAndWrittenWholeHoweverLong)
{
    Settings s;
    FillAsEmptyStore(s);
    s.SetServer("a\\b\"c");
    EXPECT_EQ(Line(Regedit(s), "\"SNTPServer\""), "\"SNTPServer\"=\"a\\\\b\\\"c\"");

    s.SetServer("\x95\x5c\\x\x95");  // 表, a backslash, x, a lone lead byte at the end
    EXPECT_EQ(Line(Regedit(s), "\"SNTPServer\""), "\"SNTPServer\"=\"\x95\x5c\\\\x\x95\"");

    std::string longName(3000, 'n');
    longName += ".example.jp";
    s.SetServer(longName.c_str());
    EXPECT_EQ(Line(Regedit(s), "\"SNTPServer\""), "\"SNTPServer\"=\"" + longName + "\"");
}

TEST(RegeditTextTest, MissingServerAndShortCutCodeZeroAreEmptyTexts)
{
    Settings s;
    FillAsEmptyStore(s);
    s.ShortCut = 0;
    std::string text = Regedit(s);
    EXPECT_EQ(Line(text, "\"SNTPServer\""), "\"SNTPServer\"=\"\"");
    EXPECT_EQ(Line(text, "\"ShortCut\""), "\"ShortCut\"=\"\"");
    EXPECT_EQ(text.find('\0'), std::string::npos);

    s.ShortCut = '"';
    EXPECT_EQ(Line(Regedit(s), "\"ShortCut\""), "\"ShortCut\"=\"\\\"\"");
}

TEST(RegeditTextTest, ListsNeverReadFromTheStoreUseTheirWeekdayName)
{
    Settings s;  // no day names
    s.Schedule[3].AddEntry(9, 5, 0, 0, 0);
    std::string text = Regedit(s);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Quor\\ChronelPlug\\Schedule\\Wednesday\\data0]\n"),
              std::string::npos)
        << text;
}

// Memory that runs out at any one growth of any buffer on the way (a quoted text, a key path, the
// text itself) fails the whole text, however the later growths go: a file with a cut path or a
// missing quotation mark is never taken for the whole.
TEST(RegeditTextTest, RunningOutOfMemoryAtAnyStepFailsTheWholeText)
{
    Settings s;
    FillAsEmptyStore(s);
    s.SetServer("ntp\\\"example\".jp");
    s.Schedule[1].AddEntry(7, 30, 0, 1, 0);
    s.Schedule[5].AddEntry(12, 0, 1, 0, 1);
    failing_realloc::Arm(-1);
    const std::string whole = Regedit(s);
    const long calls = failing_realloc::Calls();
    ASSERT_GT(calls, 10);
    for (long failing = 0; failing < calls; ++failing) {
        failing_realloc::Arm(failing);
        TextBuffer text = BuildRegeditText(s);
        failing_realloc::Arm(-1);
        EXPECT_TRUE(text.Failed()) << "growth " << failing << " failed, yet the text was taken as whole:\n"
                                   << text.c_str();
    }
}

}  // namespace
