#pragma once
// Moves values between a dialog's controls and plain members, in either direction. Reading
// validates: the first field that fails shows the message, takes the focus, and stops the rest.

#include <windows.h>

#include <cstdint>
#include "../common/pure/TextBuffer.h"
#include "../common/pure/ValueRange.h"

class CDataExchange {
public:
    CDataExchange(HWND dialog, bool save) : dialog_(dialog), save_(save) {}

    bool Saving() const { return save_; }
    bool Failed() const { return failed_; }

    // Check box: 0 empty, 1 ticked.
    void Check(int id, int& value);
    // The number fields. A refusal names the field (name, as its label reads) and asks for what
    // it takes; the typed text stays for the user to mend.
    // Decimal integer with an optional minus sign, blanks and tabs around it.
    void Int(int id, int32_t& value, const char* name);
    // The same, within the range's least and most.
    void Int(int id, int32_t& value, const ValueRange& range, const char* name);
    // The same without a minus sign; shown as its unsigned reading.
    void UInt(int id, uint32_t& value, const char* name);
    // The same, up to the range's most.
    void UInt(int id, uint32_t& value, const ValueRange& range, const char* name);
    void Text(int id, TextBuffer& value);
    // Drop-down list: writing selects the first item beginning with the text (ignoring case),
    // or none; reading gives the current text, empty without a selection.
    void ComboText(int id, TextBuffer& value);
    // Radio group starting at firstId: the index of the ticked button, -1 when none is.
    void Radio(int firstId, int& value);

    // Refuses what was read: shows the message and gives the field the focus.
    void Fail(int id, const char* message);

private:
    // The same with the message made from format, the field's name and its range.
    void Fail(int id, const char* format, const char* name, long least = 0, unsigned long most = 0);
    TextBuffer ItemText(int id) const;

    HWND dialog_;
    bool save_;
    bool failed_ = false;
};
