// The settings sheet as a user meets it: its pages, the rules every page follows, and the
// general page with its export command. Driven through the real chronset.dll.
#include "EditorSession.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <prsht.h>

using namespace testing_support;

namespace {

class EditorSheetTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }
};

TEST_F(EditorSheetTest, SheetShowsFourPagesWithTheirCaptionsAndClosesWithCancel)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(editor.Sheet(), PSM_GETTABCONTROL, 0, 0));
    ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 4);
    const char* const captions[] = {"ｽｹｼﾞｭｰﾙ", "CHRONELの設定", "送信予約の設定", "時間合わせ"};
    for (int i = 0; i < 4; ++i) {
        char text[64] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, captions[i]);
    }
    EXPECT_EQ(GetWindow(editor.Sheet(), GW_OWNER), nullptr);
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

}  // namespace
