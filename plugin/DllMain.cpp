#include "Globals.h"
#include "host/HostApi.h"

extern "C" const char* __stdcall APCGetPlugName();

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        PluginModule = module;
        // Nothing here is kept per thread: the loader need not call in at every thread's start
        // and end in the host.
        DisableThreadLibraryCalls(module);
        if (!BindHostApi()) {
            char text[256];
            wsprintfA(text, "プラグイン「%s」でエラーが発生しました。\r\nQuillpost32とプラグインのバージョンを確認してください",
                      APCGetPlugName());
            MessageBoxA(nullptr, text, "プラグインエラー", MB_OK | MB_ICONERROR);
            return FALSE;
        }
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Only when the host frees the library: at process exit (reserved set) the host is going
        // away and its other threads are already gone, so nothing is touched.
        ReleaseHostApi();
    }
    return TRUE;
}
