#pragma once
// The export file's text, built in memory. Pure code: no Windows headers, so it is tested natively.

#include "Settings.h"

#include <string>

// The whole store as REGEDIT4 text: LF line ends, bytes as held (ANSI code page), no BOM.
std::string BuildRegeditText(const Settings& settings);

// A value's text as a REGEDIT4 string needs it: backslash and quotation mark escaped.
std::string RegeditQuoted(const std::string& text);
