#pragma once
// The plug-in's entry points as the host calls them.

#include "../contract/Quillpost.h"

#include <string>

// Each of the contract's exports, as the host resolved it.
struct PluginEntries {
    decltype(&APCGetPlugName) GetPlugName;
    decltype(&APCVersionInfo) VersionInfo;
    decltype(&APCStartUp) StartUp;
    decltype(&APCCleanUp) CleanUp;
    decltype(&APCSetup) Setup;
    decltype(&APCRecFilter) RecFilter;
    decltype(&APCFolderCreate) FolderCreate;
    decltype(&APCFolderClose) FolderClose;
    decltype(&APCFolderInitMenu) FolderInitMenu;
    decltype(&APCFolderLoad) FolderLoad;
    decltype(&APCFolderEndRetrieve) FolderEndRetrieve;
    decltype(&APCSendCreate) SendCreate;
    decltype(&APCSendClose) SendClose;
    decltype(&APCSendInitMenu) SendInitMenu;
    decltype(&APCSendPost) SendPost;
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
