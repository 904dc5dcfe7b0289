#pragma once
// Replaces a loaded module's imports of system functions, so that a host (or a test) can stand in
// for the system where the module calls it.

#include <windows.h>

// Points every import of kernel32's function name in module at replacement. Returns the number of
// import slots changed (0 when the module does not import it by name).
int PatchKernel32Import(HMODULE module, const char* name, void* replacement);
// The same for a function of another system library ("shell32.dll").
int PatchImport(HMODULE module, const char* library, const char* name, void* replacement);
