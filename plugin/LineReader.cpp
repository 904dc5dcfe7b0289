#include "LineReader.h"

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

int BufferedReader::ReadChunk(unsigned char* out, int size)
{
    if (used_ < filled_) {
        int count = filled_ - used_ < size ? filled_ - used_ : size;
        std::memcpy(out, buffer_ + used_, static_cast<size_t>(count));
        used_ += count;
        return count;
    }
    return source_.Read(out, size);
}

// Works on the buffered bytes a piece at a time (the scan reads every index line this way), with
// the rules of reading one byte after another. One pass over each byte: under Wine the C
// library's memchr goes byte by byte through a call, which costs more than this loop.
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
        for (; i < count; ++i) {
            unsigned char c = bytes[i];
            if (c == '\n') {
                ended = true;
                break;
            }
            if (c != '\r' && stored < room)
                buffer[stored++] = static_cast<char>(c);
        }
        file.Take(ended ? i + 1 : i);
        if (ended)
            break;
    }
    if (limit > 0)
        buffer[stored] = '\0';
    return true;
}

LineEnd ReadWholeLine(BufferedReader& file, std::string& line)
{
    line.clear();
    for (;;) {
        int c = file.Next();
        if (c == BufferedReader::End)
            return LineEnd::EndOfFile;
        if (c == BufferedReader::Failed)
            return LineEnd::Failed;
        if (c == '\n')
            return LineEnd::Feed;
        if (c != '\r')
            line.push_back(static_cast<char>(c));
    }
}
