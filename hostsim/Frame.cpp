// The host's windows: main frame with its menu bar, the notification-icon window, the host's dialogs.
#include "Host.h"
#include "Mail.h"
#include "Plugin.h"

#include <map>

namespace {

const char* const ConnectedCaption = "サーバから切断する(&S)";
const char* const DisconnectedCaption = "サーバに接続する(&S)";

struct Pending {
    int64_t due;
    std::function<void()> action;
};
std::vector<Pending> PendingActions;

const char* CommandName(int command)
{
    switch (command) {
    case HostCmdReceive: return "receive";
    case HostCmdPatrolReceive: return "patrol receive";
    case HostCmdDistribute: return "distribute";
    case HostCmdToTray: return "to tray";
    case HostCmdConnection: return "connection";
    default: return nullptr;
    }
}

LRESULT CALLBACK MainFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        int command = LOWORD(wParam);
        if (RunCallbackCommand(window, command))
            return 0;
        const char* name = CommandName(command);
        if (name)
            LogEvent("command: %d (%s)", command, name);
        if (command == CmdPluginSettings)
            OpenPluginSettings(false);
        else if (command == HostCmdReceive || command == HostCmdPatrolReceive)
            StartReceive(command == HostCmdPatrolReceive);
        else if (command == HostCmdConnection)
            StartConnectionToggle();
        else if (command == HostCmdToTray)
            ShowWindow(window, SW_HIDE);
        return 0;
    }
    case WM_INITMENUPOPUP: {
        HMENU submenu = reinterpret_cast<HMENU>(wParam);
        if (submenu == ConnectionSubmenu(window))
            ModifyMenuA(submenu, HostCmdConnection, MF_BYCOMMAND | MF_STRING, HostCmdConnection,
                        Host.connected ? ConnectedCaption : DisconnectedCaption);
        return 0;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_RESTORE)
            LogEvent("host: main window restored (SC_RESTORE)");
        break;
    case WM_CLOSE:
        Host.quit = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK TrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TrayIconMessage) {
        LogEvent("tray: icon %u message %s", static_cast<unsigned>(wParam),
                 lParam == WM_LBUTTONDBLCLK ? "double-click" : lParam == WM_LBUTTONUP ? "button-up" : "other");
        if (lParam == WM_LBUTTONDBLCLK)
            ShowWindow(Host.mainFrame, SW_SHOW);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HMENU BuildMenuBar()
{
    HMENU bar = CreateMenu();
    const char* const tops[] = {"ファイル(&F)", "編集(&E)", "表示(&V)", "ツール(&T)", "ヘルプ(&H)"};
    for (int i = 0; i < 5; ++i) {
        HMENU sub = CreatePopupMenu();
        if (i == 3) {
            AppendMenuA(sub, MF_STRING, HostCmdReceive, "受信(&R)");
            AppendMenuA(sub, MF_STRING, HostCmdPatrolReceive, "巡回受信(&P)");
            AppendMenuA(sub, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(sub, MF_STRING, HostCmdConnection, DisconnectedCaption);
        } else if (i == 0) {
            AppendMenuA(sub, MF_STRING, CmdPluginSettings, "プラグインの設定(&G)");
        } else {
            AppendMenuA(sub, MF_STRING, 0xE100 + i, "(なし)");
        }
        AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), tops[i]);
    }
    return bar;
}

// The host's small dialogs: one button, an answer callback.
std::map<HWND, std::function<void(int)>> DialogAnswers;

LRESULT CALLBACK HostDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        char title[256] = "";
        GetWindowTextA(window, title, sizeof title);
        int id = LOWORD(wParam);
        LogEvent("dialog: \"%s\" answered %d", title, id);
        auto found = DialogAnswers.find(window);
        std::function<void(int)> answer;
        if (found != DialogAnswers.end()) {
            answer = found->second;
            DialogAnswers.erase(found);
        }
        DestroyWindow(window);
        if (answer)
            answer(id);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void After(int milliseconds, std::function<void()> action)
{
    PendingActions.push_back({SimClock::HostMilliseconds() + milliseconds, std::move(action)});
}

