#pragma once

// A new[] copy of text that the caller owns and frees with delete[]; none for a null text or
// when memory runs out.
char* CopyText(const char* text);
