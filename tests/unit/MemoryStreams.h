#pragma once
// In-memory stand-ins for files: a source that hands out its bytes in pieces of a chosen size and
// may fail at a chosen offset, and a sink that may refuse after a number of bytes.

#include "../../common/pure/LineReader.h"
#include "../../common/pure/MessageRewrite.h"

#include <cstring>
#include <string>

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string bytes, int piece = 1 << 20, size_t failAt = std::string::npos)
        : bytes_(std::move(bytes)), piece_(piece), failAt_(failAt)
    {
    }
    int Read(unsigned char* buffer, int size) override
    {
        ++reads;
        if (at_ >= failAt_)
            return -1;
        size_t count = bytes_.size() - at_;
        count = count < static_cast<size_t>(size) ? count : static_cast<size_t>(size);
        count = count < static_cast<size_t>(piece_) ? count : static_cast<size_t>(piece_);
        if (failAt_ != std::string::npos && at_ + count > failAt_)
            count = failAt_ - at_;
        std::memcpy(buffer, bytes_.data() + at_, count);
        at_ += count;
        return static_cast<int>(count);
    }
    int reads = 0;

private:
    std::string bytes_;
    size_t at_ = 0;
    int piece_;
    size_t failAt_;
};

class MemorySink : public ByteSink {
public:
    explicit MemorySink(size_t limit = std::string::npos) : limit_(limit) {}
    bool Write(const void* data, size_t size) override
    {
        if (bytes.size() + size > limit_)
            return false;
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
    std::string bytes;

private:
    size_t limit_;
};
