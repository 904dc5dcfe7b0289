// chronel.dll and chronset.dll as shipped (the i686 build, whichever build runs this test): PE32 i386 libraries with exactly their entry points,
// importing only what Windows XP SP3 has, without the C++ runtime, and reading the clock only
// through kernel32.
#include "PeImage.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace testing_support;

namespace {

const char* const ShippedDlls[] = {"chronel", "chronset"};

PeImage Shipped(const std::string& name)
{
    return PeImage::Read(ReadFileBytes(ShippedBuildPath("host/Plugins/" + name + ".dll")));
}

// Every function the two DLLs import, each checked to exist on Windows XP SP3 (32-bit, and so
// also under WOW64). A new import fails the suite until it is checked and added here.
const std::map<std::string, std::set<std::string>> XpSp3Functions = {
    {"kernel32.dll",
     {"CloseHandle", "CopyFileA", "CreateDirectoryA", "CreateEventA", "CreateFileA", "CreateMutexA", "CreateThread",
      "DeleteCriticalSection", "DeleteFileA", "DisableThreadLibraryCalls", "EnterCriticalSection",
      "FileTimeToSystemTime", "FindClose", "FindFirstFileA", "FindNextFileA", "FlushFileBuffers", "FormatMessageA",
      "FreeLibrary", "FreeLibraryAndExitThread", "GetCurrentDirectoryW", "GetCurrentProcessId", "GetCurrentThreadId",
      "GetFileAttributesA", "GetFileAttributesExA", "GetFileSizeEx", "GetFullPathNameA", "GetLongPathNameA", "GetLastError", "GetLocalTime", "GetModuleFileNameW", "GetModuleHandleA",
      "GetModuleHandleExA", "GetModuleHandleW", "GetProcAddress", "GetSystemTimeAsFileTime", "GetTempFileNameA",
      "GetTempPathA", "GetTickCount", "InitializeCriticalSection", "LeaveCriticalSection",
      "IsDBCSLeadByte", "LoadLibraryA", "LoadLibraryW", "LocalFree", "lstrcmpiA", "MoveFileExA", "OpenMutexA",
      "QueryPerformanceCounter", "ReadFile", "ReleaseMutex", "SetCurrentDirectoryW", "SetEndOfFile", "SetEvent",
      "SetFilePointerEx", "SetSystemTime", "Sleep", "SystemTimeToTzSpecificLocalTime",
      "TzSpecificLocalTimeToSystemTime", "VirtualProtect", "VirtualQuery", "WaitForSingleObject", "WideCharToMultiByte", "WriteFile"}},
    {"shell32.dll", {"SHGetFolderPathA", "ShellExecuteA"}},
    {"ole32.dll", {"CoInitializeEx", "CoUninitialize"}},
    {"user32.dll",
     {"AppendMenuA", "CallWindowProcA", "CharNextA", "CharUpperBuffA", "CheckDlgButton", "CreateWindowExA",
      "DefWindowProcA", "DestroyIcon", "DestroyWindow", "DialogBoxParamA", "EnableWindow", "EndDialog", "GetClassNameA",
      "GetWindowThreadProcessId", "KillTimer", "MessageBoxW", "PeekMessageA", "RegisterClassA", "SetTimer",
      "UnregisterClassA",
      "EnumThreadWindows", "EnumWindows", "FindWindowA", "FindWindowExA", "GetClientRect", "GetDlgItem",
      "GetDlgItemTextA", "GetFocus", "GetLastActivePopup", "GetMenu", "GetMenuStringA", "GetParent", "GetSubMenu",
      "GetSystemMetrics", "GetWindow", "GetWindowLongA", "GetWindowPlacement", "GetWindowTextA",
      "GetWindowTextLengthA", "InsertMenuA", "IsDlgButtonChecked", "IsIconic", "IsWindow", "IsWindowVisible",
      "LoadImageA", "LoadStringA", "MessageBoxA", "ModifyMenuA", "PostMessageA", "SendDlgItemMessageA",
      "SendMessageA", "SetDlgItemTextA", "SetFocus", "SetForegroundWindow", "SetWindowLongA", "SetWindowPlacement",
      "ShowWindow", "wsprintfA"}},
    {"advapi32.dll",  // SystemFunction036 is RtlGenRandom
     {"RegCloseKey", "RegCreateKeyExA", "RegDeleteKeyA", "RegDeleteValueA", "RegEnumKeyExA", "RegEnumValueA",
      "RegOpenKeyExA", "RegQueryInfoKeyA", "RegQueryValueExA", "RegSetValueExA", "SystemFunction036"}},
    {"comctl32.dll",
     {"CreatePropertySheetPageA", "DestroyPropertySheetPage", "ImageList_Create", "ImageList_Destroy",
      "ImageList_GetIcon", "ImageList_ReplaceIcon", "InitCommonControlsEx", "PropertySheetA"}},
    {"ws2_32.dll",
     {"__WSAFDIsSet", "bind", "closesocket", "gethostbyname", "htonl", "htons", "inet_addr", "recvfrom", "select",
      "sendto", "socket", "WSACleanup", "WSAGetLastError", "WSAStartup"}},
    {"msvcrt.dll",
     {"_amsg_exit", "_errno", "_initterm", "_iob", "_lock", "_unlock", "_vsnprintf", "abort", "calloc", "free",
      "fwrite", "malloc", "memcpy", "memmove", "memset", "realloc", "strchr", "strcmp", "strlen", "strncmp",
      "strncpy", "strrchr", "vfprintf", "vsprintf", "wcslen"}},
};

TEST(PluginImageTest, ExportsExactlyTheEntryPointsAtTheirOrdinals)
{
    PeImage image = Shipped("chronel");
    ASSERT_TRUE(image.valid);
    EXPECT_EQ(image.machine, 0x14c);  // i386
    EXPECT_EQ(image.magic, 0x10b);    // PE32
    const std::map<uint32_t, std::string> expected = {
        {1, "APCGetPlugName"},         {2, "APCVersionInfo"},   {3, "APCStartUp"},
        {4, "APCCleanUp"},             {5, "APCSetup"},         {6, "APCRecFilter"},
        {100, "APCFolderCreate"},      {101, "APCFolderClose"}, {102, "APCFolderInitMenu"},
        {103, "APCFolderLoad"},        {104, "APCFolderEndRetrieve"}, {300, "APCSendCreate"},
        {301, "APCSendClose"},         {302, "APCSendInitMenu"}, {303, "APCSendPost"},
    };
    EXPECT_EQ(image.exports, expected);
}

TEST(PluginImageTest, BothDllsImportOnlyWhatWindowsXpHas)
{
    for (const char* name : ShippedDlls) {
        SCOPED_TRACE(name);
        PeImage image = Shipped(name);
        ASSERT_TRUE(image.valid);
        EXPECT_EQ(image.machine, 0x14c);
        EXPECT_EQ(image.magic, 0x10b);
        // XP is Windows 5.1: a header asking for more is refused by its loader.
        EXPECT_LE(image.majorOsVersion * 100 + image.minorOsVersion, 501);
        EXPECT_LE(image.majorSubsystemVersion * 100 + image.minorSubsystemVersion, 501);
        for (const auto& [dll, functions] : image.imports) {
            auto known = XpSp3Functions.find(dll);
            ASSERT_NE(known, XpSp3Functions.end()) << "imports from " << dll;
            for (const std::string& function : functions)
                EXPECT_TRUE(known->second.count(function)) << dll << "!" << function << " is not known to exist on XP SP3";
        }
    }
}

// No code of the C++ runtime: its exception support installs a process-wide exception handler
// and a TLS callback in the host, imports functions XP lacks, leaves handles and memory behind
// at every unload and ends the host when an allocation fails. Nor any thread-local storage
// directory: the loader would call into the DLL at every thread's start and end.
TEST(PluginImageTest, NeitherDllCarriesTheCxxRuntimeOrThreadLocalStorage)
{
    for (const char* name : ShippedDlls) {
        SCOPED_TRACE(name);
        PeImage image = Shipped(name);
        ASSERT_TRUE(image.valid);
        EXPECT_EQ(image.tlsRva, 0u);
        EXPECT_EQ(image.tlsSize, 0u);
        std::string map = ReadFileBytes(ShippedBuildPath("maps/" + std::string(name) + ".map"));
        ASSERT_FALSE(map.empty()) << "no link map";
        for (const char* runtime : {"libstdc++.a(", "libsupc++.a(", "libgcc_eh.a(", "libwinpthread.a(", "libpthread.a("}) {
            size_t at = map.find(runtime);
            EXPECT_EQ(at, std::string::npos)
                << map.substr(at == std::string::npos ? 0 : at, 200)
                << "\n(new (std::nothrow) names the library's object: use new (NoThrow) from common/Allocation.h)";
        }
    }
}

// ld's PE script places the static constructor list behind the last code section without
// aligning it; padding between the list's first word and the constructors makes the start-up
// code call into the padding, and the DLL fails to load. Checked in the link maps of both
// compilers' builds (clang's when scripts/build-clang.sh has made it).
TEST(PluginImageTest, TheStaticConstructorListIsAligned)
{
    for (const char* build : {"maps/", "../clang/maps/"}) {
        for (const char* name : ShippedDlls) {
            std::string map = ReadFileBytes(ShippedBuildPath(build + std::string(name) + ".map"));
            if (map.empty() && std::string(build) != "maps/")
                continue;
            SCOPED_TRACE(build + std::string(name));
            ASSERT_FALSE(map.empty()) << "no link map";
            size_t list = map.find("___CTOR_LIST__ = .");
            ASSERT_NE(list, std::string::npos);
            size_t lineStart = map.rfind('\n', list) + 1;
            unsigned long address = std::stoul(map.substr(lineStart, list - lineStart), nullptr, 16);
            size_t end = map.find("LONG 0x0", list);
            bool constructors = map.substr(list, end - list).find("\n .ctors") != std::string::npos;
            EXPECT_TRUE(!constructors || address % 4 == 0) << std::hex << address;
        }
    }
}

// The C library reads the zone once, at its start: after the user changes the zone it converts
// with the old one. Local times come from kernel32's zone functions.
TEST(PluginImageTest, ReadsTheClockAndTheZoneOnlyThroughKernel32)
{
    PeImage image = Shipped("chronel");
    ASSERT_TRUE(image.valid);
    const auto& crt = image.imports["msvcrt.dll"];
    for (const char* clock : {"time", "_time32", "_time64", "_ftime", "_ftime32", "_ftime64", "clock", "localtime",
                              "_localtime32", "_localtime64", "mktime", "_mktime32", "_mktime64", "_tzset",
                              "strftime", "gmtime", "_gmtime32"})
        EXPECT_EQ(std::count(crt.begin(), crt.end(), clock), 0) << clock;
    // The clock the host substitutes is read and set through kernel32, set in UTC: a local time
    // names the wrong pass of a repeated autumn hour.
    const auto& kernel = image.imports["kernel32.dll"];
    EXPECT_EQ(std::count(kernel.begin(), kernel.end(), "GetLocalTime"), 1);
    EXPECT_EQ(std::count(kernel.begin(), kernel.end(), "SetSystemTime"), 1);
    EXPECT_EQ(std::count(kernel.begin(), kernel.end(), "SetLocalTime"), 0);
}

}  // namespace
