#include "SettingsEditor.h"

#include "../common/SettingsSaved.h"

#include <cstdlib>
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

// The editor's places in the order they are tried: from the folder of the host's executable
// "Plugins\chronset.dll", "Setup\chronset.dll" and "chronset.dll", then beside the plug-in.
constexpr int EditorPlaces = 4;

// The place at index as a full path in path (PathRoom long); false when it cannot be formed.
bool EditorPlace(HMODULE plugin, int index, wchar_t* path)
{
    static const wchar_t* const names[EditorPlaces] = {L"Plugins\\chronset.dll", L"Setup\\chronset.dll",
                                                       L"chronset.dll", L"chronset.dll"};
    size_t folder = ModuleFolder(index < 3 ? nullptr : plugin, path);
    size_t length = std::wcslen(names[index]);
    if (folder == 0 || folder + length >= PathRoom)
        return false;
    std::wmemcpy(path + folder, names[index], length + 1);
    return true;
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

void (*SavedHandler)() = nullptr;

LRESULT CALLBACK SettingsSavedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != SettingsSavedMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    // Each page that saved posted one: the settings are read once.
    MSG more;
    while (PeekMessageA(&more, window, SettingsSavedMessage, SettingsSavedMessage, PM_REMOVE)) {
    }
    if (SavedHandler)
        SavedHandler();
    return 0;
}

}  // namespace

HWND OpenSettingsSavedWindow(HMODULE plugin, void (*onSaved)())
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = SettingsSavedProc;
    windowClass.hInstance = plugin;
    windowClass.lpszClassName = SettingsSavedWindowClass;
    RegisterClassA(&windowClass);
    SavedHandler = onSaved;
    return CreateWindowExA(0, SettingsSavedWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, plugin,
                           nullptr);
}

void CloseSettingsSavedWindow(HMODULE plugin, HWND window)
{
    if (window)
        DestroyWindow(window);
    UnregisterClassA(SettingsSavedWindowClass, plugin);
    SavedHandler = nullptr;
}

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
    wchar_t path[PathRoom];
    for (int index = 0; index < EditorPlaces; ++index) {
        if (!EditorPlace(plugin, index, path))
            continue;
        if (HMODULE editor = LoadLibraryW(path))
            return editor;
    }
    return nullptr;
}

void ReportEditorNotLoaded(HMODULE plugin, HWND owner)
{
    // Wide: the paths need not be representable in the ANSI code page.
    static const wchar_t lead[] = L"設定エディター chronset.dll が見つからないか、読み込めません。\n探した場所:";
    const size_t room = sizeof lead / sizeof lead[0] + EditorPlaces * PathRoom;
    auto* text = static_cast<wchar_t*>(std::malloc(room * sizeof(wchar_t)));
    if (!text)
        return;
    std::wmemcpy(text, lead, sizeof lead / sizeof lead[0]);
    size_t used = sizeof lead / sizeof lead[0] - 1;
    wchar_t path[PathRoom];
    for (int index = 0; index < EditorPlaces; ++index) {
        if (!EditorPlace(plugin, index, path))
            continue;
        size_t length = std::wcslen(path);
        text[used++] = L'\n';
        std::wmemcpy(text + used, path, length + 1);
        used += length;
    }
    MessageBoxW(owner, text, L"chronel", MB_OK | MB_ICONEXCLAMATION);
    std::free(text);
}
