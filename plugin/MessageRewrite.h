#pragma once
// The rewrite of a released message: header lines without the reservation, optionally a new
// "Date:" line, CR LF line ends, then the body byte for byte. No platform code.

#include "LineReader.h"

#include <cstddef>
#include <string>

class ByteSink {
public:
    // Writes all size bytes; false when that failed.
    virtual bool Write(const void* data, size_t size) = 0;

protected:
    ~ByteSink() = default;
};

class DateLineMaker {
public:
    // The line that replaces a "Date:" line; false to keep the line as it was.
    virtual bool NewDateLine(std::string& line) = 0;

protected:
    ~DateLineMaker() = default;
};

// Copies the message from in to out. dates is null when "Date:" lines stay. False when a read or
// a write failed: the output is then incomplete and must not replace the message.
bool RewriteMessageText(BufferedReader& in, ByteSink& out, DateLineMaker* dates);
