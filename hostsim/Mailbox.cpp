// The mailbox on disk: Account folders, "Outbox.box\Entry.lst" (name=Base64 data:subject, CR LF),
// messages as .qpm files. The flag word is the first four bytes of the 12-byte data field.
#include "Host.h"
#include "Mail.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Encode12(const unsigned char (&bytes)[12])
{
    std::string out;
    for (int i = 0; i < 12; i += 3) {
        unsigned bits = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6)
            out += Alphabet[(bits >> shift) & 63];
    }
    return out;
}

bool Decode12(const std::string& text, unsigned char (&bytes)[12])
{
    if (text.size() < 16)
        return false;
    for (int group = 0; group < 4; ++group) {
        unsigned bits = 0;
        for (int i = 0; i < 4; ++i) {
            const char* at = std::strchr(Alphabet, text[group * 4 + i]);
            if (!at || !*at)
                return false;
            bits = bits << 6 | static_cast<unsigned>(at - Alphabet);
        }
        bytes[group * 3] = static_cast<unsigned char>(bits >> 16);
        bytes[group * 3 + 1] = static_cast<unsigned char>(bits >> 8);
        bytes[group * 3 + 2] = static_cast<unsigned char>(bits);
    }
    return true;
}

struct IndexEntry {
    std::string name;
    unsigned char data[12];
    std::string rest;  // after the data field
    unsigned long Flags() const { return data[0] | data[1] << 8 | data[2] << 16 | static_cast<unsigned long>(data[3]) << 24; }
    void SetFlags(unsigned long flags)
    {
        for (int i = 0; i < 4; ++i)
            data[i] = static_cast<unsigned char>(flags >> (8 * i));
    }
};

std::string OutboxDir(const std::string& account)
{
    return Host.mailboxRoot + account + "\\" + OutboxFolder + "\\";
}

std::vector<IndexEntry> ReadIndex(const std::string& account)
{
    std::vector<IndexEntry> entries;
    std::ifstream file(OutboxDir(account) + OutboxIndex, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            break;
        size_t equals = line.find('=');
        IndexEntry entry{};
        if (equals == std::string::npos || !Decode12(line.substr(equals + 1, 16), entry.data))
            continue;
        entry.name = line.substr(0, equals);
        entry.rest = line.substr(equals + 17);
        entries.push_back(entry);
    }
    return entries;
}

void WriteIndex(const std::string& account, const std::vector<IndexEntry>& entries)
{
    std::ofstream file(OutboxDir(account) + OutboxIndex, std::ios::binary | std::ios::trunc);
    for (const IndexEntry& entry : entries)
        file << entry.name << '=' << Encode12(entry.data) << entry.rest << "\r\n";
}

std::vector<std::string> Accounts()
{
    std::vector<std::string> accounts;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((Host.mailboxRoot + AccountFolders).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return accounts;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            accounts.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return accounts;
}

std::vector<HANDLE> HeldMessages;

}  // namespace

bool HoldOutboxMessage(const std::string& account, const std::string& name, bool shareReadWrite)
{
    HANDLE file = CreateFileA((OutboxDir(account) + name + MessageSuffix).c_str(), GENERIC_READ | GENERIC_WRITE,
                              shareReadWrite ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    HeldMessages.push_back(file);
    return true;
}

void ReleaseHeldMessages()
{
    for (HANDLE file : HeldMessages)
        CloseHandle(file);
    HeldMessages.clear();
}

bool MarkOutboxEntry(const char* name, unsigned long mask, bool on)
{
    std::string id = name ? name : "";
    const std::string folder = std::string("\\") + OutboxFolder + "\\";
    size_t at = id.find(folder);
    if (at == std::string::npos)
        return false;
    std::string account = id.substr(0, at), entryName = id.substr(at + folder.size());
    std::vector<IndexEntry> entries = ReadIndex(account);
    for (IndexEntry& entry : entries) {
        if (entry.name != entryName)
            continue;
        entry.SetFlags(on ? entry.Flags() | mask : entry.Flags() & ~mask);
        WriteIndex(account, entries);
        LogEvent("mailbox: %s flags %08lx", name, entry.Flags());
        return true;
    }
    return false;
}

// Stores a posted message in the account's outbox, queued to go with the next send; returns its path.
std::string StoreOutboxMessage(const std::string& account, const std::string& text, const std::string& subject)
{
    CreateDirectoryA(Host.mailboxRoot.c_str(), nullptr);
    CreateDirectoryA((Host.mailboxRoot + account).c_str(), nullptr);
    CreateDirectoryA(OutboxDir(account).c_str(), nullptr);
    std::vector<IndexEntry> entries = ReadIndex(account);
    char name[16];
    std::snprintf(name, sizeof name, "%08u", static_cast<unsigned>(entries.size() + 1));
    IndexEntry entry{};
    entry.name = name;
    entry.SetFlags(EntryReleaseBits);
    entry.data[4] = static_cast<unsigned char>(text.size());
    entry.rest = ":" + subject;
    entries.push_back(entry);
    std::string path = OutboxDir(account) + name + MessageSuffix;
    std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    WriteIndex(account, entries);
    return path;
}

// The send command: every entry with all release bits set leaves the outbox for "Sent.box".
void SendReleased(bool asCommand)
{
    if (asCommand)
        LogEvent("command: send");
    for (const std::string& account : Accounts()) {
        std::vector<IndexEntry> kept;
        std::vector<IndexEntry> entries = ReadIndex(account);
        for (const IndexEntry& entry : entries) {
            if ((entry.Flags() & EntryReleaseBits) != EntryReleaseBits) {
                kept.push_back(entry);
                continue;
            }
            std::string sent = Host.mailboxRoot + account + "\\Sent.box\\";
            CreateDirectoryA(sent.c_str(), nullptr);
            if (!MoveFileExA((OutboxDir(account) + entry.name + MessageSuffix).c_str(),
                             (sent + entry.name + MessageSuffix).c_str(), MOVEFILE_REPLACE_EXISTING)) {
                LogEvent("send: %s\\Outbox.box\\%s cannot be moved (error %lu)", account.c_str(),
                         entry.name.c_str(), GetLastError());
                kept.push_back(entry);
                continue;
            }
            LogEvent("send: %s\\Outbox.box\\%s sent", account.c_str(), entry.name.c_str());
        }
        if (kept.size() != entries.size())
            WriteIndex(account, kept);
    }
}

// Logs every outbox entry with its flag word.
void LogOutbox()
{
    for (const std::string& account : Accounts()) {
        for (const IndexEntry& entry : ReadIndex(account))
            LogEvent("outbox: %s\\Outbox.box\\%s flags %08lx", account.c_str(), entry.name.c_str(), entry.Flags());
    }
}
