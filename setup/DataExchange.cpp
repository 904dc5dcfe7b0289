#include "DataExchange.h"

#include "../common/pure/IntegerText.h"

#include <commctrl.h>

#include <cstdio>

namespace {

// Refusals of the number fields, each with the field's name.
const char* const NeedInteger = "「%s」には整数を入力してください。";
const char* const NeedUnsigned = "「%s」には 0 以上の整数を入力してください。";
const char* const NeedIntegerFrom = "「%s」には %ld から %lu までの整数を入力してください。";
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

void CDataExchange::Fail(int id, const char* format, const char* name, long least, unsigned long most)
{
    char message[256];
    std::snprintf(message, sizeof message, format, name, least, most);
    Fail(id, message);
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

void CDataExchange::Int(int id, int32_t& value, const char* name)
{
    if (failed_)
        return;
    if (!save_) {
        char text[16];
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
        SetDlgItemTextA(dialog_, id, text);
    } else if (!ParseSignedField(ItemText(id).c_str(), &value)) {
        Fail(id, NeedInteger, name);
    }
}

void CDataExchange::Int(int id, int32_t& value, const ValueRange& range, const char* name)
{
    const int32_t least = range.least;
    const int32_t most = static_cast<int32_t>(range.most);
    // Read into a copy: a refused number leaves the member as it was.
    int32_t read = value;
    Int(id, read, name);
    if (failed_ || !save_)
        return;
    if (read < least || read > most)
        Fail(id, NeedIntegerFrom, name, least, static_cast<unsigned long>(most));
    else
        value = read;
}

void CDataExchange::UInt(int id, uint32_t& value, const char* name)
{
    if (failed_)
        return;
    if (!save_) {
        char text[16];
        std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
        SetDlgItemTextA(dialog_, id, text);
    } else if (!ParseUnsignedField(ItemText(id).c_str(), &value)) {
        Fail(id, NeedUnsigned, name);
    }
}

void CDataExchange::UInt(int id, uint32_t& value, const ValueRange& range, const char* name)
{
    const uint32_t most = range.most;
    uint32_t read = value;
    UInt(id, read, name);
    if (failed_ || !save_)
        return;
    if (read > most)
        Fail(id, NeedIntegerFrom, name, 0, most);
    else
        value = read;
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
