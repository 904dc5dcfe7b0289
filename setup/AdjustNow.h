#pragma once
// The time-adjustment page's "今すぐ合わせる": one exchange on a thread of its own, so that the
// sheet never waits for the server. The thread holds its own reference to chronset.dll (chronel
// frees the library as soon as the sheet closes) and stores the outcome under Status, as a
// scheduled exchange does; it tells the page only while the page is still there to hear it.

#include <windows.h>

#include "../common/pure/OwnedText.h"
#include "../common/pure/SntpOutcome.h"

class AdjustNow {
public:
    // Starts the exchange with a copy of server; when it has ended, message is posted to page
    // (wParam and lParam 0). None when no thread could be started.
    static AdjustNow* Start(HWND page, UINT message, const char* server, int timeoutSeconds, int accuracyMs);

    // The outcome; read it once the message has arrived.
    const SntpOutcome& Outcome() const { return outcome_; }
    // The page lets go, at the message or when its window goes: nothing is posted to it after
    // this returns, and the object may be gone.
    void Release();

    AdjustNow(const AdjustNow&) = delete;
    AdjustNow& operator=(const AdjustNow&) = delete;

private:
    AdjustNow() = default;
    ~AdjustNow() = default;
    static DWORD WINAPI Run(LPVOID self);
    void Drop();

    volatile LONG references_ = 2;  // the page's and the thread's
    CRITICAL_SECTION lock_;         // guards page_ between the page and the thread
    HWND page_ = nullptr;
    UINT message_ = 0;
    OwnedText server_;
    int timeoutSeconds_ = 0;
    int accuracyMs_ = 0;
    SntpOutcome outcome_;
};
