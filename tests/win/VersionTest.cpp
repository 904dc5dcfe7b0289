// The versions a user sees: the about box and the version resources of both DLLs agree with each
// other and with the version.rc each DLL is built from.
#include "TestSupport.h"
#include "plugin/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

std::string VersionString(const std::string& file, const char* name, VS_FIXEDFILEINFO* fixed = nullptr)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (!size)
        return "";
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data()))
        return "";
    void* root = nullptr;
    UINT length = 0;
    if (fixed && VerQueryValueA(data.data(), "\\", &root, &length) && length >= sizeof *fixed)
        *fixed = *static_cast<VS_FIXEDFILEINFO*>(root);
    char* value = nullptr;
    std::string path = std::string("\\StringFileInfo\\041103a4\\") + name;
    if (!VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "";
    return value;
}

// A VALUE of a version.rc in the sources (UTF-8), as the compiled resource holds it (CP932).
std::string SourceValue(const char* rcFile, const char* name)
{
    std::string source = ReadFileBytes(WinPath(std::string(CHRONEL_SOURCE_DIR) + "/" + rcFile));
    std::string key = std::string("VALUE \"") + name + "\",";
    size_t at = source.find(key);
    size_t open = at == std::string::npos ? at : source.find('"', at + key.size());
    size_t close = open == std::string::npos ? open : source.find('"', open + 1);
    if (close == std::string::npos)
        return "";
    std::string utf8 = source.substr(open + 1, close - open - 1);
    wchar_t wide[256] = L"";
    char cp932[512] = "";
    int count = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 256);
    return count && WideCharToMultiByte(932, 0, wide, -1, cp932, sizeof cp932, nullptr, nullptr) ? cp932 : "";
}

std::string ItemText(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

INT_PTR CALLBACK Passive(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

TEST(VersionTest, AboutBoxAndVersionResourceShowTheSameVersion)
{
    const struct {
        const char* file;
        const char* rcFile;
    } dlls[] = {{"chronel.dll", "plugin/version.rc"}, {"chronset.dll", "setup/version.rc"}};
    std::string versions[2];
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(dlls[i].file);
        const std::string dll = BuildPath(std::string("host/Plugins/") + dlls[i].file);
        VS_FIXEDFILEINFO fixed{};
        versions[i] = VersionString(dll, "FileVersion", &fixed);
        EXPECT_EQ(versions[i], SourceValue(dlls[i].rcFile, "FileVersion"));
        ASSERT_FALSE(versions[i].empty());
        EXPECT_EQ(VersionString(dll, "ProductVersion"), versions[i]);
        // The numeric version is the text's "major.minor".
        EXPECT_EQ(versions[i].rfind(std::to_string(HIWORD(fixed.dwFileVersionMS)) + "." +
                                        std::to_string(LOWORD(fixed.dwFileVersionMS)), 0),
                  0u);
        EXPECT_EQ(VersionString(dll, "OriginalFilename"), dlls[i].file);
        EXPECT_EQ(VersionString(dll, "ProductName"), SourceValue(dlls[i].rcFile, "ProductName"));
    }
    const std::string plugin = BuildPath("host/Plugins/chronel.dll");
    EXPECT_EQ(VersionString(plugin, "ProductName"), VersionString(BuildPath("host/Plugins/chronset.dll"), "ProductName"));

    // As data only: attaching would try to bind a host this test program is not.
    HMODULE image = LoadLibraryExA(plugin.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    HWND about = CreateDialogParamA(image, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, Passive, 0);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ItemText(about, IDT_ABOUT_PLUGIN), "chronel.dll Version " + versions[0]);
    EXPECT_EQ(ItemText(about, IDT_ABOUT_EDITOR), "chronset.dll Version " + versions[1]);
    HWND ok = GetDlgItem(about, IDOK);
    ASSERT_NE(ok, nullptr);
    char caption[32] = "";
    GetWindowTextA(ok, caption, sizeof caption);
    EXPECT_STREQ(caption, "OK");
    DestroyWindow(about);
    FreeLibrary(image);
}

}  // namespace
