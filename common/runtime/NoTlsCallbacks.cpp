// No thread-local storage directory in the shipped DLLs.
//
// mingw-w64's DLL start-up code refers to this pointer; left to the runtime library, the
// reference brings in its TLS support, which gives the DLL a TLS directory with two callbacks.
// The loader then calls into the DLL at every thread start and end in the host, whatever
// DisableThreadLibraryCalls asks, and older Windows handles static TLS in a library loaded at run
// time poorly. Neither DLL has thread-local data, so the pointer is defined here as null and the
// runtime's TLS support is not linked.
#include <windows.h>

extern "C" const PIMAGE_TLS_CALLBACK __dyn_tls_init_callback = nullptr;
