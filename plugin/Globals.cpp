#include "Globals.h"

HINSTANCE PluginModule;
LoadedRecord Loaded;
