// What opening the status window's list of reserved messages holds the user-interface thread:
// every account's index read and the held messages' headers, then the rows put in a list view.
//
// status_list_bench [accounts] [lines] [held] [rounds]: a mailbox of `accounts` outboxes of `lines`
// index lines each (default 10 x 5,000), `held` reserved messages in all (default 50), the rest
// queued; each figure the best and the worst of `rounds` (default 7) openings.
#include "setup/HeldMessages.h"
#include "Seconds.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Write(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

void MakeMailbox(const std::string& root, int accounts, int lines, int held)
{
    CreateDirectoryA(root.c_str(), nullptr);
    for (int a = 0; a < accounts; ++a) {
        std::string account = root + "Account" + std::to_string(a + 1);
        CreateDirectoryA(account.c_str(), nullptr);
        CreateDirectoryA((account + "\\Outbox.box").c_str(), nullptr);
        std::string index;
        int heldHere = held / accounts + (a < held % accounts ? 1 : 0);
        for (int i = 0; i < lines; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "%08d", i + 1);
            // Spread evenly over the index.
            int step = heldHere > 0 ? lines / heldHere : lines + 1;
            bool isHeld = heldHere > 0 && i % step == 0 && i / step < heldHere;
            index += std::string(name) + (isHeld ? "=AAAAAAAAAAAAAAAA" : "=AAAAAQAAAAAAAAAA") +
                     ":Subject of the message number " + std::to_string(i) + "\r\n";
            if (isHeld) {
                Write(account + "\\Outbox.box\\" + name + ".qpm",
                      "X-Reserve-Date: " + std::to_string(1796594400 + i * 60) +
                          "\r\nFrom: user@example.jp\r\nTo: friend@example.jp\r\nSubject: held " + name +
                          "\r\nDate: Mon, 07 Dec 2026 05:00:00 +0900\r\n\r\nBody\r\n");
            }
        }
        Write(account + "\\Outbox.box\\Entry.lst", index);
    }
}

void Fill(HWND list, const HeldMessages& held)
{
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < held.Count(); ++i) {
        const char* cells[] = {"12月7日(月) 07:00", held.At(i).subject, held.At(i).to, held.At(i).account, "待機中"};
        for (int c = 0; c < 5; ++c) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.iSubItem = c;
            item.pszText = const_cast<char*>(cells[c]);
            SendMessageA(list, c ? LVM_SETITEMTEXTA : LVM_INSERTITEMA, c ? i : 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    int accounts = argc > 1 ? std::atoi(argv[1]) : 10;
    int lines = argc > 2 ? std::atoi(argv[2]) : 5000;
    int held = argc > 3 ? std::atoi(argv[3]) : 50;
    int rounds = argc > 4 ? std::atoi(argv[4]) : 7;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string root = std::string(temp) + "status-list-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
    MakeMailbox(root, accounts, lines, held);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 300,
                                nullptr, nullptr, nullptr, nullptr);
    for (int c = 0; c < 5; ++c) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>("column");
        column.cx = 100;
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    double best = 1e30, worst = 0, readBest = 1e30;
    size_t found = 0;
    std::string each;
    for (int r = 0; r < rounds; ++r) {
        HeldMessages messages;
        double start = Now();
        messages.Read(root.c_str());
        double read = Now();
        Fill(list, messages);
        double end = Now();
        found = messages.Count();
        char text[64];
        std::snprintf(text, sizeof text, "%s%.1f/%.1f", r ? ", " : "", (read - start) * 1e3, (end - start) * 1e3);
        each += text;
        best = end - start < best ? end - start : best;
        worst = end - start > worst ? end - start : worst;
        readBest = read - start < readBest ? read - start : readBest;
    }
    std::printf("| accounts | index lines each | held (listed) | read, best | read and list, best | worst |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|\n");
    std::printf("| %d | %d | %d (%u) | %.1f ms | %.1f ms | %.1f ms |\n", accounts, lines, held,
                static_cast<unsigned>(found), readBest * 1e3, best * 1e3, worst * 1e3);
    std::printf("\neach opening, read/read and list, ms: %s\n", each.c_str());
    DestroyWindow(list);
    return 0;
}
