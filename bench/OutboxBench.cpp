// Outbox scan cost: 5 accounts with 2,000 index entries each, 500 of them held with a reservation
// not yet due (the rest queued). Compares one scan with reading the same files once.
#include "Globals.h"
#include "Outbox.h"
#include "host/HostApi.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Root;
int Marks;

const char* __stdcall BenchGetMailbox() { return Root.c_str(); }
int __stdcall BenchMarkMail(const char*, unsigned long, int) { return ++Marks; }

void WriteAll(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

size_t ReadAll(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    static char buffer[65536];
    size_t total = 0;
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read)
        total += read;
    CloseHandle(file);
    return total;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    Root = std::string(temp) + "chronel-outbox-bench\\";
    CreateDirectoryA(Root.c_str(), nullptr);
    Host.GetMailbox = BenchGetMailbox;
    Host.MarkMail = BenchMarkMail;
    ReferenceTime = 1796596200;

    const int accounts = 5, entries = 2000, held = 500;
    std::string body;
    for (int i = 0; i < 40; ++i)
        body += "This is line " + std::to_string(i) + " of the body of a held message.\r\n";
    std::vector<std::string> files;
    for (int a = 1; a <= accounts; ++a) {
        std::string account = Root + "Account" + std::to_string(a);
        CreateDirectoryA(account.c_str(), nullptr);
        CreateDirectoryA((account + "\\Outbox.box").c_str(), nullptr);
        std::string index;
        for (int e = 0; e < entries; ++e) {
            char name[16];
            std::snprintf(name, sizeof name, "%08d", e);
            bool isHeld = e % (entries / held) == 0;
            // Held: no flags; queued: 0x01000000.
            index += std::string(name) + "=" + (isHeld ? "AAAAAAAAAAAAAAAA" : "AAAAAQAAAAAAAAAA") + ":Subject " + name + "\r\n";
            if (isHeld) {
                std::string path = account + "\\Outbox.box\\" + name + ".qpm";
                WriteAll(path, "From: user@example.jp\r\nTo: friend@example.jp\r\nSubject: held " + std::string(name) +
                                   "\r\nDate: Mon, 07 Dec 2026 06:00:00 +0900\r\nMessage-ID: <" + name +
                                   "@example.jp>\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
                                   "X-Reserve-Date: 1900000000\r\n\r\n" + body);
                files.push_back(path);
            }
        }
        WriteAll(account + "\\Outbox.box\\Entry.lst", index);
        files.push_back(account + "\\Outbox.box\\Entry.lst");
    }

    // Warm the cache, then alternate the two measurements and keep the best of each.
    for (const std::string& file : files)
        ReadAll(file);
    double bestScan = 1e9, bestRead = 1e9;
    size_t bytes = 0;
    for (int round = 0; round < 5; ++round) {
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        bool released = ScanOutbox();
        QueryPerformanceCounter(&t1);
        bytes = 0;
        for (const std::string& file : files)
            bytes += ReadAll(file);
        QueryPerformanceCounter(&t2);
        if (released || Marks) {
            std::printf("unexpected release\n");
            return 1;
        }
        bestScan = std::min(bestScan, Seconds(t0, t1));
        bestRead = std::min(bestRead, Seconds(t1, t2));
    }
    std::printf("outbox: %d accounts x %d entries, %d held messages each (%u files, %u bytes)\n", accounts, entries, held,
                static_cast<unsigned>(files.size()), static_cast<unsigned>(bytes));
    std::printf("scan:          %8.1f ms (best of 5)\n", bestScan * 1000);
    std::printf("read once:     %8.1f ms (best of 5)\n", bestRead * 1000);
    std::printf("scan / read:   %8.2f\n", bestScan / bestRead);
    return 0;
}
