#include "DataExchange.h"

#include "IntegerText.h"

#include <commctrl.h>

#include <cstdio>

namespace {

// The standard texts of the editor's framework for its integer fields.
const char* const NeedInteger = "整数を入力してください。";
const char* const NeedPositiveInteger = "正の整数を入力してください。";
const char* const NeedIntegerUpTo = "0 から %lu までの整数を入力してください。";
const char* const MessageTitle = "chronset";

}  // namespace

TextBuffer CDataExchange::ItemText(int id) const
{
    HWND item = GetDlgItem(dialog_, id);
    int length = GetWindowTextLengthA(item);
    TextBuffer text;
    char* room = text.WritableOfLength(length > 0 ? static_cast<size_t>(length) : 0);
    int got = room ? GetWindowTextA(item, room, length + 1) : 0;
    text.Truncate(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void CDataExchange::Fail(int id, const char* message)
{
    failed_ = true;
    MessageBoxA(dialog_, message, MessageTitle, MB_OK | MB_ICONEXCLAMATION);
    HWND item = GetDlgItem(dialog_, id);
    SetFocus(item);
    SendMessageA(item, EM_SETSEL, 0, -1);
}

void CDataExchange::Check(int id, int& value)
{
    if (failed_)
        return;
    if (save_)
        value = IsDlgButtonChecked(dialog_, id) == BST_CHECKED ? 1 : 0;
    else
        CheckDlgButton(dialog_, id, value ? BST_CHECKED : BST_UNCHECKED);
}

void CDataExchange::Int(int id, int32_t& value)
{
    if (failed_)
        return;
    if (!save_) {
        char text[16];
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
        SetDlgItemTextA(dialog_, id, text);
    } else if (!ParseSignedField(ItemText(id).c_str(), &value)) {
        Fail(id, NeedInteger);
    }
}

void CDataExchange::UInt(int id, uint32_t& value)
{
    if (failed_)
        return;
    if (!save_) {
        char text[16];
        std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
        SetDlgItemTextA(dialog_, id, text);
    } else if (!ParseUnsignedField(ItemText(id).c_str(), &value)) {
        Fail(id, NeedPositiveInteger);
    }
}

void CDataExchange::UInt(int id, uint32_t& value, uint32_t most)
{
    UInt(id, value);
    if (failed_ || !save_ || value <= most)
        return;
    char message[64];
    std::snprintf(message, sizeof message, NeedIntegerUpTo, static_cast<unsigned long>(most));
    Fail(id, message);
}

void CDataExchange::Text(int id, TextBuffer& value)
{
    if (failed_)
        return;
    if (save_)
        value = ItemText(id);
    else
        SetDlgItemTextA(dialog_, id, value.c_str());
}

void CDataExchange::ComboText(int id, TextBuffer& value)
{
    if (failed_)
        return;
    HWND combo = GetDlgItem(dialog_, id);
    if (save_) {
        value = ItemText(id);
        return;
    }
    if (SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.c_str())) ==
        CB_ERR)
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void CDataExchange::Radio(int firstId, int& value)
{
    if (failed_)
        return;
    HWND button = GetDlgItem(dialog_, firstId);
    if (save_)
        value = -1;
    // The group runs from the first button up to the next control that starts a group.
    for (int index = 0; button; ++index) {
        if (save_) {
            if (SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        button = GetWindow(button, GW_HWNDNEXT);
        if (button && (GetWindowLongA(button, GWL_STYLE) & WS_GROUP))
            break;
    }
}
