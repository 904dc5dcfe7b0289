#include "LineReader.h"

#include <cstring>

int BufferedReader::Peek(const unsigned char** bytes)
{
    if (used_ == filled_) {
        int count = source_.Read(buffer_, static_cast<int>(sizeof buffer_));
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
// the rules of reading one byte after another.
bool ReadFileLine(BufferedReader& file, char* buffer, int limit)
{
    int stored = 0;
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
        const void* feed = std::memchr(bytes, '\n', static_cast<size_t>(count));
        int length = feed ? static_cast<int>(static_cast<const unsigned char*>(feed) - bytes) : count;
        // Copy the pieces between CRs while there is room.
        for (const unsigned char *at = bytes, *end = bytes + length; at < end && stored < limit - 1;) {
            const void* cr = std::memchr(at, '\r', static_cast<size_t>(end - at));
            const unsigned char* stop = cr ? static_cast<const unsigned char*>(cr) : end;
            int piece = static_cast<int>(stop - at) < limit - 1 - stored ? static_cast<int>(stop - at) : limit - 1 - stored;
            std::memcpy(buffer + stored, at, static_cast<size_t>(piece));
            stored += piece;
            at = cr ? stop + 1 : end;
        }
        file.Take(feed ? length + 1 : length);
        if (feed)
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
