// Outbox index lines and their Base64 flag field; and the line reader, which must give exactly
// the lines of reading one byte after another, whatever the pieces the file arrives in and
// whatever the size of the reader's buffer.
#include "EntryIndex.h"
#include "LineReader.h"

#include <cstring>
#include <string>
#include <vector>

namespace {
class Bytes : public ByteSource {
public:
    Bytes(const uint8_t* data, size_t size, size_t piece = 4096) : data_(data), size_(size), piece_(piece ? piece : 1) {}
    int Read(unsigned char* buffer, int size) override
    {
        size_t count = size_ - at_ < static_cast<size_t>(size) ? size_ - at_ : static_cast<size_t>(size);
        if (count > piece_)
            count = piece_;
        std::memcpy(buffer, data_ + at_, count);
        at_ += count;
        return static_cast<int>(count);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t piece_;
    size_t at_ = 0;
};

// The line rules read one byte at a time: CR dropped, LF ends the line, the rest of a long line
// dropped, a last line without LF not a line.
bool ReferenceLine(BufferedReader& file, std::vector<char>& buffer, int limit)
{
    int stored = 0;
    for (;;) {
        int c = file.Next();
        if (c == BufferedReader::End)
            return false;
        if (c == '\n')
            break;
        if (c != '\r' && stored < limit - 1)
            buffer[static_cast<size_t>(stored++)] = static_cast<char>(c);
    }
    buffer[static_cast<size_t>(stored)] = '\0';
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes source(data, size);
    BufferedReader reader(source);
    char line[1024];
    while (ReadFileLine(reader, line, sizeof line) && line[0]) {
        char name[1024];
        uint32_t flags = 0;
        if (ParseIndexLine(line, name, sizeof name, &flags)) {
            if (std::strlen(name) >= std::strlen(line))
                __builtin_trap();
            IsPlainEntryName(name);
        }
    }
    DecodeEntryFlags(reinterpret_cast<const char*>(data), size);

    if (size < 2)
        return 0;
    int limit = 1 + data[0] % 64;
    Bytes pieces(data + 2, size - 2, data[1]);
    Bytes whole(data + 2, size - 2);
    // The reader's own buffer, or a caller's buffer of a few bytes.
    static const int bufferSizes[4] = {0, 1, 3, 17};
    unsigned char callerBuffer[17];
    int bufferSize = bufferSizes[data[0] / 64];
    BufferedReader fast(pieces, bufferSize ? callerBuffer : nullptr, bufferSize), slow(whole);
    std::vector<char> got(static_cast<size_t>(limit)), expected(static_cast<size_t>(limit));
    for (;;) {
        bool more = ReadFileLine(fast, got.data(), limit);
        if (more != ReferenceLine(slow, expected, limit))
            __builtin_trap();
        if (!more)
            break;
        if (std::memcmp(got.data(), expected.data(), std::strlen(expected.data()) + 1) != 0)
            __builtin_trap();
    }
    return 0;
}
