// Outbox index lines and their Base64 flag field, which must split and decode as the plain
// reading of the format below does; and the line reader, which must give exactly the lines of
// reading one byte after another, whatever the pieces the file arrives in and whatever the size
// of the reader's buffer.
#include "../../common/pure/EntryIndex.h"
#include "../../common/pure/LineReader.h"

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
// The format read plainly: standard Base64 over the field's first 16 characters, stopping at a
// group that starts outside the alphabet, other outside characters as zero bits, undecoded bytes
// zero; the flag word is the first four bytes.
int PlainBase64Value(unsigned char c)
{
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = c ? std::strchr(alphabet, c) : nullptr;
    return at ? static_cast<int>(at - alphabet) : -1;
}

uint32_t PlainFlags(const char* data, size_t length)
{
    if (length > 16)
        length = 16;
    unsigned char bytes[12] = {};
    size_t bits = 0;
    for (size_t group = 0; group * 4 < length; ++group) {
        if (PlainBase64Value(static_cast<unsigned char>(data[group * 4])) < 0)
            break;
        size_t present = length - group * 4 < 4 ? length - group * 4 : 4;
        uint32_t word = 0;
        for (size_t i = 0; i < 4; ++i) {
            int value = i < present ? PlainBase64Value(static_cast<unsigned char>(data[group * 4 + i])) : -1;
            word = word << 6 | static_cast<uint32_t>(value < 0 ? 0 : value);
        }
        for (size_t i = 0; i < 3; ++i)
            bytes[group * 3 + i] = static_cast<unsigned char>(word >> (16 - 8 * i));
        bits += present * 6;
    }
    uint32_t flags = 0;
    for (size_t i = 0; i < 4 && i < bits / 8; ++i)
        flags |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return flags;
}

bool PlainIndexLine(const char* line, std::string& name, uint32_t* flags)
{
    const char* equals = std::strchr(line, '=');
    if (!equals || !equals[1])
        return false;
    const char* data = equals + 1;
    const char* colon = std::strchr(data, ':');
    size_t length = colon ? static_cast<size_t>(colon - data) : std::strlen(data);
    if (!length)
        return false;
    name.assign(line, equals);
    *flags = PlainFlags(data, length);
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
        std::string plainName;
        uint32_t plainFlags = 0;
        bool plain = PlainIndexLine(line, plainName, &plainFlags);
        if (ParseIndexLine(line, name, sizeof name, &flags) != plain)
            __builtin_trap();
        if (plain) {
            if (plainName != name || flags != plainFlags)
                __builtin_trap();
            IsPlainEntryName(name);
        }
        // A name that does not fit is refused, never cut.
        if (plain && !ParseIndexLine(line, name, plainName.size() + 1, &flags))
            __builtin_trap();
        if (plain && ParseIndexLine(line, name, plainName.size(), &flags))
            __builtin_trap();
    }
    for (size_t length = 0; length <= size && length <= 20; ++length)
        if (DecodeEntryFlags(reinterpret_cast<const char*>(data), length) !=
            PlainFlags(reinterpret_cast<const char*>(data), length))
            __builtin_trap();

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
