#include <winsock2.h>

#include "AdjustNow.h"

#include "../common/windows/ActivityLog.h"
#include "../common/pure/Allocation.h"
#include "../common/windows/PinnedThread.h"
#include "../common/sntp/SntpExchange.h"
#include "../common/windows/SntpStatus.h"


AdjustNow* AdjustNow::Start(HWND page, UINT message, const char* server, int timeoutSeconds, int accuracyMs)
{
    AdjustNow* run = new (NoThrow) AdjustNow;
    if (!run)
        return nullptr;
    run->page_ = page;
    run->message_ = message;
    run->timeoutSeconds_ = timeoutSeconds;
    run->accuracyMs_ = accuracyMs;
    run->server_ = CopyText(server ? server : "");
    if (!run->server_) {
        delete run;
        return nullptr;
    }
    InitializeCriticalSection(&run->lock_);
    if (!StartPinnedThread(Run, run)) {
        DeleteCriticalSection(&run->lock_);
        delete run;
        return nullptr;
    }
    return run;
}

void AdjustNow::Drop()
{
    if (InterlockedDecrement(&references_) == 0) {
        DeleteCriticalSection(&lock_);
        delete this;
    }
}

void AdjustNow::Release()
{
    EnterCriticalSection(&lock_);
    page_ = nullptr;
    LeaveCriticalSection(&lock_);
    Drop();
}

DWORD WINAPI AdjustNow::Run(LPVOID self)
{
    AdjustNow* run = static_cast<AdjustNow*>(self);
    // The host may not have started Windows Sockets for an editor; the count is per process, so
    // this is harmless when it has.
    WSADATA sockets;
    bool started = WSAStartup(MAKEWORD(2, 2), &sockets) == 0;
    SntpExchange(run->server_.Get(), run->timeoutSeconds_, run->accuracyMs_, SystemSntpClock(), &run->outcome_);
    if (started)
        WSACleanup();
    WriteSntpStatus(run->outcome_);
    // The log after the page is told: a log held by another writer must not hold up its line.
    const SntpOutcome outcome = run->outcome_;
    // Posted under the lock: the page's window cannot go before the message is queued, and once
    // it has let go nothing more is sent to it.
    EnterCriticalSection(&run->lock_);
    if (run->page_)
        PostMessageA(run->page_, run->message_, 0, 0);
    LeaveCriticalSection(&run->lock_);
    run->Drop();
    LogClockAdjusted(outcome, true);
    return 0;
}
