// The plug-in's own threads (the clock adjustment) in the event log: the host substitutes the
// plug-in's CreateThread import, logs each thread's start, and logs its end with its exit code when
// it sees the thread gone. Tests wait for these lines rather than for some real time to pass. The
// sockets it holds open tell when a clock adjustment is under way.
#include <winsock2.h>

#include "Host.h"

#include <atomic>
#include <vector>

namespace {

struct Watched {
    int number;
    HANDLE handle;  // a duplicate of our own: the plug-in closes its handle at once
};
std::vector<Watched> Running;
int Started = 0;

HANDLE WINAPI HookCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                               LPVOID parameter, DWORD flags, LPDWORD id)
{
    // Suspended until its start is logged, so that nothing it logs comes before.
    HANDLE thread = CreateThread(security, stack, start, parameter, flags | CREATE_SUSPENDED, id);
    if (!thread)
        return nullptr;
    Watched watched{++Started, nullptr};
    LogEvent("thread: %d started", watched.number);
    if (DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &watched.handle,
                        SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0))
        Running.push_back(watched);
    if (!(flags & CREATE_SUSPENDED))
        ResumeThread(thread);
    return thread;
}

std::atomic<int> OpenSockets{0};

SOCKET WINAPI HookSocket(int family, int type, int protocol)
{
    SOCKET opened = socket(family, type, protocol);
    if (opened != INVALID_SOCKET)
        ++OpenSockets;
    return opened;
}

int WINAPI HookCloseSocket(SOCKET open)
{
    int result = closesocket(open);
    if (result == 0)
        --OpenSockets;
    return result;
}

}  // namespace

int WatchPluginThreads(HMODULE module)
{
    PatchImport(module, "ws2_32.dll", "socket", reinterpret_cast<void*>(HookSocket));
    PatchImport(module, "ws2_32.dll", "closesocket", reinterpret_cast<void*>(HookCloseSocket));
    return PatchKernel32Import(module, "CreateThread", reinterpret_cast<void*>(HookCreateThread));
}

bool PluginExchangeUnderWay()
{
    return OpenSockets > 0;
}

void ReportEndedPluginThreads()
{
    for (size_t i = 0; i < Running.size();) {
        if (WaitForSingleObject(Running[i].handle, 0) != WAIT_OBJECT_0) {
            ++i;
            continue;
        }
        DWORD code = 0;
        GetExitCodeThread(Running[i].handle, &code);
        LogEvent("thread: %d ended with %ld", Running[i].number, static_cast<long>(code));
        CloseHandle(Running[i].handle);
        Running.erase(Running.begin() + static_cast<long>(i));
    }
}
