// Header text from the host or a message file: finding, setting and removing the reservation,
// encoded words decoded for the status window, and the subject the log names a message by.
#include "../../common/pure/HeaderText.h"
#include "../../common/pure/HeaderWords.h"
#include "../../common/pure/ShiftJis.h"

#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string header(reinterpret_cast<const char*>(data), size);
    const char* text = header.c_str();  // stops at the first NUL, as the host's text would
    int32_t found = FindReserveDate(text);
    std::vector<char> out(std::strlen(text) + ReserveLineRoom);
    int32_t time = size >= 4 ? static_cast<int32_t>(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24) : found;
    SetReserveDate(text, out.data(), time);
    if (FindReserveDate(out.data()) != time)
        __builtin_trap();
    char shown[64];
    DecodeHeaderWords(text, shown, size % sizeof shown + 1);
    if (std::strlen(shown) > size % sizeof shown)
        __builtin_trap();
    SetReserveDate(text, out.data(), -1);
    if (std::strlen(out.data()) > std::strlen(text) || FindReserveDate(out.data()) != -1)
        __builtin_trap();
    // The log's subject: one line of whole characters.
    char subject[LogSubjectSize];
    FindLogSubject(text, subject);
    for (const char* c = subject; *c; ++c) {
        if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F || (IsShiftJisLeadByte(*c) && !*++c))
            __builtin_trap();
    }
    return 0;
}
