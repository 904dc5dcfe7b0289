#include "HostApi.h"

#include <cstring>

static_assert(sizeof(HostApi) == 34 * sizeof(void*), "one slot per resolved name");

const char* const HostApiNames[34] = {
    "_APARegistCallback@8",
    "_APASetTimer@12",
    "_APAKillTimer@4",
    "_APAIsBusy@0",
    "_APAExecQuillpost@4",
    "_APAGetMailbox@0",
    "_APAGetAccount@4",
    "_APAGetFolderName@4",
    "_APAImportFile@12",
    "_APASaveMail@16",
    "_APAMoveMail@8",
    "_APAMarkMail@12",
    "_APADeleteMail@4",
    "_APAFolderGetCurrentFolder@4",
    "_APAFolderGetCurrentEntry@4",
    "_APAFolderGetSelectEntry@8",
    "_APAFolderChangePassword@8",
    "_APAFolderMailTo@8",
    "_APAFolderReply@8",
    "_APAFolderForward@8",
    "_APAFolderOpenMail@12",
    "_APASendGetText@8",
    "_APASendGetHeader@4",
    "_APASendSetText@8",
    "_APASendSetHeader@8",
    "_APASendGetEditor@4",
    "_APAViewGetText@4",
    "_APAViewGetHeader@4",
    "_APAViewSetText@8",
    "_APAViewGetPath@4",
    "_APAViewGetEditor@4",
    "_APAViewChangeMail@8",
    "_APASjisToJis@12",
    "_APAJisToSjis@12",
};

BoundHostApi Host;

int BindHostApi()
{
    if (Host.module)
        return 1;
    // The running host, already mapped: no reference is taken (so none is dropped at detach),
    // and a host under another file name is refused instead of being bound to a second,
    // uninitialised copy of Quillpost.exe loaded from disk.
    HMODULE module = GetModuleHandleA("Quillpost.exe");
    if (!module)
        return 0;
    FARPROC resolved[34];
    for (int i = 0; i < 34; ++i) {
        resolved[i] = GetProcAddress(module, HostApiNames[i]);
        if (!resolved[i])
            return 0;
    }
    std::memcpy(static_cast<HostApi*>(&Host), resolved, sizeof(HostApi));
    Host.module = module;
    return 1;
}

void ReleaseHostApi()
{
    Host = BoundHostApi{};
}

bool HostApiBound()
{
    return Host.module != nullptr;
}
