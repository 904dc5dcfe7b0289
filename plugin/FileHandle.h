#pragma once
// The file ends of the byte streams the outbox code reads and writes through, over the owners of
// file and find handles.

#include "FileCalls.h"
#include "Owned.h"
#include "pure/LineReader.h"
#include "pure/MessageRewrite.h"

class FileSource : public ByteSource {
public:
    explicit FileSource(const FileHandle& file) : file_(file) {}
    int Read(unsigned char* buffer, int size) override
    {
        DWORD read = 0;
        if (!Files.Read(file_.Get(), buffer, static_cast<DWORD>(size), &read, nullptr)) {
            failed = true;
            return -1;
        }
        return static_cast<int>(read);
    }

    bool failed = false;  // a read failed: what was read may end anywhere

private:
    const FileHandle& file_;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(const FileHandle& file) : file_(file) {}
    bool Write(const void* data, size_t size) override
    {
        DWORD written = 0;
        return Files.Write(file_.Get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    }

private:
    const FileHandle& file_;
};

// Opens an existing file sharing reading and writing with others.
inline FileHandle OpenShared(const char* path, DWORD access)
{
    return FileHandle(Files.Create(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}
