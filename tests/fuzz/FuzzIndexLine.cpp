// Outbox index lines and their Base64 flag field.
#include "EntryIndex.h"
#include "LineReader.h"

#include <cstring>

namespace {
class Bytes : public ByteSource {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int Read(unsigned char* buffer, int size) override
    {
        size_t count = size_ - at_ < static_cast<size_t>(size) ? size_ - at_ : static_cast<size_t>(size);
        std::memcpy(buffer, data_ + at_, count);
        at_ += count;
        return static_cast<int>(count);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};
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
    return 0;
}
