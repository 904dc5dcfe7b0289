#include "SntpClient.h"

#include "../common/windows/ActivityLog.h"
#include "../common/pure/Allocation.h"
#include "../common/pure/OwnedText.h"
#include "../common/windows/PinnedThread.h"
#include "../common/sntp/SntpExchange.h"
#include "../common/windows/SntpStatus.h"
#include "LogLines.h"

namespace {

struct SntpRequest {
    OwnedText server;  // none when the settings hold no server
    int timeoutSeconds = 0;
    int accuracyMs = 0;
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
    delete request;
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
    // The host may unload the plug-in while the exchange waits: the thread keeps it loaded.
    if (!StartPinnedThread(SntpAdjustClock, request))
        delete request;
}
