#include "FileCalls.h"

const FileCalls SystemFileCalls = {CreateFileA, ReadFile,     WriteFile,    CopyFileA,
                                   MoveFileExA, DeleteFileA, GetTempPathA, GetTempFileNameA};
FileCalls Files = SystemFileCalls;
