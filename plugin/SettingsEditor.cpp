#include "SettingsEditor.h"

#include <cstring>
#include <cwchar>

namespace {

// Wide paths: a folder name need not be representable in the ANSI code page, and a Shift JIS
// trail byte can equal the path separator.
constexpr DWORD PathRoom = 1024;

// Reads the module's file name into path and returns the length of its folder part, the final
// separator included; 0 when the name cannot be read whole.
size_t ModuleFolder(HMODULE module, wchar_t* path)
{
    DWORD length = GetModuleFileNameW(module, path, PathRoom);
    // A name that filled the buffer was cut (and Windows XP leaves it without a terminator).
    if (length == 0 || length >= PathRoom)
        return 0;
    for (size_t i = length; i > 0; --i) {
        if (path[i - 1] == L'\\' || path[i - 1] == L'/')
            return i;
    }
    return 0;
}

HMODULE LoadFromFolder(wchar_t* path, size_t folder, const wchar_t* name)
{
    size_t length = std::wcslen(name);
    if (folder + length >= PathRoom)
        return nullptr;
    std::wmemcpy(path + folder, name, length + 1);
    return LoadLibraryW(path);
}

// The editor's sheet caption, its string 200.
constexpr UINT SheetCaptionString = 200;

struct SheetSearch {
    char caption[256];
    HWND found;
};

BOOL CALLBACK FindSheet(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<SheetSearch*>(param);
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    // Byte for byte: a locale comparison may take another window's caption for the sheet's.
    if (std::strcmp(title, search->caption) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

bool BringEditorSheetForward(HMODULE editor)
{
    SheetSearch search{};
    if (LoadStringA(editor, SheetCaptionString, search.caption, sizeof search.caption) <= 0)
        return false;
    EnumThreadWindows(GetCurrentThreadId(), FindSheet, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return false;
    if (IsIconic(search.found))
        ShowWindow(search.found, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(search.found));
    return true;
}

HMODULE LoadSettingsEditor(HMODULE plugin)
{
    static const wchar_t* const hostPlaces[] = {L"Plugins\\chronset.dll", L"Setup\\chronset.dll", L"chronset.dll"};
    wchar_t path[PathRoom];
    if (size_t folder = ModuleFolder(nullptr, path)) {
        for (const wchar_t* name : hostPlaces) {
            if (HMODULE editor = LoadFromFolder(path, folder, name))
                return editor;
        }
    }
    if (size_t folder = ModuleFolder(plugin, path))
        return LoadFromFolder(path, folder, L"chronset.dll");
    return nullptr;
}
