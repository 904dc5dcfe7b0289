// The user's application-data folder as the plug-in and its editor see it: a folder of the host's
// own, so that a test or the demo never writes into the profile of the user who runs them.
#include "Host.h"
#include "Plugin.h"

#include <shlobj.h>

#include <cstring>

namespace {

std::string AppDataFolder;

HRESULT WINAPI HookSHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path)
{
    if ((folder & ~CSIDL_FLAG_MASK) != CSIDL_APPDATA || AppDataFolder.size() >= MAX_PATH)
        return SHGetFolderPathA(owner, folder, token, flags, path);
    if ((folder & CSIDL_FLAG_CREATE) && !CreateDirectoryA(AppDataFolder.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return HRESULT_FROM_WIN32(GetLastError());
    std::memcpy(path, AppDataFolder.c_str(), AppDataFolder.size() + 1);
    return S_OK;
}

}  // namespace

void SetAppDataFolder(const std::string& folder)
{
    AppDataFolder = folder;
}

const std::string& AppDataFolderPath()
{
    return AppDataFolder;
}

int GiveUserFolders(HMODULE module)
{
    return PatchImport(module, "shell32.dll", "SHGetFolderPathA", reinterpret_cast<void*>(HookSHGetFolderPathA));
}
