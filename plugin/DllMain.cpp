#include "Globals.h"
#include "host/HostApi.h"

extern "C" const char* __stdcall APCGetPlugName();

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        PluginModule = module;
        if (!BindHostApi()) {
            char text[256];
            wsprintfA(text, "プラグイン「%s」でエラーが発生しました。\r\nQuillpost32とプラグインのバージョンを確認してください",
                      APCGetPlugName());
            MessageBoxA(nullptr, text, "プラグインエラー", MB_OK | MB_ICONERROR);
            return FALSE;
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        ReleaseHostApi();
    }
    return TRUE;
}
