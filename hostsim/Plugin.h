#pragma once
// The plug-in's entry points as the host calls them.

#include <windows.h>

#include <string>

struct PluginEntries {
    const char*(__stdcall* GetPlugName)();
    int(__stdcall* VersionInfo)(HWND);
    int(__stdcall* StartUp)(int);
    int(__stdcall* CleanUp)();
    int(__stdcall* Setup)(int);
    int(__stdcall* RecFilter)(int);
    int(__stdcall* FolderCreate)(HWND);
    void(__stdcall* FolderClose)(HWND);
    void(__stdcall* FolderInitMenu)(HWND, HMENU, int);
    void(__stdcall* FolderLoad)(int, int);
    int(__stdcall* FolderEndRetrieve)(int);
    int(__stdcall* SendCreate)(HWND);
    void(__stdcall* SendClose)(HWND);
    void(__stdcall* SendInitMenu)(HWND, HMENU, int);
    int(__stdcall* SendPost)(HWND, const char*);
};

extern PluginEntries Plugin;

// Loads the plug-in (Plugins\chronel.dll unless the scenario names another path), resolves its
// entry points and substitutes the simulated clock.
// False (and logged) when the library refuses to load or lacks an entry point.
bool LoadPlugin();
void UnloadPlugin();

// The folder the plug-in and its editor are given as the user's application-data folder
// (SHGetFolderPathA with CSIDL_APPDATA); chronel keeps its log under it.
void SetAppDataFolder(const std::string& folder);
const std::string& AppDataFolderPath();
// Substitutes that folder in the module's imports. Returns the number of entries patched.
int GiveUserFolders(HMODULE module);
