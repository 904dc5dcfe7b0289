// The send-reservation and time-adjustment pages through the real editor: their enabling rules,
// what they store, and the values that pass through them unchanged.
#include "EditorSession.h"
#include "TestSupport.h"
#include "setup/resource.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <tuple>
#include <utility>

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

const int SecondsRow[] = {IDT_RSV_PRE_LABEL, IDT_RSV_PRE_UNIT, IDT_RSV_POST_UNIT, IDE_RSV_PRE_SEC,
                          IDE_RSV_POST_SEC,  IDU_RSV_PRE_SEC,  IDU_RSV_POST_SEC};
const int SntpFields[] = {IDT_NTP_SERVER,   IDE_NTP_SERVER,       IDT_NTP_TIMEOUT,       IDE_NTP_TIMEOUT,
                          IDT_NTP_TIMEOUT_UNIT, IDU_NTP_TIMEOUT, IDT_NTP_ACCURACY,   IDE_NTP_ACCURACY,
                          IDT_NTP_ACCURACY_UNIT, IDU_NTP_ACCURACY};

TEST_F(ReserveSntpPageTest, NothingStoredShowsBothPagesOffWithTheirDefaults)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND reserve = editor.ShowPage(ReservePage);
    EXPECT_FALSE(Checked(reserve, IDX_RSV_USE));
    EXPECT_TRUE(Enabled(reserve, IDX_RSV_USE));
    for (int id : {IDX_RSV_SEND_QUICK, IDX_RSV_CHANGE_DATE, IDG_RSV_MARK, IDR_RSV_NO_MARK})
        EXPECT_FALSE(Enabled(reserve, id)) << id;
    for (int id : SecondsRow)
        EXPECT_FALSE(Enabled(reserve, id)) << id;
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(Enabled(reserve, IDR_RSV_MARK1 + i));
        EXPECT_FALSE(Checked(reserve, IDR_RSV_MARK1 + i));
        EXPECT_NE(SendMessageA(GetDlgItem(reserve, IDR_RSV_MARK1 + i), BM_GETIMAGE, IMAGE_ICON, 0), 0) << i;
    }
    EXPECT_FALSE(Visible(reserve, IDR_RSV_NO_MARK));
    EXPECT_EQ(Text(reserve, IDE_RSV_PRE_SEC), "0");
    EXPECT_EQ(Text(reserve, IDE_RSV_POST_SEC), "0");
    EXPECT_FALSE(IsWindowEnabled(editor.ApplyButton()));

    // Opening the time-adjustment page marks it changed by itself.
    HWND sntp = editor.ShowPage(SntpPage);
    EXPECT_TRUE(IsWindowEnabled(editor.ApplyButton()));
    EXPECT_FALSE(Checked(sntp, IDX_NTP_USE));
    EXPECT_EQ(Text(sntp, IDE_NTP_SERVER), "");
    EXPECT_EQ(Text(sntp, IDE_NTP_TIMEOUT), "600");
    EXPECT_EQ(Text(sntp, IDT_NTP_TIMEOUT_UNIT), "秒以内に応答がないときは無視する") << "counted in seconds";
    EXPECT_EQ(Text(sntp, IDE_NTP_ACCURACY), "200");
    for (int id : SntpFields)
        EXPECT_FALSE(Enabled(sntp, id)) << id;
    EXPECT_FALSE(Visible(sntp, IDX_NTP_RUN_SERVER));
    // The spins' arrows stop short of what may be typed.
    const std::tuple<HWND, int, int> spins[] = {
        {reserve, IDU_RSV_PRE_SEC, 600}, {reserve, IDU_RSV_POST_SEC, 600},
        {sntp, IDU_NTP_TIMEOUT, 32767},  {sntp, IDU_NTP_ACCURACY, 32767}};
    for (auto [page, spin, most] : spins) {
        int least = -1, highest = -1;
        SendDlgItemMessageA(page, spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&least),
                            reinterpret_cast<LPARAM>(&highest));
        EXPECT_EQ(least, 0) << spin;
        EXPECT_EQ(highest, most) << spin;
    }
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

