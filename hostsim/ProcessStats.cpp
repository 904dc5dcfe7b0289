// The process's resource counts for the long run. Windows reports them itself; Wine 8 answers
// GetProcessHandleCount, GetGuiResources and PrivateUsage with 0, so there they are counted
// directly: the system handle list, Wine's GDI handle table, the USER handle numbers, and the
// committed private regions.
#include "Measure.h"

#include "Host.h"

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace {

bool UnderWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// SystemHandleInformation: every handle of every process.
struct SystemHandle {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandles {
    ULONG count;
    SystemHandle handles[1];
};

unsigned long KernelHandles()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count)
        return count;
    typedef LONG(NTAPI * QueryProc)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    const ULONG SystemHandleInformation = 16;
    const LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<char> buffer(1 << 20);
    LONG status;
    ULONG length = 0;
    while ((status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length)) ==
           InfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status < 0)
        return 0;
    auto all = reinterpret_cast<const SystemHandles*>(buffer.data());
    DWORD self = GetCurrentProcessId();
    for (ULONG i = 0; i < all->count; ++i)
        count += all->handles[i].processId == self;
    return count;
}

// Wine's GDI handle table, reached from the PEB like Windows' own, with entries of its layout.
struct WineGdiEntry {
    ULONGLONG object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    ULONGLONG user;
};
static_assert(sizeof(WineGdiEntry) == 24, "Wine's layout");

// All GDI objects; *withoutDcs (-1 where it cannot be told) leaves out device contexts with the
// region and bitmap each of them holds. Wine keeps the device contexts it hands out for painting
// windows in a cache that grows with how many are in use at once and is never shrunk, so their
// number after a run of dialogs depends on the timing of the painting, not on what was leaked.
// Under Wine the count is taken directly from its handle table.
unsigned long GdiObjects(long* withoutDcs)
{
    *withoutDcs = -1;
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count || !UnderWine())
        return count;
    typedef LONG(NTAPI * QueryProc)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0)
        return 0;
    // GdiSharedHandleTable in a 32-bit PEB.
    auto table = *reinterpret_cast<const WineGdiEntry* const*>(reinterpret_cast<const char*>(basic.PebBaseAddress) +
                                                              0x94);
    if (!table)
        return 0;
    // Wine makes the system colours' brushes when a painting first asks for one and keeps them for
    // the process's life; asked for here, they are all in the count from the first one on.
    for (int colour = 0; colour <= COLOR_MENUBAR; ++colour)
        GetSysColorBrush(colour);
    // Wine's object types: device context 1, region 4, bitmap 5.
    long dcs = 0, regions = 0, bitmaps = 0;
    for (int i = 0; i < 0x10000; ++i) {
        count += table[i].type != 0;
        dcs += table[i].type == 1;
        regions += table[i].type == 4;
        bitmaps += table[i].type == 5;
    }
    *withoutDcs = static_cast<long>(count) - dcs - (regions < dcs ? regions : dcs) - (bitmaps < dcs ? bitmaps : dcs);
    return count;
}

// Wine numbers USER handles 0x20 + 2 * index; a handle without its upper word matches the entry
// at that index whatever its generation.
unsigned long UserObjects()
{
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (count || !UnderWine())
        return count;
    typedef HCURSOR(WINAPI * FrameInfoProc)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);
    auto frameInfo = reinterpret_cast<FrameInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    DWORD self = GetCurrentProcessId();
    for (ULONG_PTR index = 0; index < 0x8000; ++index) {
        ULONG_PTR value = 0x20 + 2 * index;
        HWND window = reinterpret_cast<HWND>(value);
        DWORD owner = 0;
        if (IsWindow(window) && GetWindowThreadProcessId(window, &owner) && owner == self) {
            ++count;
            continue;
        }
        if (IsMenu(reinterpret_cast<HMENU>(value))) {
            ++count;
            continue;
        }
        DWORD rate = 0, steps = 0;
        if (frameInfo && frameInfo(reinterpret_cast<HCURSOR>(value), 0, 0, &rate, &steps))
            ++count;
    }
    return count;
}

// Committed private memory: PrivateUsage, or the committed private regions added up.
unsigned long PrivateKiB()
{
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory) &&
        memory.PrivateUsage)
        return static_cast<unsigned long>(memory.PrivateUsage / 1024);
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* at = nullptr;
    while (VirtualQuery(at, &region, sizeof region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return static_cast<unsigned long>(total / 1024);
}

}  // namespace

void LogProcessStats(const std::string& label)
{
    // Memory before the counting below allocates its buffer.
    unsigned long privateKiB = PrivateKiB();
    long gdiWithoutDcs = -1;
    unsigned long gdi = GdiObjects(&gdiWithoutDcs);
    unsigned long user = UserObjects();
    unsigned long handles = KernelHandles();
    LogEvent("stats: %s handles %lu gdi %lu user %lu private %lu KiB, gdi without dcs %ld",
             label.empty() ? "-" : label.c_str(), handles, gdi, user, privateKiB, gdiWithoutDcs);
}
