#pragma once
// Buffered reading of mailbox files by lines (index and header lines), keeping the line rules of
// a byte-by-byte reader: CR dropped, LF ends a line, a last line without LF is not a line.
// No platform code: the file is reached through ByteSource.

#include <cstddef>

class ByteSource {
public:
    // Reads up to size bytes: the count read, 0 at the end, negative when the read failed.
    virtual int Read(unsigned char* buffer, int size) = 0;

protected:
    ~ByteSource() = default;
};

class BufferedReader {
public:
    enum : int { End = -1, Failed = -2 };

    explicit BufferedReader(ByteSource& source) : source_(source), buffer_(own_), size_(static_cast<int>(sizeof own_)) {}
    // Reads through the caller's buffer of size bytes instead of its own 4 KB: a file read from
    // one end to the other goes faster in fewer, larger reads. Without a buffer, its own.
    BufferedReader(ByteSource& source, unsigned char* buffer, int size)
        : source_(source), buffer_(buffer && size > 0 ? buffer : own_),
          size_(buffer && size > 0 ? size : static_cast<int>(sizeof own_))
    {
    }
    BufferedReader(const BufferedReader&) = delete;
    BufferedReader& operator=(const BufferedReader&) = delete;

    // The next byte (0 to 255), End or Failed.
    int Next();
    // The buffered bytes not yet taken, reading more when none are left: their count, 0 at the
    // end, negative on failure. Take(count) then consumes count of them.
    int Peek(const unsigned char** bytes);
    void Take(int count) { used_ += count; }

private:
    ByteSource& source_;
    unsigned char own_[4096];
    unsigned char* buffer_;
    int size_;
    int used_ = 0;
    int filled_ = 0;
};

// Reads one line into buffer, keeping at most limit - 1 bytes (the rest of the line is dropped).
// True with the line when a LF ended it or a read failed; false at the end of the file.
bool ReadFileLine(BufferedReader& file, char* buffer, int limit);

// Reads one header field of a message into buffer, keeping at most limit - 1 bytes: a line ended
// by LF, CR LF or a lone CR, or by the end of the file, with the lines after it that begin with a
// blank (folding) joined on without their line ends; a NUL byte comes back as a blank. An empty line
// ends the header and comes back as "". False at the end of the file or when a read failed.
bool ReadHeaderField(BufferedReader& file, char* buffer, int limit);

// After a CR that ended a line: takes the LF of a CR LF. False when the read failed.
bool TakeFeedAfterReturn(BufferedReader& file);
