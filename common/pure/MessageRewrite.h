#pragma once
// The rewrite of a released message: header lines without the reservation, optionally a new
// "Date:" line, CR LF line ends, then the body byte for byte. No platform code, and no memory of
// its own beyond fixed buffers: a header line of any length streams through.

#include "LineReader.h"

#include <cstddef>

class ByteSink {
public:
    // Writes all size bytes; false when that failed.
    virtual bool Write(const void* data, size_t size) = 0;

protected:
    ~ByteSink() = default;
};

// Room for a "Date:" line the rewrite writes, its terminator included.
constexpr size_t DateLineSize = 80;

class DateLineMaker {
public:
    // Writes the line that replaces a "Date:" line into line (size bytes, NUL-terminated); false
    // to keep the line as it was.
    virtual bool NewDateLine(char* line, size_t size) = 0;

protected:
    ~DateLineMaker() = default;
};

// Copies the message from in to out. dates is null when "Date:" lines stay. False when a read or
// a write failed: the output is then incomplete and must not replace the message.
bool RewriteMessageText(BufferedReader& in, ByteSink& out, DateLineMaker* dates);

// How the release of one due message went.
struct RewriteReport {
    enum Result {
        Rewritten,    // released, the reservation line removed (and "Date:" written when asked)
        NotNamed,     // its id does not fit what the host takes: not released
        NoStaging,    // released, but no staging file could be made beside it
        NotOpened,    // released, but the message could not be opened for reading
        CopyFailed,   // released, but reading it or writing the new text failed
        Changed,      // released, but the message changed while it was read (another host process)
        NotReplaced,  // released, but the new text could not take the message's place
        Damaged,      // held back, its release undone: the message was partly written over, the
                      // new text is kept beside it
    };
    // Both texts start empty and are only ever read up to their end: the arrays are not filled,
    // which would cost a 352-byte image of the struct in the DLL's data, copied at each report.
    RewriteReport() { dateLine[0] = kept[0] = '\0'; }

    Result result = Rewritten;
    unsigned long error = 0;  // the system's error code, where one is known
    char dateLine[DateLineSize];  // the last "Date:" line written, "" for none
    // Damaged: the name of the file beside the message that holds the new text; a name in a
    // folder is at most 255 characters.
    char kept[260];
};
