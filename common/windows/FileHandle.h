#pragma once
// The file ends of the byte streams the outbox code reads and writes through, over the owners of
// file and find handles.

#include "../pure/Allocation.h"
#include "FileCalls.h"
#include "../pure/Owned.h"
#include "../pure/LineReader.h"
#include "../pure/MessageRewrite.h"

class FileSource : public ByteSource {
public:
    FileSource(const FileHandle& file, const FileCalls& files) : file_(file), files_(files) {}
    int Read(unsigned char* buffer, int size) override
    {
        DWORD read = 0;
        if (!files_.Read(file_.Get(), buffer, static_cast<DWORD>(size), &read, nullptr)) {
            failed = true;
            return -1;
        }
        return static_cast<int>(read);
    }

    bool failed = false;  // a read failed: what was read may end anywhere

private:
    const FileHandle& file_;
    const FileCalls& files_;
};

class FileSink : public ByteSink {
public:
    FileSink(const FileHandle& file, const FileCalls& files) : file_(file), files_(files) {}
    bool Write(const void* data, size_t size) override
    {
        DWORD written = 0;
        return files_.Write(file_.Get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    }

private:
    const FileHandle& file_;
    const FileCalls& files_;
};

// Opens an existing file sharing reading and writing with others.
inline FileHandle OpenShared(const char* path, DWORD access, const FileCalls& files)
{
    return FileHandle(files.Create(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A buffer for copying a file in large blocks, taken from the heap for one copy rather than from
// the stack of the thread that copies (the host's, whose stack is not ours to size). Short of
// memory, a small block of its own does the same work in more calls.
class CopyBuffer {
public:
    CopyBuffer() : large_(new (NoThrow) unsigned char[LargeSize]) {}
    ~CopyBuffer() { delete[] large_; }
    CopyBuffer(const CopyBuffer&) = delete;
    CopyBuffer& operator=(const CopyBuffer&) = delete;
    unsigned char* Bytes() { return large_ ? large_ : small_; }
    int Size() const { return large_ ? LargeSize : static_cast<int>(sizeof small_); }

private:
    static constexpr int LargeSize = 64 * 1024;
    unsigned char* large_;
    unsigned char small_[4096];
};
