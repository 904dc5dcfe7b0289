#include "WindowList.h"

WindowList::~WindowList()
{
    while (head) {
        WindowRecord* next = head->next;
        delete head;
        head = next;
    }
    tail = nullptr;
}

WindowRecord* WindowList::Append(WindowRecord* record)
{
    if (!record)
        return nullptr;
    record->next = nullptr;
    if (!head) {
        head = record;
        tail = record;
    } else {
        tail->next = record;
        tail = record;
    }
    return record;
}

WindowRecord* WindowList::Find(HWND window) const
{
    for (WindowRecord* at = head; at; at = at->next) {
        if (at->window == window)
            return at;
    }
    return nullptr;
}

void WindowList::Remove(HWND window)
{
    WindowRecord* before = nullptr;
    for (WindowRecord* at = head; at; before = at, at = at->next) {
        if (at->window != window)
            continue;
        if (before)
            before->next = at->next;
        else
            head = at->next;
        if (tail == at)
            tail = before;
        delete at;
        return;
    }
}
