#include "ModalLoop.h"

#include "../common/windows/PinnedThread.h"
#include "Globals.h"

namespace {

// On a pinned thread: holds the library until the host's thread has answered a message sent to
// anchor. That thread answers only inside a message loop, and once chronel's loop has ended
// chronel runs none before it returns to the host.
DWORD WINAPI HoldUntilOut(LPVOID anchor)
{
    // A static control's default handling of WM_CLOSE destroys it on its own thread.
    SendMessageA(static_cast<HWND>(anchor), WM_CLOSE, 0, 0);
    return 0;
}

// The reservation dialog and every box shown over it or at close bear its title.
BOOL CALLBACK EndReservationWindow(HWND window, LPARAM)
{
    char kind[8] = "";
    char title[16] = "";
    GetClassNameA(window, kind, sizeof kind);
    GetWindowTextA(window, title, sizeof title);
    if (lstrcmpiA(kind, "#32770") == 0 && lstrcmpiA(title, "送信予約") == 0)
        EndDialog(window, 0);
    return TRUE;
}

}  // namespace

ModalLoop::ModalLoop()
{
    HMODULE module = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&EndModalLoops),
                           &module)) {
        module_.Reset(module);
        ++Loaded.OpenLoops;
    }
}

ModalLoop::~ModalLoop()
{
    if (!module_)
        return;
    --Loaded.OpenLoops;
    // Before clean-up the host holds the library: this reference is not the last.
    if (!Loaded.CleanedUp)
        return;
    // Otherwise it may be: the thread's reference takes over before this one goes.
    HWND anchor = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (anchor && StartPinnedThread(HoldUntilOut, anchor))
        return;
    // The reference stays, and the library with it until the host's process ends.
    if (anchor)
        DestroyWindow(anchor);
    module_.Release();
}

void EndModalLoops()
{
    if (Loaded.OpenLoops > 0)
        EnumThreadWindows(GetCurrentThreadId(), EndReservationWindow, 0);
}
