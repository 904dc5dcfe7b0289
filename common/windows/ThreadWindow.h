#pragma once

#include <windows.h>

// Whether a search for a window of the calling thread takes hidden windows too.
enum class HiddenWindows { Count, Skip };

// The top-level window of the calling thread whose caption is caption, byte for byte (a locale
// comparison may take another window's caption for it); null when there is none.
HWND FindThreadWindow(const char* caption, HiddenWindows hidden);

// Shows window restored if it is minimized, and brings its last active popup to the front.
void BringWindowForward(HWND window);
