// The send-reservation and time-adjustment pages through the real editor: their enabling rules,
// what they store, and the values that pass through them unchanged.
#include "EditorSession.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <prsht.h>

#include <string>

using namespace testing_support;

namespace {

enum { ReservePage = 2, SntpPage = 3 };

class ReserveSntpPageTest : public testing_support::ClearedSettingsTest {};

uint32_t Stored(const char* name)
{
    uint32_t value = 0xdeadbeef;
    ReadDword(PlugKey, name, &value);
    return value;
}

const int SecondsRow[] = {1016, 1017, 1018, 1012, 1014, 1013, 1015};
const int SntpFields[] = {1032, 1021, 1033, 1023, 1030, 1025, 1034, 1024, 1031, 1026};

TEST_F(ReserveSntpPageTest, NothingStoredShowsBothPagesOffWithTheirDefaults)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND reserve = editor.ShowPage(ReservePage);
    EXPECT_FALSE(Checked(reserve, 1007));
    EXPECT_TRUE(Enabled(reserve, 1007));
    for (int id : {1008, 1009, 1019, 1089})
        EXPECT_FALSE(Enabled(reserve, id)) << id;
    for (int id : SecondsRow)
        EXPECT_FALSE(Enabled(reserve, id)) << id;
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(Enabled(reserve, 1082 + i));
        EXPECT_FALSE(Checked(reserve, 1082 + i));
        EXPECT_NE(SendMessageA(GetDlgItem(reserve, 1082 + i), BM_GETIMAGE, IMAGE_ICON, 0), 0) << i;
    }
    EXPECT_FALSE(Visible(reserve, 1089));
    EXPECT_EQ(Text(reserve, 1012), "0");
    EXPECT_EQ(Text(reserve, 1014), "0");
    EXPECT_FALSE(IsWindowEnabled(editor.ApplyButton()));

    // Opening the time-adjustment page marks it changed by itself.
    HWND sntp = editor.ShowPage(SntpPage);
    EXPECT_TRUE(IsWindowEnabled(editor.ApplyButton()));
    EXPECT_FALSE(Checked(sntp, 1027));
    EXPECT_EQ(Text(sntp, 1021), "");
    EXPECT_EQ(Text(sntp, 1023), "600");
    EXPECT_EQ(Text(sntp, 1024), "200");
    for (int id : SntpFields)
        EXPECT_FALSE(Enabled(sntp, id)) << id;
    EXPECT_FALSE(Visible(sntp, 1035));
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

TEST_F(ReserveSntpPageTest, ReservationSwitchesEnableTheMarksAndThenTheSecondsRow)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND reserve = editor.ShowPage(ReservePage);
    Click(reserve, 1007);
    EXPECT_TRUE(IsWindowEnabled(editor.ApplyButton()));
    for (int id : {1008, 1009, 1019, 1082, 1085, 1088})
        EXPECT_TRUE(Enabled(reserve, id)) << id;
    for (int id : SecondsRow)
        EXPECT_FALSE(Enabled(reserve, id)) << id;
    ASSERT_TRUE(Enabled(reserve, 1009));
    Click(reserve, 1009);
    for (int id : SecondsRow)
        EXPECT_TRUE(Enabled(reserve, id)) << id;

    // Typed values may pass the spins' 600; a mark click selects that mark.
    Type(reserve, 1012, "900");
    Type(reserve, 1014, "15");
    ASSERT_TRUE(Enabled(reserve, 1086));
    Click(reserve, 1086);
    Click(reserve, 1008);
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(Stored("UseReserve"), 1u);
    EXPECT_EQ(Stored("ChangeDate"), 1u);
    EXPECT_EQ(Stored("SendQuick"), 1u);
    EXPECT_EQ(Stored("PreSec"), 900u);
    EXPECT_EQ(Stored("PostSec"), 15u);
    EXPECT_EQ(Stored("ReserveMark"), 5u);
}

// Typed seconds beyond a day are refused with the range in the message, whichever field comes
// first; a day is taken.
TEST_F(ReserveSntpPageTest, SecondsBeyondADayAreRefusedWithTheRange)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND reserve = editor.ShowPage(ReservePage);
    Click(reserve, 1007);
    Click(reserve, 1009);
    Type(reserve, 1012, "3000000000");
    Type(reserve, 1014, "86401");
    for (int field : {1014, 1012}) {
        editor.PressLater(PSBTN_OK);
        HWND box = editor.WaitForWindow("chronset");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(DialogStaticText(box), "0 から 86400 までの整数を入力してください。");
        ASSERT_TRUE(editor.Answer(box, IDOK));
        EXPECT_EQ(editor.Focus(), GetDlgItem(reserve, field));
        EXPECT_EQ(Stored("UseReserve"), 0xdeadbeefu);
        Type(reserve, field, "86400");
    }
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(Stored("PreSec"), 86400u);
    EXPECT_EQ(Stored("PostSec"), 86400u);
}

