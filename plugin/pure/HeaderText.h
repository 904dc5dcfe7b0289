#pragma once
// The "X-Reserve-Date:" line carried in a message's header, and ASCII case-blind matching of
// header names. No platform code: also built natively under the sanitizers and fuzzed.

#include <cstddef>
#include <cstdint>

extern const char ReserveHeaderName[];  // "X-Reserve-Date:"
constexpr size_t ReserveHeaderChars = 15;
// Room SetReserveDate needs beyond the header's own length.
constexpr size_t ReserveLineRoom = 100;

// True when text begins with prefix, ASCII letters compared without regard to case.
bool StartsWithNoCase(const char* text, const char* prefix);

// The value after a header name: blanks skipped, an optional sign, decimal digits up to the first
// other character. No digits read as 0; values beyond 32 bits saturate.
int32_t ReadDecimal(const char* text);

// The reservation of the first line (at the start or after a LF) that begins with
// "X-Reserve-Date:", or -1 when there is none. A null text has none.
int32_t FindReserveDate(const char* header);

// Writes into out (length of header + ReserveLineRoom bytes) the header without its reservation
// lines (those that begin with "X-Reserve-Date:", any case), preceded by the reservation line for
// time unless time is -1. Every other line is copied byte for byte.
void SetReserveDate(const char* header, char* out, int32_t time);
