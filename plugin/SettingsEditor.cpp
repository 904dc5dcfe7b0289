#include "SettingsEditor.h"

#include "../common/pure/SettingsSaved.h"
#include "../common/windows/ThreadWindow.h"
#include "../contract/Quillpost.h"
#include "Globals.h"
#include "ModalLoop.h"
#include "resource.h"

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
    static const wchar_t* const names[] = {L"Plugins\\chronset.dll", L"Setup\\chronset.dll", L"chronset.dll"};
    const wchar_t* name = names[index < 3 ? index : 2];
    size_t folder = ModuleFolder(index < 3 ? nullptr : plugin, path);
    size_t length = std::wcslen(name);
    if (folder == 0 || folder + length >= PathRoom)
        return false;
    std::wmemcpy(path + folder, name, length + 1);
    return true;
}


// The dialog procedure of the window of the system's dialog class: no class of our own to register.
INT_PTR CALLBACK SettingsSavedProc(HWND, UINT message, WPARAM, LPARAM)
{
    if (message != SETTINGS_SAVED_MESSAGE)
        return FALSE;
    if (Loaded.SavedHandler)
        Loaded.SavedHandler();
    return TRUE;
}

}  // namespace

HWND OpenSettingsSavedWindow(HMODULE plugin, void (*onSaved)())
{
    char title[32] = "";
    if (LoadStringA(plugin, IDS_SETTINGS_SAVED_TITLE, title, sizeof title) <= 0)
        return nullptr;
    HWND window = CreateWindowExA(0, WC_DIALOG, title, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, plugin, nullptr);
    if (window) {
        Loaded.SavedHandler = onSaved;
        SetWindowLongPtrA(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&SettingsSavedProc));
    }
    return window;
}

void CloseSettingsSavedWindow(HWND window)
{
    if (window)
        DestroyWindow(window);
    Loaded.SavedHandler = nullptr;
}

bool BringEditorSheetForward(HMODULE editor)
{
    char caption[256];
    if (LoadStringA(editor, SheetCaptionString, caption, sizeof caption) <= 0)
        return false;
    // A sheet that is hidden but not yet gone still counts: no second sheet opens beside it.
    HWND sheet = FindThreadWindow(caption, HiddenWindows::Count);
    if (!sheet)
        return false;
    BringWindowForward(sheet);
    return true;
}

Library LoadSettingsEditor(HMODULE plugin)
{
    wchar_t path[PathRoom];
    for (int index = 0; index < EditorPlaces; ++index) {
        if (!EditorPlace(plugin, index, path))
            continue;
        if (HMODULE editor = LoadLibraryW(path))
            return Library(editor);
    }
    return Library();
}

void ReportEditorNotLoaded(HMODULE plugin, HWND owner, const char* title)
{
    // The lead, then one line per place; a path the ANSI code page cannot show has "?" in it.
    const int room = 256 + EditorPlaces * 2 * PathRoom;
    auto* text = static_cast<char*>(std::malloc(room));
    if (!text)
        return;
    int used = LoadStringA(plugin, IDS_EDITOR_NOT_LOADED, text, 256);
    wchar_t path[PathRoom];
    for (int index = 0; index < EditorPlaces && used > 0; ++index) {
        if (!EditorPlace(plugin, index, path))
            continue;
        // wsprintfA turns the path into the ANSI code page and writes at most 1,024 bytes.
        if (room - used > 1024)
            used += wsprintfA(text + used, "\n%ls", path);
    }
    if (used > 0)
        MessageBoxA(owner, text, title, MB_OK | MB_ICONEXCLAMATION);
    std::free(text);
}

// The editor's status window, one at a time: asked again, the editor brings it forward.
int __stdcall OnStatusMenu(HWND, LPARAM)
{
    ModalLoop loop;
    Library editor = LoadSettingsEditor(PluginModule);
    if (!editor) {
        ReportEditorNotLoaded(PluginModule, MainWindow(Loaded.FolderWindows), "Chronel Plug");
        return 0;
    }
    typedef void(__cdecl * ShowChronelStatusProc)();
    auto show = reinterpret_cast<ShowChronelStatusProc>(
        reinterpret_cast<void*>(GetProcAddress(editor.Get(), "ShowChronelStatus")));
    if (show)
        show();
    return 0;
}
