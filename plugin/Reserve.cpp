#include "Reserve.h"

#include "../common/pure/Allocation.h"
#include "../common/pure/OwnedText.h"
#include "../common/pure/ShiftJis.h"
#include "../common/pure/TextBuffer.h"
#include "Globals.h"
#include "LogLines.h"
#include "ModalLoop.h"
#include "ReserveDialog.h"
#include "../common/windows/Time32.h"
#include "host/HostApi.h"
#include "../contract/Quillpost.h"
#include "../common/pure/EntryIndex.h"
#include "../common/pure/HeaderText.h"

#include <cstring>

namespace {

const char* CurrentHeader(HWND window)
{
    const char* header = Host.SendGetHeader(window);
    return header ? header : "";
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The part of path after root when path lies under root, compared ignoring ASCII case (the
// second byte of a double-byte character is compared as it is); null otherwise.
const char* PathUnderRoot(const char* path, const char* root, LeadByteRule isLead)
{
    const char* at = path;
    bool afterSeparator = false;
    while (*root) {
        if (isLead(static_cast<unsigned char>(*root))) {
            if (at[0] != root[0] || root[1] == '\0' || at[1] != root[1])
                return nullptr;
            at += 2;
            root += 2;
            afterSeparator = false;
            continue;
        }
        if (FoldAscii(*at) != FoldAscii(*root) && !(IsSeparator(*at) && IsSeparator(*root)))
            return nullptr;
        afterSeparator = IsSeparator(*root);
        ++at;
        ++root;
    }
    if (afterSeparator)
        return at;
    // A root without its final separator: the path must go on with one.
    return IsSeparator(*at) ? at + 1 : nullptr;
}

// The header could not be read, or the host did not take the new one: said, never left silent.
void ShowHeaderUnusable(HWND owner)
{
    MessageBoxA(owner, "このメールのヘッダを読み書きできないため、送信予約を設定/変更できませんでした。", "送信予約",
                MB_OK | MB_ICONEXCLAMATION);
}

// Writes the dialog's choice into the message as its header is at this moment, before the dialog
// ends: the send window is usable again as soon as the dialog is gone (another dialog's modal loop
// may keep this one's caller waiting), and the message must then already hold the choice.
bool ApplyReserveChoice(HWND window, HWND dialog, int32_t chosen)
{
    const char* current = Host.SendGetHeader(window);
    TextBuffer header(current ? current : "");
    bool written = current && !header.Failed();
    // Every reservation line but one must go, even when the first already holds the choice.
    if (written && (FindReserveDate(header.c_str()) != chosen || CountReserveFields(header.c_str()) > 1)) {
        OwnedText text(new (NoThrow) char[header.size() + ReserveLineRoom]);
        written = static_cast<bool>(text);
        if (text) {
            SetReserveDate(header.c_str(), text.Get(), chosen);
            Host.SendSetHeader(window, text.Get());
        }
        // Read back: the choice counts as made only when the message holds it.
        const char* after = written ? Host.SendGetHeader(window) : nullptr;
        written = after && FindReserveDate(after) == chosen;
    }
    if (!written) {
        ShowHeaderUnusable(dialog);
        return false;
    }
    return true;
}

// Windows' own form of a path into out (size bytes): full, with long names and "\" alone
// between them. A path that does not exist keeps its full form.
bool WindowsForm(const char* path, char* out, DWORD size)
{
    DWORD length = GetFullPathNameA(path, size, out, nullptr);
    if (length == 0 || length >= size)
        return false;
    char longer[MAX_PATH * 2];
    length = GetLongPathNameA(out, longer, sizeof longer);
    if (length > 0 && length < sizeof longer)
        std::memcpy(out, longer, length + 1);
    return true;
}

// PostedMailId over the Windows form of both paths, compared in upper case by the system's code
// page; the id keeps the posted path's own letters.
bool MailIdAsWindowsSees(const char* path, const char* root, char* id, size_t size)
{
    char fullPath[MAX_PATH * 2];
    char fullRoot[MAX_PATH * 2];
    char upperPath[MAX_PATH * 2];
    char upperRoot[MAX_PATH * 2];
    if (!path || !root || !*root || !WindowsForm(path, fullPath, sizeof fullPath) ||
        !WindowsForm(root, fullRoot, sizeof fullRoot))
        return false;
    size_t pathLength = std::strlen(fullPath);
    size_t rootLength = std::strlen(fullRoot);
    std::memcpy(upperPath, fullPath, pathLength + 1);
    std::memcpy(upperRoot, fullRoot, rootLength + 1);
    // In place, byte for byte: the id stands at the same place in both.
    CharUpperBuffA(upperPath, static_cast<DWORD>(pathLength));
    CharUpperBuffA(upperRoot, static_cast<DWORD>(rootLength));
    if (!PostedMailId(upperPath, upperRoot, id, size))
        return false;
    size_t length = std::strlen(id);
    std::memcpy(id, fullPath + pathLength - 4 - length, length);
    return true;
}

}  // namespace

bool FindPostedMailId(const char* path, const char* root, char* id, size_t size)
{
    return MailIdAsWindowsSees(path, root, id, size) || PostedMailId(path, root, id, size);
}

bool SystemLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) != FALSE;
}

