#include "PinnedThread.h"

#include "../pure/Allocation.h"

namespace {

struct PinnedStart {
    LPTHREAD_START_ROUTINE procedure;
    void* parameter;
    HMODULE library;  // the thread's reference
};

DWORD WINAPI RunPinned(LPVOID parameter)
{
    const PinnedStart start = *static_cast<PinnedStart*>(parameter);
    delete static_cast<PinnedStart*>(parameter);
    FreeLibraryAndExitThread(start.library, start.procedure(start.parameter));
    return 0;
}

}  // namespace

ObjectHandle StartPinnedThread(LPTHREAD_START_ROUTINE procedure, void* parameter)
{
    HMODULE library = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(procedure), &library))
        return ObjectHandle();
    Library reference(library);
    PinnedStart* start = new (NoThrow) PinnedStart{procedure, parameter, library};
    if (!start)
        return ObjectHandle();
    ObjectHandle thread(CreateThread(nullptr, 0, RunPinned, start, 0, nullptr));
    if (thread)
        reference.Release();  // the thread's from now on
    else
        delete start;
    return thread;
}
