// The versions a user sees: the about box and the version resource of chronel.dll agree.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

std::string VersionString(const std::string& file, const char* name)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (!size)
        return "";
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data()))
        return "";
    char* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\041103a4\\") + name;
    if (!VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "";
    return value;
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
    const std::string dll = BuildPath("host/Plugins/chronel.dll");
    EXPECT_EQ(VersionString(dll, "FileVersion"), "1.10β");
    EXPECT_EQ(VersionString(dll, "ProductName"), "Chronel Plug");
    const std::string editor = BuildPath("host/Plugins/chronset.dll");
    EXPECT_EQ(VersionString(editor, "FileVersion"), "1.10");
    EXPECT_EQ(VersionString(editor, "OriginalFilename"), "chronset.dll");

    // As data only: attaching would try to bind a host this test program is not.
    HMODULE image = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    HWND about = CreateDialogParamA(image, MAKEINTRESOURCEA(100), nullptr, Passive, 0);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ItemText(about, 1000), "chronel.dll Version 1.10β");
    EXPECT_EQ(ItemText(about, 1001), "chronset.dll Version 1.10");
    HWND ok = GetDlgItem(about, IDOK);
    ASSERT_NE(ok, nullptr);
    char caption[32] = "";
    GetWindowTextA(ok, caption, sizeof caption);
    EXPECT_STREQ(caption, "OK");
    DestroyWindow(about);
    FreeLibrary(image);
}

}  // namespace
