#pragma once
// Helpers shared by the tests that run under Wine.

#include "hostsim/TimeText.h"  // SystemTimeOf, MillisecondsOf, ParseDateAndTime

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A Unix path of the build as Wine sees it (Z:\...).
std::string WinPath(const std::string& unixPath);
// A path under the build directory, e.g. BuildPath("host/Plugins/chronel.dll").
std::string BuildPath(const std::string& relative);
// A path under the i686 build, whose DLLs are the ones users get: what is read of the shipped
// image is read there, whichever build runs the tests.
std::string ShippedBuildPath(const std::string& relative);

constexpr const char* PlugKey = "Software\\Quor\\ChronelPlug";

// Removes HKCU\Software\Quor with everything under it.
void ClearSettings();

// A test that starts and ends with no stored settings.
class ClearedSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }
};
bool KeyExists(const std::string& path);
bool ReadDword(const std::string& path, const char* name, uint32_t* value);
bool ReadValue(const std::string& path, const char* name, DWORD* type, std::string* bytes);
void WriteValue(const std::string& path, const char* name, DWORD type, const void* data, DWORD size);
void WriteDword(const std::string& path, const char* name, uint32_t value);
void WriteText(const std::string& path, const char* name, const std::string& text, bool withTerminator);

// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The names of the files and folders in a folder (without "." and ".."), sorted.
std::vector<std::string> FilesIn(const std::string& dir);

// A fresh, empty directory under the system's temporary folder; removed by the destructor.
class TempDir {
public:
    explicit TempDir(const char* prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Waits up to timeoutMs for a visible top-level window with this title (CP932 bytes), pumping
// messages.
HWND WaitForWindow(const char* title, DWORD timeoutMs);
// Waits up to timeoutMs for a window (of any thread or process) to be destroyed.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);
// The text of the dialog's first static control that has text other than the icon.
std::string DialogStaticText(HWND dialog);
// The system's text for an error, as a message shows it (no closing line break).
std::string SystemText(DWORD error);

// A control's place in chronset.dll's DIALOGEX template dialogId, in dialog units (left, top,
// width, height); all zero when the template has no such control.
RECT TemplatePlace(int dialogId, int controlId);

}  // namespace testing_support
