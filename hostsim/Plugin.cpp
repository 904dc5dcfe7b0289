#include "Plugin.h"

#include "Host.h"
#include "Measure.h"

PluginEntries Plugin;

bool LoadPlugin()
{
    int64_t loading = MeasureNow();
    HMODULE module = LoadLibraryA(Host.pluginPath.c_str());
    MeasureSince("LoadLibrary", loading);
    if (!module) {
        LogEvent("plugin: %s did not load (error %lu)", Host.pluginPath.c_str(), GetLastError());
        return false;
    }
    static const char* const names[] = {
        "APCGetPlugName",  "APCVersionInfo",   "APCStartUp",     "APCCleanUp",
        "APCSetup",        "APCRecFilter",     "APCFolderCreate", "APCFolderClose",
        "APCFolderInitMenu", "APCFolderLoad",  "APCFolderEndRetrieve", "APCSendCreate",
        "APCSendClose",    "APCSendInitMenu",  "APCSendPost",
    };
    static_assert(sizeof(PluginEntries) == sizeof names / sizeof names[0] * sizeof(void*), "one per entry");
    FARPROC* slots = reinterpret_cast<FARPROC*>(&Plugin);
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        slots[i] = GetProcAddress(module, names[i]);
        if (!slots[i]) {
            LogEvent("plugin: entry point %s missing", names[i]);
            FreeLibrary(module);
            return false;
        }
    }
    Host.plugin = module;
    int patched = SimClock::PatchImports(module);
    LogEvent("plugin: loaded \"%s\", %d clock imports substituted", Plugin.GetPlugName(), patched);
    GiveUserFolders(module);
    WatchPluginThreads(module);
    return true;
}

void UnloadPlugin()
{
    if (Host.plugin) {
        FreeLibrary(Host.plugin);
        LogEvent("plugin: unloaded");
    }
    Host.plugin = nullptr;
    if (Host.awaitThreadsSeconds <= 0)
        return;
    // A thread that holds its own reference keeps a library loaded until it ends.
    DWORD limit = static_cast<DWORD>(Host.awaitThreadsSeconds) * 1000;
    DWORD started = GetTickCount();
    while (GetModuleHandleA("chronel.dll") || GetModuleHandleA("chronset.dll")) {
        if (GetTickCount() - started >= limit) {
            LogEvent("plugin: still held by a thread after %d s", Host.awaitThreadsSeconds);
            return;
        }
        Sleep(20);
    }
    LogEvent("plugin: released by every thread");
}
