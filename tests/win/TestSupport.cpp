#include "TestSupport.h"

#include <algorithm>

#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace testing_support {

std::string WinPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string BuildPath(const std::string& relative)
{
    return WinPath(std::string(CHRONEL_BUILD_DIR) + "/" + relative);
}

std::string ShippedBuildPath(const std::string& relative)
{
    return WinPath(std::string(CHRONEL_I686_BUILD_DIR) + "/" + relative);
}

void ClearSettings()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quor");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quor");
}

bool KeyExists(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ReadValue(const std::string& path, const char* name, DWORD* type, std::string* bytes)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        bytes->assign(size, '\0');
        status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&(*bytes)[0]), &size);
        bytes->resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool ReadDword(const std::string& path, const char* name, uint32_t* value)
{
    DWORD type = 0;
    std::string bytes;
    if (!ReadValue(path, name, &type, &bytes) || type != REG_DWORD || bytes.size() != 4)
        return false;
    std::memcpy(value, bytes.data(), 4);
    return true;
}

void WriteValue(const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void WriteDword(const std::string& path, const char* name, uint32_t value)
{
    WriteValue(path, name, REG_DWORD, &value, 4);
}

void WriteText(const std::string& path, const char* name, const std::string& text, bool withTerminator)
{
    WriteValue(path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + (withTerminator ? 1 : 0)));
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream all;
    all << file.rdbuf();
    return all.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

static void RemoveTree(const std::string& path)
{
    std::string from = path + '\0';  // double terminated for SHFileOperation
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

TempDir::TempDir(const char* prefix)
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    for (unsigned n = GetTickCount();; ++n) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%s%s-%lu-%u", base, prefix, GetCurrentProcessId(), n);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

TempDir::~TempDir()
{
    RemoveTree(path_);
}

HWND WaitForWindow(const char* title, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        // A dialog exists, hidden, before its set-up has run; a test acts on it once it shows.
        HWND window = FindWindowA(nullptr, title);
        if (window && !IsWindowVisible(window))
            window = nullptr;
        if (window || GetTickCount() - start > timeoutMs)
            return window;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

static BOOL CALLBACK FirstStaticText(HWND child, LPARAM param)
{
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0)
        return TRUE;
    char text[1024] = "";
    GetWindowTextA(child, text, sizeof text);
    if (!text[0])
        return TRUE;
    *reinterpret_cast<std::string*>(param) = text;
    return FALSE;
}

std::string DialogStaticText(HWND dialog)
{
    std::string found;
    EnumChildWindows(dialog, FirstStaticText, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string SystemText(DWORD error)
{
    char text[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'))
        text[--length] = '\0';
    return text;
}

RECT TemplatePlace(int dialogId, int controlId)
{
    HMODULE editor = GetModuleHandleA("chronset.dll");
    const char* const dialogType = MAKEINTRESOURCEA(5);  // RT_DIALOG
    HRSRC found = editor ? FindResourceA(editor, MAKEINTRESOURCEA(dialogId), dialogType) : nullptr;
    const WORD* at = found ? static_cast<const WORD*>(LockResource(LoadResource(editor, found))) : nullptr;
    if (!at || at[1] != 0xFFFF)  // not a DIALOGEX
        return {};
    // A name or an ordinal: 0xFFFF and a number, or a string up to its zero.
    auto skipNameOrOrdinal = [](const WORD* text) {
        if (*text == 0xFFFF)
            return text + 2;
        while (*text++) {
        }
        return text;
    };
    DWORD style = *reinterpret_cast<const DWORD*>(at + 6);
    WORD items = at[8];
    at = skipNameOrOrdinal(skipNameOrOrdinal(at + 13));  // the menu and the class
    at = skipNameOrOrdinal(at);                          // the caption
    if (style & DS_SETFONT)
        at = skipNameOrOrdinal(at + 3);  // size, weight, italic and charset, then the face
    for (WORD i = 0; i < items; ++i) {
        at = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(at) + 3) & ~UINT_PTR{3});
        const short* place = reinterpret_cast<const short*>(at + 6);
        if (*reinterpret_cast<const DWORD*>(at + 10) == static_cast<DWORD>(controlId))
            return {place[0], place[1], place[2], place[3]};
        at = skipNameOrOrdinal(skipNameOrOrdinal(at + 12));  // the class and the text
        at = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(at + 1) + *at);
    }
    return {};
}

}  // namespace testing_support
