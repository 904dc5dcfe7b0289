#include "FileDialog.h"

#include "common/Owned.h"

bool ShowOpenFileDialog(OPENFILENAMEA& open)
{
    Library dialogs(LoadLibraryA("comdlg32.dll"));
    typedef BOOL(WINAPI * OpenFileProc)(LPOPENFILENAMEA);
    FARPROC found = dialogs ? GetProcAddress(dialogs.Get(), "GetOpenFileNameA") : nullptr;
    auto show = reinterpret_cast<OpenFileProc>(reinterpret_cast<void*>(found));
    return show && show(&open);
}
