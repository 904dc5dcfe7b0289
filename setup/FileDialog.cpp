#include "FileDialog.h"

#include "common/Owned.h"

bool ShowSaveFileDialog(OPENFILENAMEA& save)
{
    Library dialogs(LoadLibraryA("comdlg32.dll"));
    typedef BOOL(WINAPI * SaveFileProc)(LPOPENFILENAMEA);
    FARPROC found = dialogs ? GetProcAddress(dialogs.Get(), "GetSaveFileNameA") : nullptr;
    auto show = reinterpret_cast<SaveFileProc>(reinterpret_cast<void*>(found));
    // The dialog may move the process's current directory to the folder the user chose (some
    // versions do so whatever the flags say). The directory is the host's: it goes back.
    wchar_t current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    bool chosen = show && show(&save);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryW(current);
    return chosen;
}
