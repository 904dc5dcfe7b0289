#include "FakeHost.h"

#include "hostsim/ImportPatch.h"
#include "plugin/Globals.h"
#include "plugin/LogQueue.h"
#include "../../common/windows/Time32.h"

#include <shlobj.h>

#include <cstdio>

FakeHost* CurrentFakeHost;

namespace {

int __stdcall FakeRegistCallback(HostCallback callback, LPARAM)
{
    CurrentFakeHost->callbacks.push_back(callback);
    return FirstCallbackCommand + static_cast<int>(CurrentFakeHost->callbacks.size()) - 1;
}

const char* __stdcall FakeGetMailbox()
{
    return CurrentFakeHost->root.c_str();
}

int __stdcall FakeMarkMail(const char* name, unsigned long mask, int set)
{
    char text[512];
    std::snprintf(text, sizeof text, "%s %08lx %s", name, mask, set ? "on" : "off");
    CurrentFakeHost->marks.push_back(text);
    if (CurrentFakeHost->onMark)
        CurrentFakeHost->onMark(name);
    return 1;
}

const char* __stdcall FakeSendGetHeader(HWND window)
{
    auto found = CurrentFakeHost->headers.find(window);
    return found == CurrentFakeHost->headers.end() ? nullptr : found->second.c_str();
}

int __stdcall FakeSendSetHeader(HWND window, const char* text)
{
    CurrentFakeHost->headers[window] = text;
    return 1;
}

// chronel's log goes into the fake host's folder, not into the profile of the user running the
// tests.
HRESULT WINAPI FakeSHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path)
{
    if (!CurrentFakeHost || (folder & ~CSIDL_FLAG_MASK) != CSIDL_APPDATA)
        return E_FAIL;
    CreateDirectoryA(CurrentFakeHost->appData.c_str(), nullptr);
    lstrcpynA(path, CurrentFakeHost->appData.c_str(), MAX_PATH);
    return S_OK;
}

}  // namespace

FakeHost::FakeHost() : dir_("fakehost")
{
    root = dir_.Path() + "\\";
    appData = root + "AppData";
    PatchImport(GetModuleHandleA(nullptr), "shell32.dll", "SHGetFolderPathA",
                reinterpret_cast<void*>(FakeSHGetFolderPathA));
    CurrentFakeHost = this;
    NewScanner();
    Host = BoundHostApi{};
    Host.RegistCallback = FakeRegistCallback;
    Host.GetMailbox = FakeGetMailbox;
    Host.MarkMail = FakeMarkMail;
    Host.SendGetHeader = FakeSendGetHeader;
    Host.SendSetHeader = FakeSendSetHeader;
}

FakeHost::~FakeHost()
{
    StopLogWriter(30000);
    Host = BoundHostApi{};
    CurrentFakeHost = nullptr;
}

void FakeHost::Write(const std::string& relative, const std::string& bytes) const
{
    std::string path = root + relative;
    for (size_t at = path.find('\\', root.size()); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    testing_support::WriteFileBytes(path, bytes);
}

void FakeHost::NewScanner(const FileCalls& files)
{
    scanner.reset(new OutboxScanner(files, kept));
}

bool FakeHost::Scan(ReleaseRules rules)
{
    rules.Moment = ReadClock().steps;
    rules.Mailbox = root.c_str();
    return scanner->Scan(rules);
}

std::string FakeHost::LogText() const
{
    StopLogWriter(30000);
    return testing_support::ReadFileBytes(appData + "\\Quor\\ChronelPlug\\chronel.log");
}

std::string FakeHost::Read(const std::string& relative) const
{
    return testing_support::ReadFileBytes(root + relative);
}

std::string FakeHost::JoinedMarks() const
{
    std::string all;
    for (const std::string& mark : marks)
        all += (all.empty() ? "" : "|") + mark;
    return all;
}

std::string FakeHost::ReleaseMarks(const std::string& id)
{
    return id + " c1000000 on|" + id + " 00000007 off";
}
