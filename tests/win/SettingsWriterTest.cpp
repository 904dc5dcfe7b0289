// Writing the settings back to the registry and the export file, and importing that file again.
#include "../../common/pure/RegeditText.h"
#include "../../common/windows/SettingsStore.h"
#include "../../common/windows/SettingsWriter.h"
#include "TestSupport.h"
#include "tests/unit/FailingRealloc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

const std::string Schedule = std::string(PlugKey) + "\\Schedule\\";

class SettingsWriterTest : public testing_support::ClearedSettingsTest {};

std::vector<std::string> SubKeys(const std::string& path)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

uint32_t Dword(const std::string& path, const char* name)
{
    uint32_t value = 0xdeadbeef;
    EXPECT_TRUE(ReadDword(path, name, &value)) << path << " " << name;
    return value;
}

// A key the registry keeps in memory only. It refuses lasting keys under it, which is how these
// tests make a write fail the way a damaged or full registry would.
void CreateVolatileKey(const std::string& path)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// The names of the files in a folder.
std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// Runs Wine's regedit on a file, silently, and waits for it.
bool ImportWithRegedit(const std::string& path)
{
    std::string command = "regedit.exe /S \"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

TEST_F(SettingsWriterTest, SaveSettingsWritesEveryMainValueAndReadsBackTheSame)
{
    // Every number its own value, negative ones among them; the Server values are not written.
    Settings s;
    LoadSettings(s);
    int32_t next = -3000;
    for (const SettingValue& value : SettingValues) {
        if (value.number)
            s.*value.number = next += 997;
    }
    s.ShortCut = 'K';
    s.SetServer("ntp.example.jp");
    s.Schedule[1].AddEntry(7, 30, 0, 0, 0);  // not written by SaveSettings
    EXPECT_EQ(SaveSettings(s), 1);

    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(ReadValue(PlugKey, "ShortCut", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes.c_str(), std::string("K"));  // Wine's reading adds a terminator that was not written
    ASSERT_TRUE(ReadValue(PlugKey, "SNTPServer", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes.c_str(), std::string("ntp.example.jp"));
    EXPECT_TRUE(SubKeys(Schedule + "Monday").empty());

    Settings back;
    LoadSettings(back);
    for (const SettingValue& value : SettingValues) {
        if (!value.number)
            continue;
        const bool written = value.place == SettingPlace::Plug;
        if (written) {
            EXPECT_EQ(Dword(PlugKey, value.name), static_cast<uint32_t>(s.*value.number)) << value.name;
        }
        EXPECT_EQ(back.*value.number, written ? s.*value.number : value.preset) << value.name;
    }
    EXPECT_EQ(back.ShortCut, 'K');
    ASSERT_NE(back.SNTPServer.Get(), nullptr);
    EXPECT_STREQ(back.SNTPServer.Get(), "ntp.example.jp");
    EXPECT_EQ(back.Schedule[1].Head, nullptr);
}

// With no server text held, an empty text is written: an older text does not survive, and the
// value reads back as no text.
TEST_F(SettingsWriterTest, SaveSettingsWithoutServerTextStoresAnEmptyText)
{
    WriteText(PlugKey, "SNTPServer", "old.example.jp", false);
    Settings s;
    LoadSettings(s);
    s.ClearServer();
    SaveSettings(s);
    DWORD type = 0;
    std::string bytes = "unread";
    ASSERT_TRUE(ReadValue(PlugKey, "SNTPServer", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes.c_str(), std::string());
    Settings back;
    LoadSettings(back);
    EXPECT_EQ(back.SNTPServer.Get(), nullptr);
}

TEST_F(SettingsWriterTest, SaveScheduleReplacesEachDaysEntriesAndWritesTheServerTimes)
{
    WriteDword(Schedule + "Monday\\data0", "Hour", 1);
    WriteDword(Schedule + "Monday\\data1", "Hour", 2);
    WriteDword(Schedule + "Monday\\data2", "Hour", 3);
    WriteDword(Schedule + "Monday\\odd name", "Hour", 4);
    WriteDword(Schedule + "Friday\\data0", "Hour", 5);

    Settings s;
    LoadSettings(s);
    s.Schedule[1].Clear();
    s.Schedule[1].AddEntry(12, 0, 1, 1, 0);
    s.Schedule[1].AddEntry(6, 45, 0, 0, 1);
    s.Schedule[5].Clear();  // an emptied day keeps its (empty) key
    s.Connect = 1;
    s.ConnectHour = 6;
    s.ConnectMinute = 59;
    s.DisConnectMinute = 5;
    EXPECT_EQ(SaveSchedule(s), 1);

    EXPECT_EQ(SubKeys(Schedule + "Monday"), (std::vector<std::string>{"data0", "data1"}));
    EXPECT_EQ(Dword(Schedule + "Monday\\data0", "Hour"), 6u);
    EXPECT_EQ(Dword(Schedule + "Monday\\data0", "Minute"), 45u);
    EXPECT_EQ(Dword(Schedule + "Monday\\data0", "SNTP"), 1u);
    EXPECT_EQ(Dword(Schedule + "Monday\\data1", "Hour"), 12u);
    EXPECT_EQ(Dword(Schedule + "Monday\\data1", "EveryDay"), 1u);
    EXPECT_EQ(Dword(Schedule + "Monday\\data1", "Around"), 1u);
    EXPECT_TRUE(KeyExists(Schedule + "Friday"));
    EXPECT_TRUE(SubKeys(Schedule + "Friday").empty());
    const std::string server = std::string(PlugKey) + "\\Server";
    EXPECT_EQ(Dword(server, "Connect"), 1u);
    EXPECT_EQ(Dword(server, "ConnectHour"), 6u);
    EXPECT_EQ(Dword(server, "ConnectMinute"), 59u);
    EXPECT_EQ(Dword(server, "DisConnect"), 0u);
    EXPECT_EQ(Dword(server, "DisConnectHour"), 0xffffffffu);
    EXPECT_EQ(Dword(server, "DisConnectMinute"), 5u);
}

// A surplus entry that has a subkey of its own (made by hand) goes with everything under it: left
// in place it stayed an entry that chronel ran, although the user had deleted it.
TEST_F(SettingsWriterTest, SaveDayRemovesASurplusEntryWithSubkeysOfItsOwn)
{
    WriteDword(Schedule + "Tuesday\\data2", "Hour", 7);
    WriteDword(Schedule + "Tuesday\\data2\\child\\grandchild", "x", 1);
    WriteDword(Schedule + "Tuesday\\aaa\\child", "x", 1);
    WriteDword(Schedule + "Tuesday\\data0", "Hour", 1);
    WriteDword(Schedule + "Tuesday\\zzz", "Hour", 2);
    ScheduleList list;
    list.AddEntry(8, 0, 0, 0, 0);
    list.AddEntry(9, 0, 0, 0, 0);
    EXPECT_EQ(SaveDay(list, "Tuesday"), 1);
    EXPECT_EQ(SubKeys(Schedule + "Tuesday"), (std::vector<std::string>{"data0", "data1"}));
    EXPECT_EQ(Dword(Schedule + "Tuesday\\data0", "Hour"), 8u);
    EXPECT_EQ(Dword(Schedule + "Tuesday\\data1", "Hour"), 9u);
    ScheduleList back;
    LoadDay(back, "Tuesday");
    EXPECT_EQ(back.Count(), 2);
}

// A day whose entries cannot all be stored is left as it was stored, and the failure is reported.
// The key of every entry is had before anything is written: written over one by one, the old
// entries would be lost to the first new ones, and an entry the user had kept could be gone from
// the store (Monday holding 09:00 and 10:00, with 08:00 added, 08:00 and 09:00 would take the two
// keys and the third could not be made). Deleting the day's entries first would leave the day
// empty on a failing registry, reported as success.
TEST_F(SettingsWriterTest, ADayThatCannotBeStoredWholeStaysAsItWasStored)
{
    WriteDword(Schedule + "Friday\\data0", "Hour", 1);  // the Schedule key, lasting
    CreateVolatileKey(Schedule + "Monday");
    CreateVolatileKey(Schedule + "Monday\\data0");
    CreateVolatileKey(Schedule + "Monday\\data1");
    CreateVolatileKey(Schedule + "Monday\\zzz");
    WriteDword(Schedule + "Monday\\data0", "Hour", 9);
    WriteDword(Schedule + "Monday\\data0", "Minute", 0);
    WriteDword(Schedule + "Monday\\data1", "Hour", 10);
    WriteDword(Schedule + "Monday\\data1", "Minute", 0);
    WriteDword(Schedule + "Monday\\zzz", "Hour", 4);
    ScheduleList list;
    list.AddEntry(8, 0, 0, 0, 0);
    list.AddEntry(9, 0, 0, 0, 0);
    list.AddEntry(10, 0, 0, 0, 0);
    DWORD error = 0;
    EXPECT_EQ(SaveDay(list, "Monday", &error), 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_EQ(SubKeys(Schedule + "Monday"), (std::vector<std::string>{"data0", "data1", "zzz"}));
    EXPECT_EQ(Dword(Schedule + "Monday\\data0", "Hour"), 9u);
    EXPECT_EQ(Dword(Schedule + "Monday\\data1", "Hour"), 10u);
    EXPECT_EQ(Dword(Schedule + "Monday\\zzz", "Hour"), 4u);

    Settings s;
    LoadSettings(s);
    s.Schedule[1].Clear();
    s.Schedule[1].AddEntry(22, 0, 0, 0, 0);
    s.Schedule[1].AddEntry(23, 0, 0, 0, 0);
    s.Schedule[1].AddEntry(23, 30, 0, 0, 0);
    s.Schedule[5].Clear();
    error = 0;
    EXPECT_EQ(SaveSchedule(s, &error), 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_EQ(Dword(Schedule + "Monday\\data0", "Hour"), 9u);
    // The other days and the Server values are written all the same.
    EXPECT_TRUE(SubKeys(Schedule + "Friday").empty());
    EXPECT_EQ(Dword(std::string(PlugKey) + "\\Server", "ConnectHour"), 0xffffffffu);
}

TEST_F(SettingsWriterTest, SavesReportAKeyThatCannotBeMade)
{
    CreateVolatileKey("Software\\Quor");
    Settings s;
    LoadSettings(s);
    s.Schedule[2].AddEntry(8, 0, 0, 0, 0);
    DWORD error = 0;
    EXPECT_EQ(SaveSettings(s, &error), 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_CHILD_MUST_BE_VOLATILE));
    error = 0;
    EXPECT_EQ(SaveSchedule(s, &error), 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_EQ(SaveDay(s.Schedule[2], "Tuesday"), 0);
}

// Old entry keys written over end up as freshly made ones: the five values alone, and every other
// subkey gone. Names compare in any letter case, as the registry's do.
TEST_F(SettingsWriterTest, SaveDayOverOldEntriesLeavesWhatAFreshSaveWould)
{
    WriteDword(Schedule + "Sunday\\data0", "Hour", 1);
    WriteText(Schedule + "Sunday\\data0", "Note", "kept by hand", true);
    WriteDword(Schedule + "Sunday\\DATA1", "Hour", 2);
    WriteDword(Schedule + "Sunday\\data2", "Hour", 3);
    WriteDword(Schedule + "Sunday\\data01", "Hour", 4);
    ScheduleList list;
    list.AddEntry(8, 0, 1, 0, 0);
    list.AddEntry(9, 0, 0, 1, 1);
    DWORD error = 1;
    EXPECT_EQ(SaveDay(list, "Sunday", &error), 1);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(SubKeys(Schedule + "Sunday"), (std::vector<std::string>{"data0", "DATA1"}));
    DWORD type = 0;
    std::string bytes;
    EXPECT_FALSE(ReadValue(Schedule + "Sunday\\data0", "Note", &type, &bytes));
    EXPECT_EQ(Dword(Schedule + "Sunday\\data0", "Hour"), 8u);
    EXPECT_EQ(Dword(Schedule + "Sunday\\data0", "EveryDay"), 1u);
    EXPECT_EQ(Dword(Schedule + "Sunday\\DATA1", "Hour"), 9u);
    EXPECT_EQ(Dword(Schedule + "Sunday\\DATA1", "SNTP"), 1u);
}

TEST_F(SettingsWriterTest, ExportWritesTheTextAndReplacesAnOldFile)
{
    TempDir dir("export");
    std::string path = dir / "chronel.reg";
    WriteFileBytes(path, std::string(50000, 'o'));
    Settings s;
    LoadSettings(s);
    s.SetServer("ntp.example.jp");
    s.Schedule[1].AddEntry(7, 30, 0, 1, 0);
    ExportSettings(s, path.c_str());
    std::string file = ReadFileBytes(path);
    EXPECT_EQ(file, BuildRegeditText(s).c_str());
    EXPECT_EQ(file.compare(0, 10, "REGEDIT4\n\n"), 0);
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Quor\\ChronelPlug\\Schedule\\Monday\\data0]\n"
                        "\"Hour\"=dword:00000007\n\"Minute\"=dword:0000001e\n\"EveryDay\"=dword:00000000\n"
                        "\"Around\"=dword:00000001\n\"SNTP\"=dword:00000000\n\n"),
              std::string::npos)
        << file;
}

TEST_F(SettingsWriterTest, ExportToAFolderThatDoesNotExistCreatesNothing)
{
    TempDir dir("export");
    std::string path = dir / "missing\\chronel.reg";
    Settings s;
    LoadSettings(s);
    DWORD error = 0;
    EXPECT_EQ(ExportSettings(s, path.c_str(), &error), 0);
    EXPECT_NE(error, 0u);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// An export that fails leaves an older file as it was and nothing beside it: when the file is
// held open by another program, and when memory runs out while the text is built (the file used
// to be emptied before the text was made).
TEST_F(SettingsWriterTest, AFailedExportLeavesTheOldFileAsItWas)
{
    TempDir dir("export");
    std::string path = dir / "chronel.reg";
    ASSERT_TRUE(WriteFileBytes(path, "REGEDIT4\n\nold export\n"));
    Settings s;
    LoadSettings(s);
    s.Schedule[1].AddEntry(7, 30, 0, 1, 0);
    {
        HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        DWORD error = 0;
        EXPECT_EQ(ExportSettings(s, path.c_str(), &error), 0);
        EXPECT_NE(error, 0u);
        CloseHandle(held);
    }
    EXPECT_EQ(ReadFileBytes(path), "REGEDIT4\n\nold export\n");
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"chronel.reg"}));

    failing_realloc::Arm(5);
    DWORD error = 0;
    int exported = ExportSettings(s, path.c_str(), &error);
    failing_realloc::Arm(-1);
    EXPECT_EQ(exported, 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(ReadFileBytes(path), "REGEDIT4\n\nold export\n");
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"chronel.reg"}));

    // Once it can, the export takes the old file's place.
    EXPECT_EQ(ExportSettings(s, path.c_str()), 1);
    EXPECT_EQ(ReadFileBytes(path), BuildRegeditText(s).c_str());
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"chronel.reg"}));
}

