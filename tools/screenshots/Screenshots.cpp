// Renders the editor's four pages, the schedule detail dialog and chronel's dialogs to BMP files
// for scripts/screenshots.sh. Not a test: a person looks at the pictures.
#include "../ScreenCapture.h"
#include "EditorSession.h"
#include "TestSupport.h"
#include "../../common/windows/SntpStatus.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>

using namespace testing_support;

namespace {

void Pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(20);
    }
}

// The window, painted anew and without its caret, as a BMP file.
bool Capture(HWND window, const std::string& path)
{
    if (!window)
        return false;
    SetForegroundWindow(window);
    // A blinking caret in the focused field would make two pictures of the same window differ
    // (the release zip's picture is compared byte for byte); this thread's caret is hidden.
    if (HWND focus = GetFocus())
        HideCaret(focus);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(700);
    std::printf("%s\n", path.c_str());
    return WriteWindowBitmap(window, path);
}

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// A dialog template of chronel.dll, shown modeless with no behaviour of its own.
void CaptureChronelDialog(HMODULE chronel, int id, const std::string& path)
{
    if (!FindResourceA(chronel, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5))) {
        std::printf("chronel.dll has no dialog %d: skipped\n", id);
        return;
    }
    HWND dialog = CreateDialogParamA(chronel, MAKEINTRESOURCEA(id), nullptr, PlainDialog, 0);
    if (!dialog)
        return;
    if (id == 101) {
        // The reservation dialog as a user sees it while reserving: 24 December 2026, 18:30, with
        // the moment in words under the fields (as wide as it gets).
        const int fields[] = {1003, 1005, 1007, 1009, 1011, 1013};
        const char* const values[] = {"2026", "12", "24", "18", "30", "2026年12月24日(木) 18:30"};
        for (int i = 0; i < 6; ++i)
            SetDlgItemTextA(dialog, fields[i], values[i]);
    }
    ShowWindow(dialog, SW_SHOW);
    Capture(dialog, path);
    DestroyWindow(dialog);
}

void StoreSampleSettings()
{
    ClearSettings();
    const std::string schedule = std::string(PlugKey) + "\\Schedule\\";
    for (const char* day : {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}) {
        WriteDword(schedule + day + "\\data0", "Hour", 12);
        WriteDword(schedule + day + "\\data0", "Minute", 0);
        WriteDword(schedule + day + "\\data0", "EveryDay", 1);
        WriteDword(schedule + day + "\\data1", "Hour", 7);
        WriteDword(schedule + day + "\\data1", "Minute", 30);
        WriteDword(schedule + day + "\\data1", "Around", 1);
        WriteDword(schedule + day + "\\data2", "Hour", 18);
        WriteDword(schedule + day + "\\data2", "Minute", 5);
        WriteDword(schedule + day + "\\data2", "SNTP", 1);
    }
    const std::string server = std::string(PlugKey) + "\\Server";
    WriteDword(server, "Connect", 1);
    WriteDword(server, "ConnectHour", 6);
    WriteDword(server, "ConnectMinute", 55);
    WriteDword(PlugKey, "UseReserve", 1);
    WriteDword(PlugKey, "ReserveMark", 3);
    WriteDword(PlugKey, "PostSec", 120);
    WriteText(PlugKey, "SNTPServer", "ntp.example.jp", false);
    WriteDword(PlugKey, "UseSNTP", 1);
    // The last clock adjustment, refused as on a standard user's Windows: the longest status line.
    SntpOutcome refused;
    refused.result = SntpNoRight;
    refused.detail = ERROR_PRIVILEGE_NOT_HELD;
    refused.correctionMs = 1234;
    refused.SetTime(2026, 12, 7, 7, 0, 2);
    refused.SetServer("ntp.example.jp");
    WriteSntpStatus(refused);
}

// The editor's pages and dialogs, with sample settings that are cleared again.
bool CaptureEditor(const std::string& out)
{
    StoreSampleSettings();
    {
        EditorSession editor;
        if (!editor.Sheet()) {
            std::fprintf(stderr, "the settings sheet did not open\n");
            return false;
        }
        const char* const names[] = {"page0-schedule", "page1-chronel", "page2-reserve", "page3-sntp"};
        for (int i = 0; i < 4; ++i) {
            editor.ShowPage(i);
            Capture(editor.Sheet(), out + "\\" + names[i] + ".bmp");
        }
        HWND page = editor.ShowPage(0);
        ClickLater(page, 1034);
        HWND detail = editor.WaitForWindow("スケジュール詳細");
        Capture(detail, out + "\\detail-dialog.bmp");
        if (detail)
            editor.Answer(detail, IDCANCEL);

        // An export to a file that another program holds open.
        TempDir dir("screenshots");
        const std::string held = dir / "chronel.reg";
        WriteFileBytes(held, "");
        HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        // The dialog opens in the current folder: the picture shows this one, not the checkout.
        char current[MAX_PATH] = "";
        GetCurrentDirectoryA(MAX_PATH, current);
        SetCurrentDirectoryA(dir.Path().c_str());
        ClickLater(editor.ShowPage(1), 1002);
        HWND save = editor.WaitForOtherDialog();
        Capture(save, out + "\\export-save-dialog.bmp");
        if (save) {
            SetDlgItemTextA(save, GetDlgItem(save, 0x47c) ? 0x47c : 0x480, held.c_str());
            PostMessageA(save, WM_COMMAND, IDOK, 0);
            // The question before an existing file is replaced, owned by the Save dialog: yes.
            if (HWND question = editor.WaitForOwnedWindow(save))
                editor.Answer(question, IDYES);
            HWND box = editor.WaitForWindow("設定の書出");
            Capture(box, out + "\\export-failed.bmp");
            if (box)
                editor.Answer(box, IDOK);
        }
        CloseHandle(holder);
        SetCurrentDirectoryA(current);

        // A registry that refuses Monday's entries: the key is made again as one kept in memory
        // only, which takes no lasting subkeys.
        const std::string monday = std::string(PlugKey) + "\\Schedule\\Monday";
        RegDeleteTreeA(HKEY_CURRENT_USER, monday.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, monday.c_str());
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, monday.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
        editor.ShowPage(0);
        editor.PressLater(PSBTN_APPLYNOW);
        HWND box = editor.WaitForWindow("設定の保存");
        Capture(box, out + "\\save-failed.bmp");
        if (box)
            editor.Answer(box, IDOK);
        editor.Press(PSBTN_CANCEL);
        editor.WaitForResult();
    }
    ClearSettings();
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // --reservation-only: the release zip's one picture, without the editor's.
    const bool reservationOnly = argc == 3 && std::string(argv[2]) == "--reservation-only";
    if (argc < 2 || (argc > 2 && !reservationOnly)) {
        std::fprintf(stderr, "usage: editor_screenshots OUTPUT-DIRECTORY [--reservation-only]\n");
        return 64;
    }
    std::string out = argv[1];
    if (!reservationOnly && !CaptureEditor(out))
        return 1;

    HMODULE chronel = LoadLibraryExA(BuildPath("host/Plugins/chronel.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!chronel) {
        std::fprintf(stderr, "chronel.dll could not be loaded as data\n");
        return 1;
    }
    if (!reservationOnly)
        CaptureChronelDialog(chronel, 100, out + "\\chronel-about.bmp");
    CaptureChronelDialog(chronel, 101, out + "\\chronel-reserve.bmp");
    FreeLibrary(chronel);
    return 0;
}
