#include "FileDialog.h"

namespace {

// Owns a library reference taken with LoadLibrary.
class Library {
public:
    explicit Library(const char* name) : module_(LoadLibraryA(name)) {}
    ~Library()
    {
        if (module_)
            FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    FARPROC Find(const char* name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }

private:
    HMODULE module_;
};

}  // namespace

bool ShowOpenFileDialog(OPENFILENAMEA& open)
{
    Library dialogs("comdlg32.dll");
    typedef BOOL(WINAPI * OpenFileProc)(LPOPENFILENAMEA);
    auto show = reinterpret_cast<OpenFileProc>(reinterpret_cast<void*>(dialogs.Find("GetOpenFileNameA")));
    // The dialog moves the process's current directory to the folder the user chose, and the
    // open form does so whatever its flags say. The directory is the host's: it goes back.
    wchar_t current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    bool chosen = show && show(&open);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryW(current);
    return chosen;
}
