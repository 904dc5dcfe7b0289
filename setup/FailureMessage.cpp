#include "FailureMessage.h"

#include "../common/pure/TextBuffer.h"

#include <cstdio>

namespace {

// The system's text for error in the user's language, without its closing line break.
TextBuffer SystemText(DWORD error)
{
    TextBuffer text;
    char* message = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, error, 0, reinterpret_cast<char*>(&message), 0, nullptr);
    if (length && message) {
        while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n'))
            --length;
        text.Append(message, length);
    }
    if (message)
        LocalFree(message);
    if (text.empty()) {
        char code[40];
        std::snprintf(code, sizeof code, "エラー %lu", static_cast<unsigned long>(error));
        text.Assign(code);
    }
    return text;
}

}  // namespace

void ShowFailure(HWND owner, const char* title, const char* what, const char* detail, DWORD error)
{
    TextBuffer text(what);
    if (detail && *detail) {
        text += '\n';
        text += detail;
    }
    text += "\n\n";
    text += SystemText(error);
    MessageBoxA(IsWindow(owner) ? owner : nullptr, text.Failed() ? what : text.c_str(), title,
                MB_OK | MB_ICONEXCLAMATION);
}
