#include "Globals.h"

HINSTANCE PluginModule;
LoadedRecord Loaded;

HWND MainWindow(const WindowList& folders)
{
    return folders.head ? folders.head->window : nullptr;
}
