// The host's exported API (Quillpost.def gives the decorated names the plug-in resolves).
#include "Host.h"
#include "Mail.h"

#include <fstream>
#include <iterator>
#include <string>

#define HOST_API extern "C" __stdcall

HOST_API int APARegistCallback(PluginCallback callback, LPARAM value)
{
    Host.callbacks.push_back({callback, value, 0});
    int command = FirstCallbackCommand + static_cast<int>(Host.callbacks.size()) - 1;
    LogEvent("api: RegistCallback -> %d", command);
    return command;
}

HOST_API int APASetTimer(int milliseconds, PluginTimerProc callback, int)
{
    // Every call starts a timer of its own, as a host's timer table does.
    int id = ++Host.timersAsked;
    Host.timers.push_back({id, callback});
    LogEvent("api: SetTimer %d ms -> %d", milliseconds, id);
    return id;
}

HOST_API int APAKillTimer(int timerId)
{
    bool known = false;
    for (size_t i = 0; i < Host.timers.size(); ++i) {
        if (Host.timers[i].id == timerId) {
            Host.endedTimer = Host.timers[i].proc;
            Host.timers.erase(Host.timers.begin() + static_cast<long>(i));
            known = true;
            break;
        }
    }
    LogEvent("api: KillTimer %d -> %d", timerId, known ? 1 : 0);
    return known ? 1 : 0;
}

HOST_API const char* APAGetMailbox()
{
    return Host.mailboxRoot.c_str();
}

HOST_API int APAMarkMail(const char* name, unsigned long mask, int set)
{
    LogEvent("api: MarkMail %s mask %08lx %s", name ? name : "(null)", mask, set ? "on" : "off");
    int marked = MarkOutboxEntry(name, mask, set != 0) ? 1 : 0;
    // What the host would find after a crash right here: the message's file as it stands.
    if (marked && set && (mask & EntryReleaseBits) == EntryReleaseBits) {
        std::ifstream file(Host.mailboxRoot + name + MessageSuffix, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        bool reserved = text.rfind("X-Reserve-Date:", 0) == 0 || text.find("\nX-Reserve-Date:") != std::string::npos;
        LogEvent("mailbox: %s release bits set, its file %s", name, reserved ? "reserved" : "rewritten");
    }
    return marked;
}

HOST_API const char* APASendGetHeader(HWND window)
{
    return SendWindowHeader(window);
}

HOST_API int APASendSetHeader(HWND window, const char* text)
{
    return SetSendWindowHeader(window, text) ? 1 : 0;
}

// Resolved by plug-ins but not used by chronel: neutral answers.
HOST_API int APAIsBusy() { return 0; }
HOST_API int APAExecQuillpost(int) { return 0; }
HOST_API int APAGetAccount(int) { return 0; }
HOST_API int APAGetFolderName(int) { return 0; }
HOST_API int APAImportFile(int, int, int) { return 0; }
HOST_API int APASaveMail(int, int, int, int) { return 0; }
HOST_API int APAMoveMail(int, int) { return 0; }
HOST_API int APADeleteMail(int) { return 0; }
HOST_API int APAFolderGetCurrentFolder(int) { return 0; }
HOST_API int APAFolderGetCurrentEntry(int) { return 0; }
HOST_API int APAFolderGetSelectEntry(int, int) { return 0; }
HOST_API int APAFolderChangePassword(int, int) { return 0; }
HOST_API int APAFolderMailTo(int, int) { return 0; }
HOST_API int APAFolderReply(int, int) { return 0; }
HOST_API int APAFolderForward(int, int) { return 0; }
HOST_API int APAFolderOpenMail(int, int, int) { return 0; }
HOST_API int APASendGetText(int, int) { return 0; }
HOST_API int APASendSetText(int, int) { return 0; }
HOST_API int APASendGetEditor(int) { return 0; }
HOST_API int APAViewGetText(int) { return 0; }
HOST_API int APAViewGetHeader(int) { return 0; }
HOST_API int APAViewSetText(int, int) { return 0; }
HOST_API int APAViewGetPath(int) { return 0; }
HOST_API int APAViewGetEditor(int) { return 0; }
HOST_API int APAViewChangeMail(int, int) { return 0; }
HOST_API int APASjisToJis(int, int, int) { return 0; }
HOST_API int APAJisToSjis(int, int, int) { return 0; }
