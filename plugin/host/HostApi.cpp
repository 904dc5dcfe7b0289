#include "HostApi.h"

#include <cstring>

BoundHostApi Host;

int BindHostApi()
{
    if (Host.module)
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
