#pragma once

#include <windows.h>

// A host callback: (window whose menu holds the command, value given at registration).
typedef int(__stdcall* HostCallback)(HWND window, LPARAM value);
typedef void(__stdcall* HostTimerProc)(int, int);

// The host's exported API, resolved all or nothing when the library is attached.
struct HostApi {
    int(__stdcall* RegistCallback)(HostCallback callback, LPARAM value);
    int(__stdcall* SetTimer)(int milliseconds, void* callback, int value);
    int(__stdcall* KillTimer)(int timerId);
    void* IsBusy;
    void* ExecQuillpost;
    const char*(__stdcall* GetMailbox)();
    void* GetAccount;
    void* GetFolderName;
    void* ImportFile;
    void* SaveMail;
    void* MoveMail;
    int(__stdcall* MarkMail)(const char* name, unsigned long mask, int set);
    void* DeleteMail;
    void* FolderGetCurrentFolder;
    void* FolderGetCurrentEntry;
    void* FolderGetSelectEntry;
    void* FolderChangePassword;
    void* FolderMailTo;
    void* FolderReply;
    void* FolderForward;
    void* FolderOpenMail;
    void* SendGetText;
    const char*(__stdcall* SendGetHeader)(HWND sendWindow);
    void* SendSetText;
    int(__stdcall* SendSetHeader)(HWND sendWindow, const char* text);
    void* SendGetEditor;
    void* ViewGetText;
    void* ViewGetHeader;
    void* ViewSetText;
    void* ViewGetPath;
    void* ViewGetEditor;
    void* ViewChangeMail;
    void* SjisToJis;
    void* JisToSjis;
};

// The exported names, in the order they are resolved; one per slot of HostApi.
extern const char* const HostApiNames[34];

extern HostApi Host;

// Binds the host's API from the running Quillpost.exe; 1 on success (or when already bound), 0
// with nothing bound on failure. No reference to the host is taken.
int BindHostApi();
// Forgets the host's API.
void ReleaseHostApi();
bool HostApiBound();
