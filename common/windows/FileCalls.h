#pragma once
// The kernel32 file calls that the outbox scan and the message rewrite make, gathered in one
// table that each reader and writer is handed. The DLLs hand kernel32's own; a test hands a table
// with a failing call in place of any step to show that a message is never left half written.

#include <windows.h>

struct FileCalls {
    decltype(&CreateFileA) Create;
    decltype(&ReadFile) Read;
    decltype(&WriteFile) Write;
    decltype(&MoveFileExA) Move;
    decltype(&DeleteFileA) Delete;
    decltype(&SetFilePointerEx) Seek;
    decltype(&SetEndOfFile) SetEnd;
    decltype(&FlushFileBuffers) Flush;
};

extern const FileCalls SystemFileCalls;
