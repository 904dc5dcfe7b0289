#pragma once
// Owners of file and find handles, and the file ends of the byte streams the outbox code reads
// and writes through.

#include "FileCalls.h"
#include "LineReader.h"
#include "MessageRewrite.h"

#include <windows.h>

class FileHandle {
public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
    FileHandle& operator=(FileHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }
    void Close()
    {
        if (Valid())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle()
    {
        if (Valid())
            FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

class FileSource : public ByteSource {
public:
    explicit FileSource(const FileHandle& file) : file_(file) {}
    int Read(unsigned char* buffer, int size) override
    {
        DWORD read = 0;
        if (!Files.Read(file_.Get(), buffer, static_cast<DWORD>(size), &read, nullptr))
            return -1;
        return static_cast<int>(read);
    }

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
