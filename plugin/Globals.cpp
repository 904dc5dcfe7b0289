#include "Globals.h"

HINSTANCE PluginModule;
// Constructed in this order when the library loads, destroyed in reverse after detach.
Settings PlugSettings;
WindowList FolderWindows;
WindowList SendWindows;

HWND MainWindow()
{
    return FolderWindows.head ? FolderWindows.head->window : nullptr;
}
