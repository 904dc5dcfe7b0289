#include "LineReader.h"

#include <cstring>

int BufferedReader::Next()
{
    if (used_ == filled_) {
        int count = source_.Read(buffer_, static_cast<int>(sizeof buffer_));
        if (count < 0)
            return Failed;
        if (count == 0)
            return End;
        used_ = 0;
        filled_ = count;
    }
    return buffer_[used_++];
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

bool ReadFileLine(BufferedReader& file, char* buffer, int limit)
{
    int stored = 0;
    for (;;) {
        int c = file.Next();
        if (c == BufferedReader::End) {
            if (limit > 0)
                buffer[0] = '\0';
            return false;
        }
        if (c == BufferedReader::Failed || c == '\n')
            break;
        if (c == '\r')
            continue;
        if (stored < limit - 1)
            buffer[stored++] = static_cast<char>(c);
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
