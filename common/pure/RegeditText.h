#pragma once
// The export file's text, built in memory. Pure code: no Windows headers, so it is tested natively.

#include "Settings.h"

#include "TextBuffer.h"

// The whole store as REGEDIT4 text: LF line ends, bytes as held (ANSI code page), no BOM. Failed()
// when memory ran out on the way.
TextBuffer BuildRegeditText(const Settings& settings);

// A value's text as a REGEDIT4 string needs it: backslash and quotation mark escaped.
TextBuffer RegeditQuoted(const char* text);