void RunDueHostActions()
{
    int64_t now = SimClock::HostMilliseconds();
    for (size_t i = 0; i < PendingActions.size();) {
        if (PendingActions[i].due <= now) {
            std::function<void()> action = std::move(PendingActions[i].action);
            PendingActions.erase(PendingActions.begin() + static_cast<long>(i));
            action();
        } else {
            ++i;
        }
    }
}

bool CreateHostWindows(HINSTANCE instance)
{
    WNDCLASSA frame{};
    frame.lpfnWndProc = MainFrameProc;
    frame.hInstance = instance;
    frame.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    frame.lpszClassName = "QuillpostFrame";
    WNDCLASSA view{};
    view.lpfnWndProc = DefWindowProcA;
    view.hInstance = instance;
    view.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    view.lpszClassName = MainFrameViewClass;
    WNDCLASSA tray{};
    tray.lpfnWndProc = TrayProc;
    tray.hInstance = instance;
    tray.lpszClassName = TrayWindowClass;
    WNDCLASSA dialog{};
    dialog.lpfnWndProc = HostDialogProc;
    dialog.hInstance = instance;
    dialog.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    dialog.lpszClassName = "QuillpostHostDialog";
    if (!RegisterClassA(&frame) || !RegisterClassA(&view) || !RegisterClassA(&tray) || !RegisterClassA(&dialog))
        return false;

    Host.mainFrame = CreateWindowA("QuillpostFrame", MainFrameTitle, WS_OVERLAPPEDWINDOW, 40, 40, 640, 420, nullptr,
                                   BuildMenuBar(), instance, nullptr);
    if (!Host.mainFrame)
        return false;
    Host.view = CreateWindowA(MainFrameViewClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 620, 360, Host.mainFrame,
                              nullptr, instance, nullptr);
    Host.trayWindow = CreateWindowA(TrayWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                    nullptr);
    ShowWindow(Host.mainFrame, SW_SHOWNORMAL);
    UpdateWindow(Host.mainFrame);
    return true;
}

HMENU ConnectionSubmenu(HWND frame)
{
    HMENU bar = GetMenu(frame ? frame : Host.mainFrame);
    return bar ? GetSubMenu(bar, 3) : nullptr;
}

HWND OpenFolderWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::string title = "Folder " + std::to_string(Host.folders.size()) + " - Quillpost";
    HWND frame = CreateWindowA("QuillpostFrame", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 80, 500, 300,
                               nullptr, BuildMenuBar(), instance, nullptr);
    if (!frame)
        return nullptr;
    Host.folders.push_back(frame);
    LogEvent("host: folder window %u opened, APCFolderCreate -> %d", static_cast<unsigned>(Host.folders.size() - 1),
             Plugin.FolderCreate(frame));
    Plugin.FolderInitMenu(frame, GetMenu(frame), FolderMenuBar);
    DrawMenuBar(frame);
    return frame;
}

void OpenPluginSettings(bool holdClock)
{
    LogEvent("user: opens the plug-in's settings%s", holdClock ? " (the clock held)" : "");
    // As in the real host the clock goes on while the sheet is open. A test that works at the sheet
    // in real time and needs the moment fixed holds it, here for the whole session, or with a wait.
    if (holdClock)
        ++Host.clockHeld;
    int result = Plugin.Setup(0);
    if (holdClock)
        --Host.clockHeld;
    LogEvent("host: APCSetup -> %d", result);
}

HWND ShowHostDialog(HWND owner, const char* title, int buttonId, const char* buttonText,
                    std::function<void(int)> onAnswer)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND dialog = CreateWindowA("QuillpostHostDialog", title, WS_POPUP | WS_CAPTION | WS_VISIBLE, 200, 200, 260,
                                110, owner, nullptr, instance, nullptr);
    if (!dialog)
        return nullptr;
    CreateWindowA("BUTTON", buttonText, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 90, 40, 80, 24, dialog,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(buttonId)), instance, nullptr);
    DialogAnswers[dialog] = std::move(onAnswer);
    LogEvent("dialog: \"%s\" shown", title);
    return dialog;
}

