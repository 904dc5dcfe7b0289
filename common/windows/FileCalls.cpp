#include "FileCalls.h"

const FileCalls SystemFileCalls = {CreateFileA, ReadFile,         WriteFile,    MoveFileExA,
                                   DeleteFileA, SetFilePointerEx, SetEndOfFile, FlushFileBuffers};
