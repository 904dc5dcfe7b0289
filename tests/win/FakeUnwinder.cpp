// A stand-in for the GCC runtime DLL that mingw-built programs may bring into the host: it only
// counts the frame registrations that other libraries make with it while they start and end.
#include <windows.h>

namespace {
LONG Registrations = 0;
LONG Deregistrations = 0;
}  // namespace

extern "C" void __register_frame_info(const void*, void*)
{
    InterlockedIncrement(&Registrations);
}

extern "C" void* __deregister_frame_info(const void*)
{
    InterlockedIncrement(&Deregistrations);
    return nullptr;
}

// Registrations and deregistrations so far.
extern "C" void FrameCalls(LONG* registrations, LONG* deregistrations)
{
    *registrations = Registrations;
    *deregistrations = Deregistrations;
}