// The file goes through the registry editor: every value comes back as it was exported,
// including a server text with backslash, quotation mark and a double-byte character.
TEST_F(SettingsWriterTest, ExportedFileImportsBackWithRegedit)
{
    Settings s;
    LoadSettings(s);
    s.AutoStart = 1;
    s.ShortCut = 'Q';
    s.UseReserve = 1;
    s.PreSec = 600;
    s.ReserveMark = 3;
    s.SetServer("ntp\\\"表\"x");
    s.TimeOut = -1;
    s.Schedule[1].AddEntry(7, 30, 0, 1, 0);
    s.Schedule[6].AddEntry(23, 59, 1, 0, 1);
    s.Schedule[6].AddEntry(-1, 5, 0, 0, 0);
    s.Connect = 1;
    s.ConnectHour = 6;
    s.ConnectMinute = 0;

    TempDir dir("import");
    std::string path = dir / "chronel.reg";
    ASSERT_EQ(ExportSettings(s, path.c_str()), 1);
    ClearSettings();
    ASSERT_TRUE(ImportWithRegedit(path));

    Settings back;
    LoadSettings(back);
    EXPECT_EQ(back.AutoStart, 1);
    EXPECT_EQ(back.ShortCut, 'Q');  // stored with its terminator; its first character is read
    EXPECT_EQ(back.UseReserve, 1);
    EXPECT_EQ(back.PreSec, 600);
    EXPECT_EQ(back.ReserveMark, 3);
    ASSERT_NE(back.SNTPServer.Get(), nullptr);
    EXPECT_EQ(std::string(back.SNTPServer.Get()), std::string("ntp\\\"表\"x"));
    EXPECT_EQ(back.TimeOut, -1);
    EXPECT_EQ(back.Accuracy, 200);
    EXPECT_EQ(back.ConnectHour, 6);
    EXPECT_EQ(back.ConnectMinute, 0);
    EXPECT_EQ(back.DisConnectHour, -1);
    ASSERT_NE(back.Schedule[1].Head, nullptr);
    EXPECT_EQ(back.Schedule[1].Head->Hour, 7);
    EXPECT_EQ(back.Schedule[1].Head->Minute, 30);
    EXPECT_EQ(back.Schedule[1].Head->Around, 1);
    EXPECT_EQ(back.Schedule[6].Count(), 2);
    EXPECT_EQ(back.Schedule[6].Head->Hour, -1);
    EXPECT_EQ(back.Schedule[6].Head->Next->SNTP, 1);
    EXPECT_EQ(back.Schedule[6].Head->Next->EveryDay, 1);
    for (int day : {0, 2, 3, 4, 5})
        EXPECT_EQ(back.Schedule[day].Head, nullptr) << day;
}

}  // namespace