TEST_F(ReserveSntpPageTest, ReservationSwitchesEnableTheMarksAndThenTheSecondsRow)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND reserve = editor.ShowPage(ReservePage);
    Click(reserve, IDX_RSV_USE);
    EXPECT_TRUE(IsWindowEnabled(editor.ApplyButton()));
    for (int id : {IDX_RSV_SEND_QUICK, IDX_RSV_CHANGE_DATE, IDG_RSV_MARK, IDR_RSV_MARK1, IDR_RSV_MARK1 + 3, IDR_RSV_MARK1 + 6})
        EXPECT_TRUE(Enabled(reserve, id)) << id;
    for (int id : SecondsRow)
        EXPECT_FALSE(Enabled(reserve, id)) << id;
    ASSERT_TRUE(Enabled(reserve, IDX_RSV_CHANGE_DATE));
    Click(reserve, IDX_RSV_CHANGE_DATE);
    for (int id : SecondsRow)
        EXPECT_TRUE(Enabled(reserve, id)) << id;

    // Typed values may pass the spins' 600; a mark click selects that mark.
    Type(reserve, IDE_RSV_PRE_SEC, "900");
    Type(reserve, IDE_RSV_POST_SEC, "15");
    ASSERT_TRUE(Enabled(reserve, IDR_RSV_MARK1 + 4));
    Click(reserve, IDR_RSV_MARK1 + 4);
    Click(reserve, IDX_RSV_SEND_QUICK);
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(Stored("UseReserve"), 1u);
    EXPECT_EQ(Stored("ChangeDate"), 1u);
    EXPECT_EQ(Stored("SendQuick"), 1u);
    EXPECT_EQ(Stored("PreSec"), 900u);
    EXPECT_EQ(Stored("PostSec"), 15u);
    EXPECT_EQ(Stored("ReserveMark"), 5u);
}

// Tab reaches the mark group at the ticked mark, or at the first when the stored mark is 0 (the
// hidden button); each icon-only mark carries a name for a screen reader.
TEST_F(ReserveSntpPageTest, TabReachesTheMarksAndEachMarkHasAName)
{
    for (auto [mark, reached] : {std::pair<int, int>{0, IDR_RSV_MARK1}, {3, IDR_RSV_MARK1 + 2}}) {
        SCOPED_TRACE(mark);
        WriteDword(PlugKey, "UseReserve", 1);
        WriteDword(PlugKey, "ReserveMark", mark);
        EditorSession editor;
        ASSERT_NE(editor.Sheet(), nullptr);
        HWND reserve = editor.ShowPage(ReservePage);
        PressKey(GetDlgItem(reserve, IDX_RSV_CHANGE_DATE), VK_TAB);
        for (int i = 0; i < 100 && editor.Focus() == GetDlgItem(reserve, IDX_RSV_CHANGE_DATE); ++i)
            Sleep(20);
        EXPECT_EQ(GetDlgCtrlID(editor.Focus()), reached);
        EXPECT_EQ(Text(reserve, IDR_RSV_MARK1), "マーク1: 赤");
        EXPECT_EQ(Text(reserve, IDR_RSV_MARK1 + 6), "マーク7: 灰色");
    }
}

// Typed seconds beyond a day are refused with the range in the message, whichever field comes
// first; a day is taken.
TEST_F(ReserveSntpPageTest, SecondsBeyondADayAreRefusedWithTheRange)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND reserve = editor.ShowPage(ReservePage);
    Click(reserve, IDX_RSV_USE);
    Click(reserve, IDX_RSV_CHANGE_DATE);
    Type(reserve, IDE_RSV_PRE_SEC, "3000000000");
    Type(reserve, IDE_RSV_POST_SEC, "86401");
    const struct {
        int field;
        const char* name;
    } fields[] = {{IDE_RSV_POST_SEC, "秒後まで"}, {IDE_RSV_PRE_SEC, "秒前から"}};
    for (auto [field, name] : fields) {
        editor.PressLater(PSBTN_OK);
        HWND box = editor.WaitForWindow("chronset");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(DialogStaticText(box), std::string("「") + name + "」には 0 から 86400 までの整数を入力してください。");
        ASSERT_TRUE(editor.Answer(box, IDOK));
        EXPECT_EQ(editor.WaitForFocus(GetDlgItem(reserve, field)), GetDlgItem(reserve, field));
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
        EXPECT_TRUE(Checked(reserve, IDR_RSV_MARK1 + 6));
        EXPECT_FALSE(Checked(reserve, IDR_RSV_MARK1));
        editor.Press(PSBTN_CANCEL);
        editor.WaitForResult();
    }
    WriteDword(PlugKey, "ReserveMark", 0);
    {
        EditorSession editor;
        ASSERT_NE(editor.Sheet(), nullptr);
        HWND reserve = editor.ShowPage(ReservePage);
        for (int i = 0; i < 7; ++i)
            EXPECT_FALSE(Checked(reserve, IDR_RSV_MARK1 + i)) << i;
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
            EXPECT_FALSE(Checked(reserve, IDR_RSV_MARK1 + i)) << i;
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
    EXPECT_EQ(Text(sntp, IDE_NTP_SERVER), "old.example.jp");
    Click(sntp, IDX_NTP_USE);
    for (int id : SntpFields)
        EXPECT_TRUE(Enabled(sntp, id)) << id;
    Type(sntp, IDE_NTP_SERVER, "");
    Type(sntp, IDE_NTP_TIMEOUT, "1500");
    Type(sntp, IDE_NTP_ACCURACY, "50");
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
    EXPECT_TRUE(Checked(sntp, IDX_NTP_RUN_SERVER));
    EXPECT_EQ(Text(sntp, IDE_NTP_TIMEOUT), "4294967291");
    EXPECT_EQ(Text(sntp, IDE_NTP_ACCURACY), "4294967295");
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
