#include "FileDialog.h"

#include "common/Owned.h"

bool ShowOpenFileDialog(OPENFILENAMEA& open)
{
    Library dialogs(LoadLibraryA("comdlg32.dll"));
    typedef BOOL(WINAPI * OpenFileProc)(LPOPENFILENAMEA);
    FARPROC found = dialogs ? GetProcAddress(dialogs.Get(), "GetOpenFileNameA") : nullptr;
    auto show = reinterpret_cast<OpenFileProc>(reinterpret_cast<void*>(found));
    // The dialog moves the process's current directory to the folder the user chose, and the
    // open form does so whatever its flags say. The directory is the host's: it goes back.
    wchar_t current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    bool chosen = show && show(&open);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryW(current);
    return chosen;
}