TEST_F(ReserveSntpPageTest, StoredMarkIsSelectedAndMarkZeroOrOutOfRangeShowsNone)
{
    WriteDword(PlugKey, "UseReserve", 1);
    WriteDword(PlugKey, "ReserveMark", 7);
    {
        EditorSession editor;
        ASSERT_NE(editor.Sheet(), nullptr);
        HWND reserve = editor.ShowPage(ReservePage);
        EXPECT_TRUE(Checked(reserve, 1088));
        EXPECT_FALSE(Checked(reserve, 1082));
        editor.Press(PSBTN_CANCEL);
        editor.WaitForResult();
    }
    WriteDword(PlugKey, "ReserveMark", 0);
    {
        EditorSession editor;
        ASSERT_NE(editor.Sheet(), nullptr);
        HWND reserve = editor.ShowPage(ReservePage);
        for (int i = 0; i < 7; ++i)
            EXPECT_FALSE(Checked(reserve, 1082 + i)) << i;
        editor.Press(PSBTN_OK);
        EXPECT_EQ(editor.WaitForResult(), 1);
        EXPECT_EQ(Stored("ReserveMark"), 0u);  // stays 0 until a mark is clicked
    }
    WriteDword(PlugKey, "ReserveMark", 9);
    {
        EditorSession editor;
        ASSERT_NE(editor.Sheet(), nullptr);
        HWND reserve = editor.ShowPage(ReservePage);
        for (int i = 0; i < 7; ++i)
            EXPECT_FALSE(Checked(reserve, 1082 + i)) << i;
        editor.Press(PSBTN_OK);
        EXPECT_EQ(editor.WaitForResult(), 1);
        EXPECT_EQ(Stored("ReserveMark"), 0xffffffffu);
    }
}

TEST_F(ReserveSntpPageTest, TimeAdjustmentSwitchEnablesItsFieldsAndAnEmptyServerIsStored)
{
    WriteText(PlugKey, "SNTPServer", "old.example.jp", false);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND sntp = editor.ShowPage(SntpPage);
    EXPECT_EQ(Text(sntp, 1021), "old.example.jp");
    Click(sntp, 1027);
    for (int id : SntpFields)
        EXPECT_TRUE(Enabled(sntp, id)) << id;
    Type(sntp, 1021, "");
    Type(sntp, 1023, "1500");
    Type(sntp, 1024, "50");
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(Stored("UseSNTP"), 1u);
    EXPECT_EQ(Stored("TimeOut"), 1500u);
    EXPECT_EQ(Stored("Accuracy"), 50u);
    DWORD type = 0;
    std::string bytes = "unread";
    ASSERT_TRUE(ReadValue(PlugKey, "SNTPServer", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(bytes.c_str()), "");
}

// Values the pages cannot change come back as they were stored: the hidden server switch, and
// negative time-out and accuracy shown as their unsigned readings.
TEST_F(ReserveSntpPageTest, HiddenAndNegativeValuesPassThroughUnchanged)
{
    WriteDword(PlugKey, "RunSNTPServer", 1);
    WriteDword(PlugKey, "TimeOut", static_cast<uint32_t>(-5));
    WriteDword(PlugKey, "Accuracy", static_cast<uint32_t>(-1));
    WriteDword(PlugKey, "UseSNTP", 1);
    WriteText(PlugKey, "SNTPServer", "ntp.example.jp", false);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND sntp = editor.ShowPage(SntpPage);
    EXPECT_TRUE(Checked(sntp, 1035));
    EXPECT_EQ(Text(sntp, 1023), "4294967291");
    EXPECT_EQ(Text(sntp, 1024), "4294967295");
    for (int id : SntpFields)
        EXPECT_TRUE(Enabled(sntp, id)) << id;
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(Stored("RunSNTPServer"), 1u);
    EXPECT_EQ(Stored("TimeOut"), static_cast<uint32_t>(-5));
    EXPECT_EQ(Stored("Accuracy"), 0xffffffffu);
    EXPECT_EQ(Stored("UseSNTP"), 1u);
}

}  // namespace
