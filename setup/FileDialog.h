#pragma once
// The file dialog of the export command.

#include <windows.h>
#include <commdlg.h>

// Shows comdlg32's save-file dialog. The library is loaded for this call only: imported, it came
// with every opening of the editor (and the print spooler with it, whose Wine version leaves a
// mutex, an event and a thread behind at every unload). False when the user cancels, with
// *error 0, or when the dialog failed, with *error the system's error code for the reason
// (ERROR_FILENAME_EXCED_RANGE for a name longer than the buffer). The process's current directory
// is as it was.
bool ShowSaveFileDialog(OPENFILENAMEA& save, DWORD* error);
