#pragma once

#include <windows.h>

#include <cstdint>

struct WindowRecord {
    WindowRecord* next = nullptr;
    HWND window = nullptr;
    explicit WindowRecord(HWND w) : window(w) {}
    virtual ~WindowRecord() = default;
};

// A folder window, with the schedule item the plug-in put in its menu (none yet: command 0).
struct FolderWindowRecord : WindowRecord {
    HMENU scheduleSubmenu = nullptr;
    int scheduleCommand = 0;
    explicit FolderWindowRecord(HWND w) : WindowRecord(w) {}
};

// A send window, and whether its message has been posted: its close then reminds of nothing.
struct SendWindowRecord : WindowRecord {
    bool posted = false;
    explicit SendWindowRecord(HWND w) : WindowRecord(w) {}
};

// The host's folder or send windows, in the order reported; keyed by window handle.
class WindowList {
public:
    WindowRecord* head = nullptr;
    WindowRecord* tail = nullptr;

    WindowList() = default;
    virtual ~WindowList();
    WindowList(const WindowList&) = delete;
    WindowList& operator=(const WindowList&) = delete;

    // Takes ownership; a null record (failed allocation) is not appended. Returns the record.
    WindowRecord* Append(WindowRecord* record);
    WindowRecord* Find(HWND window) const;
    void Remove(HWND window);
};
