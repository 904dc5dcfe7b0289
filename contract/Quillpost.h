#pragma once
// What Quillpost and its plug-in fix between them, shared by the plug-in and the simulated host:
// the plug-in's exports, the host's API table, the host's menu commands and the kinds of menu it
// hands over, how its windows and dialogs are told apart, the marks of an outbox entry, and the
// editor's string that captions its sheet.

#include <cstddef>
#include <cstdint>

// The flag word of an outbox entry (its index line's data field), as the host's MarkMail sets
// it. Plain numbers: the code without platform calls that reads the index uses them as well, so
// they come before the platform's part.
constexpr uint32_t EntryMarkField = 0x00000007;
constexpr uint32_t EntryQueued = 0x01000000;       // released, or never held back
constexpr uint32_t EntryReleaseBits = 0xC1000000;  // all set: the entry goes out with the next send

// The mailbox below the host's root: a folder per account ("Account1"), each with its outbox
// folder, which holds the outbox's index and a file per message named after its entry.
inline constexpr char AccountFolders[] = "Account*";
inline constexpr char OutboxFolder[] = "Outbox.box";
inline constexpr char OutboxIndex[] = "Entry.lst";
inline constexpr char MessageSuffix[] = ".qpm";

// The settings editor's (chronset.dll's) string that captions its sheet: chronel finds an open
// sheet by it.
constexpr unsigned SheetCaptionString = 200;

#ifdef _WIN32
#include <windows.h>

// The plug-in's exports, by name at the fixed ordinals of chronel.def.
extern "C" {
const char* __stdcall APCGetPlugName();
// The about box over parent.
int __stdcall APCVersionInfo(HWND parent);
int __stdcall APCStartUp(int);
int __stdcall APCCleanUp();
// The settings editor; 1 when settings were saved.
int __stdcall APCSetup(int);
int __stdcall APCRecFilter(int);
int __stdcall APCFolderCreate(HWND window);
void __stdcall APCFolderClose(HWND window);
// kind: FolderMenuBar for the window's menu bar.
void __stdcall APCFolderInitMenu(HWND window, HMENU menu, int kind);
void __stdcall APCFolderLoad(int, int);
// The end of a mail retrieval: the schedule's mode after it.
int __stdcall APCFolderEndRetrieve(int);
int __stdcall APCSendCreate(HWND window);
void __stdcall APCSendClose(HWND window);
// kind: SendMenuBar or SendMenuPopup.
void __stdcall APCSendInitMenu(HWND window, HMENU menu, int kind);
// A send window's message was posted; path: its file.
int __stdcall APCSendPost(HWND window, const char* path);
}

// A host callback: (window whose menu holds the command, value given at registration).
typedef int(__stdcall* HostCallback)(HWND window, LPARAM value);

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

// The host's file name: the plug-in and the editor find the running host by it.
inline constexpr char HostModuleName[] = "Quillpost.exe";

// The exported names of the API, one per slot of HostApi, in its order.
inline constexpr const char* HostApiNames[] = {
    "_APARegistCallback@8",
    "_APASetTimer@12",
    "_APAKillTimer@4",
    "_APAIsBusy@0",
    "_APAExecQuillpost@4",
    "_APAGetMailbox@0",
    "_APAGetAccount@4",
    "_APAGetFolderName@4",
    "_APAImportFile@12",
    "_APASaveMail@16",
    "_APAMoveMail@8",
    "_APAMarkMail@12",
    "_APADeleteMail@4",
    "_APAFolderGetCurrentFolder@4",
    "_APAFolderGetCurrentEntry@4",
    "_APAFolderGetSelectEntry@8",
    "_APAFolderChangePassword@8",
    "_APAFolderMailTo@8",
    "_APAFolderReply@8",
    "_APAFolderForward@8",
    "_APAFolderOpenMail@12",
    "_APASendGetText@8",
    "_APASendGetHeader@4",
    "_APASendSetText@8",
    "_APASendSetHeader@8",
    "_APASendGetEditor@4",
    "_APAViewGetText@4",
    "_APAViewGetHeader@4",
    "_APAViewSetText@8",
    "_APAViewGetPath@4",
    "_APAViewGetEditor@4",
    "_APAViewChangeMail@8",
    "_APASjisToJis@12",
    "_APAJisToSjis@12",
};
constexpr size_t HostApiSlots = sizeof HostApiNames / sizeof *HostApiNames;
static_assert(sizeof(HostApi) == HostApiSlots * sizeof(void*), "one name per slot");
// The exported name of the slot of HostApi at offset (offsetof(HostApi, GetMailbox)).
constexpr const char* HostApiNameAt(size_t offset)
{
    return HostApiNames[offset / sizeof(void*)];
}

// The commands RegistCallback hands out, one each, from this one up.
constexpr int FirstCallbackCommand = 40000;

// Menu commands of the host's main window.
enum HostCommands {
    HostCmdReceive = 32786,
    HostCmdDistribute = 32825,
    HostCmdToTray = 32828,
    HostCmdConnection = 32835,
    HostCmdPatrolReceive = 32859,
};

// The kind given with APCFolderInitMenu and APCSendInitMenu.
constexpr int FolderMenuBar = 101;  // a folder window's menu bar
constexpr int SendMenuBar = 301;    // the send window's menu bar
constexpr int SendMenuPopup = 302;  // a menu that takes the send window's item itself
// The fourth top-level menu: the folder window's holds the connection item, the send window's
// takes the reservation item.
constexpr int PluginSubmenuPosition = 3;
constexpr int SendSubmenuPosition = 3;
// The connection item's caption while it offers to disconnect.
inline constexpr char ConnectedCaption[] = "サーバから切断する(&S)";

// The tray icon's notification message to the tray window.
constexpr UINT TrayIconMessage = WM_USER + 223;

// The main frame is titled "Quillpost", with a view of class MainFrameViewClass, or ends its
// title in "- Quillpost" once a folder is open.
inline constexpr char MainFrameTitle[] = "Quillpost";
inline constexpr char MainFrameSuffix[] = "- Quillpost";
inline constexpr char MainFrameViewClass[] = "AfxFrameOrView42s";
// The hidden window that owns the tray icon.
inline constexpr char TrayWindowClass[] = "Quillpost32Class";
// Titles of the host dialogs a scheduled run may meet.
inline constexpr char ErrorDialogTitle[] = "エラー";
inline constexpr char ReceiveDialogTitle[] = "メール受信";
inline constexpr char DisconnectDialogTitle[] = "ダイヤル切断の確認";
#endif
