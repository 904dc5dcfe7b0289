#pragma once
// Threads that may outlive the host's hold on their library: each holds a reference of its own
// to the library its procedure lies in, so that a host freeing the library meanwhile cannot unmap
// the code under it. The reference goes with the thread's end (FreeLibraryAndExitThread, which
// returns into nothing).

#include "../pure/Owned.h"

// Runs procedure(parameter) on a new thread pinned so; its exit code is what procedure returns.
// The thread's handle, or empty when none was started (procedure then never runs, and parameter
// is still the caller's to free).
ObjectHandle StartPinnedThread(LPTHREAD_START_ROUTINE procedure, void* parameter);
