#pragma once
// What Quillpost fixes and the plug-in relies on: its menu commands, where the plug-in's items go
// in its menus, the kinds of menu it hands over, and how its windows are told apart.

#include <windows.h>

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
