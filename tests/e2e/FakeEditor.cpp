// A stand-in for chronset.dll: reports what the test asked for and stores one setting, so that
// the plug-in's reload after OK can be seen.
#include <windows.h>

extern "C" int SetUpChronel()
{
    DWORD result = 2;
    DWORD autoStart = 0;
    DWORD size = sizeof result;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\Quor\\FakeEditor", "Result", RRF_RT_REG_DWORD, nullptr, &result,
                 &size);
    size = sizeof autoStart;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Quor\\FakeEditor", "StoreShortCut", RRF_RT_REG_DWORD, nullptr,
                     &autoStart, &size) == ERROR_SUCCESS) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quor\\ChronelPlug", 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            char letter = static_cast<char>(autoStart);
            RegSetValueExA(key, "ShortCut", 0, REG_SZ, reinterpret_cast<BYTE*>(&letter), 1);
            RegCloseKey(key);
        }
    }
    return static_cast<int>(result);
}