namespace {

void EndReceive(bool patrol)
{
    int result = Plugin.FolderEndRetrieve(0);
    LogEvent("host: %s ended, APCFolderEndRetrieve -> %d", patrol ? "patrol receive" : "receive", result);
}

// The receive ends within its command, and a notice then pumps messages (the host's timer
// included) for the receive's seconds, as a host that receives in the foreground does.
void ReceiveInForeground(bool patrol)
{
    EndReceive(patrol);
    HWND notice = ShowHostDialog(Host.mainFrame, "受信結果", IDOK, "OK", nullptr);
    int64_t until = SimClock::HostMilliseconds() + Host.receiveSeconds * 1000;
    while (!ScenarioOver() && IsWindow(notice) && SimClock::HostMilliseconds() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (IsWindow(notice))
        DestroyWindow(notice);
    LogEvent("host: the notice closed");
}

}  // namespace

void StartReceive(bool patrol)
{
    SendReleased(false);  // a receive sends what is queued first
    if (Host.receiveSync) {
        ReceiveInForeground(patrol);
        return;
    }
    HWND progress = nullptr;
    if (Host.receiveDialog)
        progress = ShowHostDialog(Host.mainFrame, ReceiveDialogTitle, IDCANCEL, "中止", nullptr);
    After(Host.receiveSeconds * 1000, [patrol, progress]() {
        if (progress && IsWindow(progress))
            DestroyWindow(progress);
        if (Host.receiveError.empty()) {
            EndReceive(patrol);
            return;
        }
        // The host's error box, with its message as a message box shows it; the receive ends
        // once it is answered.
        HWND error = ShowHostDialog(Host.mainFrame, ErrorDialogTitle, IDCANCEL, "OK", [patrol](int) { EndReceive(patrol); });
        CreateWindowA("STATIC", Host.receiveError.c_str(), WS_CHILD | WS_VISIBLE, 10, 10, 240, 20, error,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xFFFF)), GetModuleHandleA(nullptr), nullptr);
    });
}

void StartConnectionToggle()
{
    if (Host.connecting && Host.connectBehaviour == ConnectBehaviour::Toggle) {
        Host.connecting = false;
        ++Host.connectionCommands;
        LogEvent("host: connection command cancels the one under way");
        return;
    }
    if (Host.connecting) {
        LogEvent("host: connection command ignored, one is under way");
        return;
    }
    bool connecting = !Host.connected;
    if (!connecting && Host.connectBehaviour == ConnectBehaviour::ConfirmDisconnect) {
        ShowHostDialog(Host.mainFrame, DisconnectDialogTitle, IDYES, "はい", [](int answer) {
            if (answer == IDYES) {
                Host.connected = false;
                LogEvent("host: disconnected");
            }
        });
        return;
    }
    Host.connecting = true;
    int command = ++Host.connectionCommands;
    After(Host.connectDelaySeconds * 1000, [connecting, command]() {
        if (command != Host.connectionCommands)
            return;  // cancelled
        Host.connecting = false;
        if (connecting && Host.connectBehaviour == ConnectBehaviour::Fail) {
            ShowHostDialog(Host.mainFrame, ErrorDialogTitle, IDCANCEL, "OK", nullptr);
            return;
        }
        Host.connected = connecting;
        LogEvent("host: %s", connecting ? "connected" : "disconnected");
    });
}

bool RunCallbackCommand(HWND window, int command)
{
    int index = command - FirstCallbackCommand;
    if (index < 0 || index >= static_cast<int>(Host.callbacks.size()))
        return false;
    Registration registration = Host.callbacks[static_cast<size_t>(index)];
    ++Host.callbacks[static_cast<size_t>(index)].delivered;
    registration.callback(window, registration.value);
    return true;
}
