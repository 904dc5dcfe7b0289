#include "HostApi.h"

#include <cstring>

HostApi Host;
static HMODULE HostModule;

int BindHostApi()
{
    if (HostModule)
        return 1;
    // The running host, already mapped: no reference is taken (so none is dropped at detach),
    // and a host under another file name is refused instead of being bound to a second,
    // uninitialised copy of Quillpost.exe loaded from disk.
    HMODULE module = GetModuleHandleA(HostModuleName);
    if (!module)
        return 0;
    FARPROC resolved[HostApiSlots];
    for (size_t i = 0; i < HostApiSlots; ++i) {
        resolved[i] = GetProcAddress(module, HostApiNames[i]);
        if (!resolved[i])
            return 0;
    }
    HostModule = module;
    std::memcpy(&Host, resolved, sizeof Host);
    return 1;
}

void ReleaseHostApi()
{
    HostModule = nullptr;
    std::memset(&Host, 0, sizeof Host);
}

bool HostApiBound()
{
    return HostModule != nullptr;
}
