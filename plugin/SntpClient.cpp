#include "SntpClient.h"

#include "../common/ActivityLog.h"
#include "../common/Allocation.h"
#include "../common/OwnedText.h"
#include "../common/SntpExchange.h"
#include "../common/SntpStatus.h"
#include "LogLines.h"

namespace {

struct SntpRequest {
    OwnedText server;  // none when the settings hold no server
    int timeoutSeconds = 0;
    int accuracyMs = 0;
    HMODULE module = nullptr;  // a reference to this library, held while the thread runs
};

}  // namespace

DWORD WINAPI SntpAdjustClock(LPVOID parameter)
{
    SntpRequest* request = static_cast<SntpRequest*>(parameter);
    // kernel32's clock as imported by this library, which a host may substitute.
    SntpOutcome outcome;
    int result = SntpExchange(request->server.Get(), request->timeoutSeconds, request->accuracyMs, SystemSntpClock(),
                              &outcome);
    WriteSntpStatus(outcome);
    // Through the queue, in order with the other lines, and counted when the log cannot take it.
    LogClockOutcome(outcome);
    HMODULE module = request->module;
    delete request;
    // The host may unload the plug-in while the exchange waits: the reference keeps the code
    // mapped until the thread is gone.
    FreeLibraryAndExitThread(module, static_cast<DWORD>(result));
    return static_cast<DWORD>(result);
}

void StartSntpAdjustClock(const Settings& settings)
{
    SntpRequest* request = new (NoThrow) SntpRequest;
    if (!request)
        return;
    request->server = CopyText(settings.SNTPServer.Get());
    request->timeoutSeconds = settings.TimeOut;
    request->accuracyMs = settings.Accuracy;
    if (settings.SNTPServer && !request->server) {
        delete request;
        return;
    }
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&SntpAdjustClock),
                            &request->module)) {
        delete request;
        return;
    }
    HMODULE module = request->module;
    HANDLE thread = CreateThread(nullptr, 0, SntpAdjustClock, request, 0, nullptr);
    if (!thread) {
        delete request;
        FreeLibrary(module);
        return;
    }
    CloseHandle(thread);
}