bool PostedMailId(const char* path, const char* root, char* id, size_t size, LeadByteRule isLead)
{
    if (!path || !root || !*root)
        return false;
    const char* rest = PathUnderRoot(path, root, isLead);
    if (!rest)
        return false;
    size_t length = std::strlen(rest);
    if (length <= 4 || !StartsWithNoCase(rest + length - 4, ".qpm") || length - 4 >= size)
        return false;
    std::memcpy(id, rest, length - 4);
    id[length - 4] = '\0';
    return true;
}

unsigned long ReserveMarkBits(long reserveMark)
{
    return reserveMark >= 0 && reserveMark <= static_cast<long>(EntryMarkField)
               ? static_cast<unsigned long>(reserveMark)
               : 0;
}

void AddReserveMenuItem(HMENU menu, int menuKind)
{
    HMENU target = nullptr;
    if (menuKind == SendMenuBar)
        target = menu ? GetSubMenu(menu, SendSubmenuPosition) : nullptr;
    else if (menuKind == SendMenuPopup)
        target = menu;
    if (!target)
        return;
    int command = Host.RegistCallback(ReserveCommand, 0);
    AppendMenuA(target, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(target, MF_STRING, static_cast<UINT_PTR>(command), "送信予約");
}

int __stdcall ReserveCommand(HWND window, LPARAM)
{
    // The command's one reading of the clock: the moment a message without a reservation offers.
    SYSTEMTIME present;
    GetLocalTime(&present);
    ModalLoop loop;
    auto* record = static_cast<SendWindowRecord*>(Loaded.SendWindows.Find(window));
    if (!record)
        record = static_cast<SendWindowRecord*>(Loaded.SendWindows.Append(new (NoThrow) SendWindowRecord(window)));
    if (!record)
        return 0;
    // Its message is being written again, not yet posted.
    record->posted = false;
    // The header decides, as it is when the dialog opens and again when a choice is made: its line
    // may have gone or changed some other way since the last dialog, and a remembered time would
    // then show a reservation the message no longer has and keep the choice from being written.
    const char* current = Host.SendGetHeader(window);
    TextBuffer opened(current ? current : "");
    if (!current || opened.Failed()) {
        ShowHeaderUnusable(window);
        return 0;
    }
    int32_t reserved = FindReserveDate(opened.c_str());

    // Shown and read back by the same zone rules, so a reservation reopens as it was entered.
    SYSTEMTIME shown;
    if (reserved == -1 || !Time32ToLocalFields(reserved, &shown))
        shown = present;
    ReserveFields fields = {shown.wYear, shown.wMonth, shown.wDay, shown.wHour, shown.wMinute};
    // The choice is written by the dialog itself; nothing is left to do once it returns.
    RunReserveDialog(window, fields, ApplyReserveChoice);
    return 0;
}

void RemindReservedAtClose(HWND window)
{
    if (FindReserveDate(CurrentHeader(window)) == -1)
        return;
    ModalLoop loop;
    MessageBoxA(window,
                "このメールは送信予約されています\n予約の設定/変更を有効にするには\n送信ボタンを押して終了してください",
                "送信予約", MB_OK);
}

void MarkPostedMessage(HWND window, const char* path)
{
    char id[MAX_PATH * 2];
    const char* header = CurrentHeader(window);
    int32_t reserved = FindReserveDate(header);
    char subject[LogSubjectSize];
    FindLogSubject(header, subject);
    if (!FindPostedMailId(path, Host.GetMailbox(), id, sizeof id)) {
        if (reserved == -1)
            return;
        // Nothing holds it: it goes with the next send, and the user must hear so now.
        LogReservationPosted(path ? path : "", subject, reserved, false);
        ModalLoop loop;
        MessageBoxA(window,
                    "このメールの送信予約を登録できませんでした。\n予約した日時を待たずに、次の送信で送られます。",
                    "送信予約", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    Host.MarkMail(id, EntryMarkField, 0);
    if (reserved == -1)
        return;
    Host.MarkMail(id, EntryQueued, 0);
    Host.MarkMail(id, ReserveMarkBits(Loaded.Settings.ReserveMark), 1);
    LogReservationPosted(id, subject, reserved);
}
