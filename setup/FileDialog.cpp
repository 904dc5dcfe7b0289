#include "FileDialog.h"

#include "../common/pure/Owned.h"

bool ShowSaveFileDialog(OPENFILENAMEA& save, DWORD* error)
{
    Library dialogs(LoadLibraryA("comdlg32.dll"));
    typedef BOOL(WINAPI * SaveFileProc)(LPOPENFILENAMEA);
    typedef DWORD(WINAPI * ErrorProc)();
    FARPROC found = dialogs ? GetProcAddress(dialogs.Get(), "GetSaveFileNameA") : nullptr;
    auto show = reinterpret_cast<SaveFileProc>(reinterpret_cast<void*>(found));
    found = dialogs ? GetProcAddress(dialogs.Get(), "CommDlgExtendedError") : nullptr;
    auto failure = reinterpret_cast<ErrorProc>(reinterpret_cast<void*>(found));
    *error = show && failure ? 0 : GetLastError();
    // The dialog may move the process's current directory to the folder the user chose (some
    // versions do so whatever the flags say). The directory is the host's: it goes back.
    wchar_t current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    bool chosen = show && failure && show(&save);
    // A name too long for the buffer ends the dialog as a cancel does; Windows says which.
    if (!chosen && !*error && failure && failure())
        *error = failure() == FNERR_BUFFERTOOSMALL ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_FUNCTION;
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryW(current);
    return chosen;
}
