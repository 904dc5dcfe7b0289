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

// Header text is read in fields: a line (ended by LF, CR LF or a lone CR) and the lines after it
// that begin with a blank (folding).

// The reservation of the first field that begins with "X-Reserve-Date:", or -1 when there is
// none: a later one never counts. A null text has none.
int32_t FindReserveDate(const char* header);

// Room for a message's subject in a log line, its terminator included.
constexpr size_t LogSubjectSize = 96;

// When field (a field of header text, or one as ReadHeaderField gives it) is a "Subject:" field,
// true with its value as one line of text in out (LogSubjectSize bytes): nothing is decoded,
// blanks, line ends and other control bytes become single blanks, a lead byte without its trail
// byte goes, and a longer value is cut between characters and ends in "…". Otherwise false with
// out empty.
bool CopyLogSubject(const char* field, char* out);

// The first "Subject:" field of header text as CopyLogSubject gives it; "" when there is none.
void FindLogSubject(const char* header, char* out);

// How many fields begin with "X-Reserve-Date:".
int CountReserveFields(const char* header);

// Writes into out (length of header + ReserveLineRoom bytes) the header without its reservation
// fields (those that begin with "X-Reserve-Date:", any case, with their folded lines), preceded by
// the reservation line for time unless time is -1. Every other line is copied byte for byte.
void SetReserveDate(const char* header, char* out, int32_t time);
