// The host's send windows: a frame with its own menu bar (the plug-in's item goes to the fourth
// menu), the header text of the message being written, posting to the outbox and closing; and
// the scenario actions that drive them and the reservation dialog as a user would.
#include "Host.h"
#include "Mail.h"
#include "Plugin.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>


namespace {

struct SendWindow {
    HWND window = nullptr;
    std::string header;
    std::string body;
    std::string account;
};
std::map<int, SendWindow> SendWindows;  // by the scenario's number

LRESULT CALLBACK SendWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && RunCallbackCommand(window, LOWORD(wParam)))
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

HMENU BuildSendMenuBar()
{
    HMENU bar = CreateMenu();
    const char* const tops[] = {"ファイル(&F)", "編集(&E)", "表示(&V)", "ツール(&T)", "ヘルプ(&H)"};
    for (int i = 0; i < 5; ++i) {
        HMENU sub = CreatePopupMenu();
        AppendMenuA(sub, MF_STRING, 0xE200 + i, "(なし)");
        AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), tops[i]);
    }
    return bar;
}

// CR and LF shown as \r and \n, so that a header fits one log line.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return out;
}

SendWindow* Find(int number)
{
    auto found = SendWindows.find(number);
    return found == SendWindows.end() || !found->second.window ? nullptr : &found->second;
}

// The send window of an optional "@N" before an action's arguments, or none (then any dialog);
// the word is taken from in only when it is one.
HWND ChosenSendWindow(std::istringstream& in, std::string* label)
{
    std::streampos at = in.tellg();
    std::string word;
    if (in >> word && word.size() > 1 && word[0] == '@') {
        SendWindow* send = Find(std::atoi(word.c_str() + 1));
        *label = " in send window " + word.substr(1);
        return send ? send->window : reinterpret_cast<HWND>(-1);
    }
    in.clear();
    in.seekg(at);
    return nullptr;
}

// The reservation dialog: the window titled "送信予約" with the year field (a message box of the
// same title has none); with an owner, the one that window opened.
HWND ReserveDialog(HWND owner = nullptr)
{
    for (HWND window = FindWindowA("#32770", "送信予約"); window;
         window = FindWindowExA(nullptr, window, "#32770", "送信予約")) {
        if (GetDlgItem(window, 1003) && (!owner || GetWindow(window, GW_OWNER) == owner))
            return window;
    }
    return nullptr;
}

// A message box the reservation dialog shows, owned by it.
HWND ReserveDialogBox()
{
    HWND dialog = ReserveDialog();
    for (HWND window = FindWindowA("#32770", nullptr); dialog && window;
         window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
        if (window != dialog && GetWindow(window, GW_OWNER) == dialog)
            return window;
    }
    return nullptr;
}

// The user clicks button id of window; where names the window in the log.
void ClickButton(HWND window, int id, const std::string& where)
{
    HWND button = window ? GetDlgItem(window, id) : nullptr;
    char caption[64] = "";
    if (button)
        GetWindowTextA(button, caption, sizeof caption);
    LogEvent("user: clicks \"%s\"%s%s", caption, where.c_str(), button ? "" : " (no such button)");
    if (button)
        SendMessageA(button, BM_CLICK, 0, 0);
}

const int FieldIds[5] = {1003, 1005, 1007, 1009, 1011};

void OpenSendWindow(int number, const std::string& account)
{
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSA send{};
        send.lpfnWndProc = SendWindowProc;
        send.hInstance = instance;
        send.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        send.lpszClassName = "QuillpostSend";
        registered = RegisterClassA(&send) != 0;
    }
    std::string title = "送信 " + std::to_string(number);
    SendWindow& send = SendWindows[number];
    send.window = CreateWindowA("QuillpostSend", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 120, 480, 320,
                                nullptr, BuildSendMenuBar(), instance, nullptr);
    send.account = account;
    send.header = "From: user@example.jp\r\nTo: friend@example.jp\r\nSubject: message " + std::to_string(number) +
                  "\r\nDate: Mon, 07 Dec 2026 06:00:00 +0900\r\n";
    send.body = "Hello " + std::to_string(number) + "\r\n\x82\xA0 line\nLF only\r\n";
    LogEvent("host: send window %d opened, APCSendCreate -> %d", number, Plugin.SendCreate(send.window));
    Plugin.SendInitMenu(send.window, GetMenu(send.window), SendMenuBar);
    DrawMenuBar(send.window);
}

