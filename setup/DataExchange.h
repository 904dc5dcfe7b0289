#pragma once
// Moves values between a dialog's controls and plain members, in either direction. Reading
// validates: the first field that fails shows the message, takes the focus, and stops the rest.

#include <windows.h>

#include <cstdint>
#include "common/TextBuffer.h"

class CDataExchange {
public:
    CDataExchange(HWND dialog, bool save) : dialog_(dialog), save_(save) {}

    bool Saving() const { return save_; }
    bool Failed() const { return failed_; }

    // Check box: 0 empty, 1 ticked.
    void Check(int id, int& value);
    // Decimal integer with an optional minus sign, blanks and tabs around it.
    void Int(int id, int32_t& value);
    // The same without a minus sign; shown as its unsigned reading.
    void UInt(int id, uint32_t& value);
    // The same, from 0 to most: a larger number is refused with the range in the message.
    void UInt(int id, uint32_t& value, uint32_t most);
    void Text(int id, TextBuffer& value);
    // Drop-down list: writing selects the first item beginning with the text (ignoring case),
    // or none; reading gives the current text, empty without a selection.
    void ComboText(int id, TextBuffer& value);
    // Radio group starting at firstId: the index of the ticked button, -1 when none is.
    void Radio(int firstId, int& value);

    // Refuses what was read: shows the message and gives the field the focus.
    void Fail(int id, const char* message);

private:
    TextBuffer ItemText(int id) const;

    HWND dialog_;
    bool save_;
    bool failed_ = false;
};
