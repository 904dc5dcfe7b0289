#include "LineReader.h"

#include <cstdint>
#include <cstring>

int BufferedReader::Peek(const unsigned char** bytes)
{
    if (used_ == filled_) {
        int count = source_.Read(buffer_, size_);
        if (count <= 0)
            return count < 0 ? -1 : 0;
        used_ = 0;
        filled_ = count;
    }
    *bytes = buffer_ + used_;
    return filled_ - used_;
}

int BufferedReader::Next()
{
    const unsigned char* bytes = nullptr;
    int count = Peek(&bytes);
    if (count <= 0)
        return count < 0 ? Failed : End;
    ++used_;
    return bytes[0];
}

namespace {

// True when one of the four bytes of x is zero.
inline bool HasZeroByte(uint32_t x)
{
    return ((x - 0x01010101u) & ~x & 0x80808080u) != 0;
}

// The index of the first CR or LF among count bytes, or count when there is none. Four bytes a
// step: under Wine the C library's memchr is a call that goes one byte at a time.
int IndexOfLineByte(const unsigned char* bytes, int count)
{
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        uint32_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (HasZeroByte(word ^ 0x0A0A0A0Au) || HasZeroByte(word ^ 0x0D0D0D0Du))
            break;
    }
    for (; i < count; ++i)
        if (bytes[i] == '\n' || bytes[i] == '\r')
            return i;
    return count;
}

}  // namespace

// Works on the buffered bytes a piece at a time (the scan reads every index line this way), with
// the rules of reading one byte after another: the bytes between line bytes (CR, LF) are copied
// in runs, a CR is passed over, a LF ends the line.
bool ReadFileLine(BufferedReader& file, char* buffer, int limit)
{
    int stored = 0;
    int room = limit - 1;
    for (;;) {
        const unsigned char* bytes = nullptr;
        int count = file.Peek(&bytes);
        if (count == 0) {
            if (limit > 0)
                buffer[0] = '\0';
            return false;
        }
        if (count < 0)
            break;
        int i = 0;
        bool ended = false;
        while (i < count) {
            int run = IndexOfLineByte(bytes + i, count - i);
            int copied = run < room - stored ? run : room - stored;
            if (copied > 0) {
                std::memcpy(buffer + stored, bytes + i, static_cast<size_t>(copied));
                stored += copied;
            }
            i += run;
            if (i == count)
                break;
            ended = bytes[i++] == '\n';
            if (ended)
                break;
        }
        file.Take(i);
        if (ended)
            break;
    }
    if (limit > 0)
        buffer[stored] = '\0';
    return true;
}

bool TakeFeedAfterReturn(BufferedReader& file)
{
    const unsigned char* bytes = nullptr;
    int count = file.Peek(&bytes);
    if (count > 0 && bytes[0] == '\n')
        file.Take(1);
    return count >= 0;
}

namespace {

enum class LineStop { Ended, End, Failed };

// Reads a line on into buffer at *stored (while below room), and counts its bytes in *read.
LineStop ReadLineOn(BufferedReader& file, char* buffer, int room, int* stored, int* read)
{
    for (;;) {
        int c = file.Next();
        if (c == BufferedReader::End)
            return LineStop::End;
        if (c == BufferedReader::Failed)
            return LineStop::Failed;
        if (c == '\n')
            return LineStop::Ended;
        if (c == '\r')
            return TakeFeedAfterReturn(file) ? LineStop::Ended : LineStop::Failed;
        ++*read;
        // A NUL byte would end the text early: a line that begins with one would read as the
        // empty line that ends the header, where the rewrite reads on.
        if (*stored < room)
            buffer[(*stored)++] = c ? static_cast<char>(c) : ' ';
    }
}

}  // namespace

bool ReadHeaderField(BufferedReader& file, char* buffer, int limit)
{
    if (limit <= 0)
        return false;
    int stored = 0;
    int read = 0;
    LineStop stop = ReadLineOn(file, buffer, limit - 1, &stored, &read);
    // An empty line is the end of the header, never a field to go on with.
    while (stop == LineStop::Ended && read > 0) {
        const unsigned char* next = nullptr;
        int count = file.Peek(&next);
        if (count < 0)
            stop = LineStop::Failed;
        if (count <= 0 || (next[0] != ' ' && next[0] != '\t'))
            break;
        stop = ReadLineOn(file, buffer, limit - 1, &stored, &read);
    }
    buffer[stored] = '\0';
    return stop == LineStop::Ended || (stop == LineStop::End && read > 0);
}