// The plug-in's item in the fourth menu, by its caption.
int ReserveItem(HWND window)
{
    HMENU menu = GetSubMenu(GetMenu(window), 3);
    int found = 0;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[128] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        if (std::string(text) == "送信予約")
            found = static_cast<int>(GetMenuItemID(menu, i));
    }
    return found;
}

BOOL CALLBACK FirstText(HWND child, LPARAM param)
{
    char cls[16] = "", text[1024] = "";
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(cls, "Static") != 0 || !text[0])
        return TRUE;
    *reinterpret_cast<std::string*>(param) = text;
    return FALSE;
}

}  // namespace

const char* SendWindowHeader(HWND window)
{
    for (auto& [number, send] : SendWindows) {
        if (send.window == window)
            return send.header.c_str();
    }
    return nullptr;
}

bool SetSendWindowHeader(HWND window, const char* text)
{
    for (auto& [number, send] : SendWindows) {
        if (send.window == window) {
            send.header = text ? text : "";
            LogEvent("header %d: set", number);
            return true;
        }
    }
    return false;
}

bool RunMailAction(const std::string& verb, const std::string& line)
{
    std::istringstream in(line);
    std::string skip;
    in >> skip;
    int number = 0;
    if (verb == "send-open") {
        std::string account = "Account1";
        in >> number >> account;
        OpenSendWindow(number, account);
    } else if (verb == "send-menu") {
        in >> number;
        SendWindow* send = Find(number);
        int item = send ? ReserveItem(send->window) : 0;
        LogEvent("user: chooses \"送信予約\" in send window %d%s", number, item ? "" : " (no such item)");
        // Sent, so the dialog's modal loop runs inside this step and the clock goes on in it.
        if (item)
            SendMessageA(send->window, WM_COMMAND, static_cast<WPARAM>(item), 0);
    } else if (verb == "reserve-fill") {
        // reserve-fill [@N] YEAR MONTH DAY HOUR MINUTE (a field given as "-" is emptied); @N: the
        // dialog of send window N
        std::string label;
        HWND dialog = ReserveDialog(ChosenSendWindow(in, &label));
        std::string value, shown;
        for (int i = 0; i < 5 && in >> value; ++i) {
            if (dialog)
                SetDlgItemTextA(dialog, FieldIds[i], value == "-" ? "" : value.c_str());
            shown += " " + value;
        }
        LogEvent("user: fills%s%s%s", shown.c_str(), label.c_str(), dialog ? "" : " (no dialog)");
    } else if (verb == "reserve-click") {
        // reserve-click @N ID: presses button ID of the dialog send window N opened
        std::string label;
        HWND owner = ChosenSendWindow(in, &label);
        int id = 0;
        in >> id;
        ClickButton(owner ? ReserveDialog(owner) : nullptr, id, label);
    } else if (verb == "reserve-box") {
        // reserve-box [ID]: the text and title of a box owned by the reservation dialog, then
        // presses ID in it
        int id = 0;
        in >> id;
        HWND box = ReserveDialogBox();
        std::string text;
        char title[64] = "";
        if (box) {
            EnumChildWindows(box, FirstText, reinterpret_cast<LPARAM>(&text));
            GetWindowTextA(box, title, sizeof title);
        }
        LogEvent("box: %s", box ? ("\"" + std::string(title) + "\" " + Escaped(text)).c_str() : "(none)");
        if (box && id)
            PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(id), 0);
    } else if (verb == "send-subject") {
        // send-subject N TEXT: the user writes TEXT as the subject
        in >> number;
        SendWindow* send = Find(number);
        std::string subject;
        std::getline(in >> std::ws, subject);
        if (send) {
            size_t at = send->header.find("Subject: ");
            size_t end = send->header.find("\r\n", at);
            send->header.replace(at + 9, end - at - 9, subject);
        }
    } else if (verb == "send-drop-line") {
        // send-drop-line N PREFIX: the user deletes the header line that begins with PREFIX
        std::string prefix;
        in >> number >> prefix;
        SendWindow* send = Find(number);
        size_t at = send ? send->header.find(prefix) : std::string::npos;
        if (at != std::string::npos && (at == 0 || send->header[at - 1] == '\n')) {
            size_t end = send->header.find('\n', at);
            send->header.erase(at, end == std::string::npos ? std::string::npos : end + 1 - at);
        }
        LogEvent("user: deletes the %s line in send window %d", prefix.c_str(), number);
    } else if (verb == "reserve-fields") {
        // reserve-fields [@N]
        std::string label;
        HWND dialog = ReserveDialog(ChosenSendWindow(in, &label));
        std::string shown;
        for (int id : FieldIds) {
            char text[32] = "";
            if (dialog)
                GetDlgItemTextA(dialog, id, text, sizeof text);
            shown += std::string(" ") + text;
        }
        LogEvent("dialog: fields%s%s", shown.c_str(), label.c_str());
        char moment[64] = "";
        if (dialog)
            GetDlgItemTextA(dialog, 1013, moment, sizeof moment);
        LogEvent("dialog: moment %s", moment);
    } else if (verb == "click") {
        // click TITLE ID: presses the button of a window with that title
        std::string title;
        int id = 0;
        in >> title >> id;
        ClickButton(FindWindowA(nullptr, title.c_str()), id, " in \"" + title + "\"");
    } else if (verb == "window-text") {
        std::string title, text;
        in >> title;
        HWND window = FindWindowA(nullptr, title.c_str());
        if (window)
            EnumChildWindows(window, FirstText, reinterpret_cast<LPARAM>(&text));
        LogEvent("window \"%s\": %s", title.c_str(), window ? Escaped(text).c_str() : "(none)");
    } else if (verb == "send-header") {
        in >> number;
        SendWindow* send = Find(number);
        LogEvent("header %d: %s", number, send ? Escaped(send->header).c_str() : "(no window)");
    } else if (verb == "send-post") {
        // send-post N [close]: close, the host closes the window after the post (APCSendClose)
        std::string close;
        in >> number >> close;
        SendWindow* send = Find(number);
        if (!send)
            return true;
        std::string path = StoreOutboxMessage(send->account, send->header + "\r\n" + send->body,
                                              "message " + std::to_string(number));
        LogEvent("host: send window %d posted %s", number, path.substr(Host.mailboxRoot.size()).c_str());
        LogEvent("host: APCSendPost -> %d", Plugin.SendPost(send->window, path.c_str()));
        if (close == "close") {
            Plugin.SendClose(send->window);
            LogEvent("host: send window %d closed", number);
        }
        DestroyWindow(send->window);
        send->window = nullptr;
    } else if (verb == "send-close") {
        in >> number;
        SendWindow* send = Find(number);
        if (!send)
            return true;
        LogEvent("host: send window %d closing", number);
        Plugin.SendClose(send->window);
        LogEvent("host: send window %d closed", number);
        DestroyWindow(send->window);
        send->window = nullptr;
    } else if (verb == "outbox-store") {
        // outbox-store ACCOUNT TIME: a reserved message posted in an earlier session, held back
        std::string account;
        long long reserve = 0;
        in >> account >> reserve;
        std::string text = "X-Reserve-Date: " + std::to_string(reserve) +
                           "\r\nFrom: user@example.jp\r\nSubject: stored\r\nDate: Mon, 07 Dec 2026 05:00:00 +0900\r\n"
                           "\r\nStored body\r\n";
        std::string path = StoreOutboxMessage(account, text, "stored");
        std::string id = path.substr(Host.mailboxRoot.size());
        id.resize(id.size() - 4);
        MarkOutboxEntry(id.c_str(), EntryQueued, false);
    } else if (verb == "hold-message") {
        // hold-message ACCOUNT NAME rw|none: the host keeps the message file open
        std::string account, name, share;
        in >> account >> name >> share;
        bool held = HoldOutboxMessage(account, name, share == "rw");
        LogEvent("host: holds %s\\Outbox.box\\%s open, sharing %s%s", account.c_str(), name.c_str(),
                 share == "rw" ? "reading and writing" : "nothing", held ? "" : " (cannot open it)");
    } else if (verb == "unhold-messages") {
        ReleaseHeldMessages();
        LogEvent("host: closes the message files it held");
    } else if (verb == "send") {
        SendReleased();
    } else if (verb == "outbox") {
        LogOutbox();
    } else {
        return false;
    }
    return true;
}
