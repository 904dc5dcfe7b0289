#include "Scenario.h"

#include "Host.h"
#include "Mail.h"
#include "Plugin.h"
#include "TimeText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

// The rest of the line after the first n words.
std::string Rest(const std::string& line, int words)
{
    size_t at = 0;
    for (int i = 0; i < words; ++i) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string::npos)
            return "";
        at = line.find_first_of(" \t", at);
        if (at == std::string::npos)
            return "";
    }
    at = line.find_first_not_of(" \t", at);
    return at == std::string::npos ? "" : line.substr(at);
}

HKEY CreateKey(const std::string& path)
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

const std::string PlugKeyPath = "Software\\Quor\\ChronelPlug";

// setting NAME dword N | setting NAME sz TEXT | server NAME N | entry DAY HH:MM [around] [sntp] [everyday]
bool ApplySetupLine(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "setting" || verb == "server") {
        std::string name, kind;
        in >> name;
        HKEY key = CreateKey(verb == "server" ? PlugKeyPath + "\\Server" : PlugKeyPath);
        if (!key)
            return false;
        if (verb == "setting")
            in >> kind;
        else
            kind = "dword";
        LONG status;
        if (kind == "dword") {
            long value = 0;
            in >> value;
            DWORD data = static_cast<DWORD>(value);
            status = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&data), 4);
        } else {
            std::string text = Rest(line, 3);
            status = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                                    static_cast<DWORD>(text.size()));
        }
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    if (verb == "entry") {
        std::string day, time, flag;
        in >> day >> time;
        int hour = -1, minute = -1;
        if (std::sscanf(time.c_str(), "%d:%d", &hour, &minute) != 2)
            return false;
        DWORD around = 0, sntp = 0, everyDay = 0;
        while (in >> flag) {
            if (flag == "around")
                around = 1;
            else if (flag == "sntp")
                sntp = 1;
            else if (flag == "everyday")
                everyDay = 1;
            else
                return false;
        }
        std::string dayPath = PlugKeyPath + "\\Schedule\\" + day;
        HKEY dayKey = CreateKey(dayPath);
        if (!dayKey)
            return false;
        DWORD count = 0;
        RegQueryInfoKeyA(dayKey, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(dayKey);
        HKEY entry = CreateKey(dayPath + "\\data" + std::to_string(count));
        if (!entry)
            return false;
        DWORD values[] = {static_cast<DWORD>(hour), static_cast<DWORD>(minute), everyDay, around, sntp};
        const char* names[] = {"Hour", "Minute", "EveryDay", "Around", "SNTP"};
        for (int i = 0; i < 5; ++i)
            RegSetValueExA(entry, names[i], 0, REG_DWORD, reinterpret_cast<BYTE*>(&values[i]), 4);
        RegCloseKey(entry);
        return true;
    }
    if (verb == "clear-settings") {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quor");
        return true;
    }
    if (verb == "connect") {
        std::string mode;
        int delay = Host.connectDelaySeconds;
        in >> mode >> delay;
        if (mode == "succeed")
            Host.connectBehaviour = ConnectBehaviour::Succeed;
        else if (mode == "fail")
            Host.connectBehaviour = ConnectBehaviour::Fail;
        else if (mode == "confirm")
            Host.connectBehaviour = ConnectBehaviour::ConfirmDisconnect;
        else if (mode == "toggle")
            Host.connectBehaviour = ConnectBehaviour::Toggle;
        else
            return false;
        Host.connectDelaySeconds = delay;
        return true;
    }
    if (verb == "connected") {
        Host.connected = true;
        return true;
    }
    if (verb == "no-folder") {
        Host.reportFolder = false;
        return true;
    }
    if (verb == "receive-seconds") {
        in >> Host.receiveSeconds;
        return true;
    }
    if (verb == "receive-sync") {
        Host.receiveSync = true;
        return true;
    }
    if (verb == "receive-error") {
        Host.receiveError = Rest(line, 1);
        return !Host.receiveError.empty();
    }
    return ApplyHostOption(line);
}

// The plug-in's schedule item: the item of submenu 3 whose caption begins with "CHRONEL".
int ScheduleItem(std::string* caption, HWND frame = nullptr)
{
    HMENU submenu = ConnectionSubmenu(frame);
    int count = submenu ? GetMenuItemCount(submenu) : 0;
    int found = 0;
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        GetMenuStringA(submenu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        if (std::strncmp(text, "CHRONEL ｽｹｼﾞｭｰﾙ", std::strlen("CHRONEL ｽｹｼﾞｭｰﾙ")) == 0) {
            found = static_cast<int>(GetMenuItemID(submenu, i));
            if (caption)
                *caption = text;
        }
    }
    return found;
}

BOOL CALLBACK FirstStaticText(HWND child, LPARAM found)
{
    char name[16] = "", text[2048] = "";
    GetClassNameA(child, name, sizeof name);
    if (_stricmp(name, "Static") != 0 || !GetWindowTextA(child, text, sizeof text))
        return TRUE;
    *reinterpret_cast<std::string*>(found) = text;
    return FALSE;
}

// A message box's text on one line, its line breaks as " | ".
std::string StaticTextOf(HWND window)
{
    std::string text;
    EnumChildWindows(window, FirstStaticText, reinterpret_cast<LPARAM>(&text));
    for (size_t at; (at = text.find('\n')) != std::string::npos;)
        text.replace(at, 1, " | ");
    return text;
}

BOOL CALLBACK CountShown(HWND window, LPARAM param)
{
    auto* count = reinterpret_cast<std::pair<const char*, int>*>(param);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    count->second += IsWindowVisible(window) && std::strcmp(title, count->first) == 0;
    return TRUE;
}

// The windows of the host's thread with that title that are shown.
int ShownWindows(const char* title)
{
    std::pair<const char*, int> count(title, 0);
    EnumThreadWindows(GetCurrentThreadId(), CountShown, reinterpret_cast<LPARAM>(&count));
    return count.second;
}

void RunAction(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    HWND main = Host.mainFrame;
    if (verb == "menu") {
        std::string item;
        in >> item;
        if (item == "schedule") {
            // menu schedule [N]: in folder window N (the main frame by default)
            size_t index = 0;
            in >> index;
            HWND frame = index < Host.folders.size() && Host.folders[index] ? Host.folders[index] : main;
            std::string caption;
            int id = ScheduleItem(&caption, frame);
            LogEvent("user: chooses \"%s\"%s", caption.c_str(),
                     index ? (" in folder window " + std::to_string(index)).c_str() : "");
            if (id)
                PostMessageA(frame, WM_COMMAND, static_cast<WPARAM>(id), 0);
        } else if (item == "status") {
            // menu status: the plug-in's status item of the main frame
            HMENU submenu = ConnectionSubmenu(main);
            int id = 0;
            for (int i = 0; submenu && i < GetMenuItemCount(submenu); ++i) {
                char text[256] = "";
                GetMenuStringA(submenu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                if (std::strcmp(text, "CHRONEL の状況...") == 0)
                    id = static_cast<int>(GetMenuItemID(submenu, i));
            }
            LogEvent("user: chooses \"CHRONEL の状況...\"%s", id ? "" : " (no such item)");
            // Sent, so the window's modal loop runs inside this step and the clock goes on in it.
            if (id)
                SendMessageA(main, WM_COMMAND, static_cast<WPARAM>(id), 0);
        } else if (item == "items") {
            // menu items: the plug-in's submenu of the main frame, item by item with its command
            HMENU submenu = ConnectionSubmenu(main);
            for (int i = 0; submenu && i < GetMenuItemCount(submenu); ++i) {
                char text[256] = "";
                GetMenuStringA(submenu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                LogEvent("menu item %d: %u \"%s\"", i, GetMenuItemID(submenu, i), text);
            }
        } else if (item == "connection") {
            LogEvent("user: chooses the connection item");
            PostMessageA(main, WM_COMMAND, HostCmdConnection, 0);
        }
    } else if (verb == "caption") {
        // caption [N]: the schedule item of folder window N (the main frame by default)
        size_t index = 0;
        in >> index;
        HWND frame = index < Host.folders.size() ? Host.folders[index] : nullptr;
        std::string caption;
        if (frame)
            ScheduleItem(&caption, frame);
        LogEvent("menu%s: \"%s\"", index ? (" " + std::to_string(index)).c_str() : "", caption.c_str());
    } else if (verb == "open-folder") {
        OpenFolderWindow();
    } else if (verb == "close-folder") {
        size_t index = 0;
        in >> index;
        if (index < Host.folders.size() && Host.folders[index]) {
            Plugin.FolderClose(Host.folders[index]);
            LogEvent("host: folder window %u closed", static_cast<unsigned>(index));
            if (Host.folders[index] != Host.mainFrame)
                DestroyWindow(Host.folders[index]);
            Host.folders[index] = nullptr;
        }
    } else if (verb == "report-folder") {
        Host.folders.push_back(Host.mainFrame);
        LogEvent("host: APCFolderCreate -> %d", Plugin.FolderCreate(Host.mainFrame));
        Plugin.FolderInitMenu(Host.mainFrame, GetMenu(Host.mainFrame), FolderMenuBar);
    } else if (verb == "hide") {
        ShowWindow(main, SW_HIDE);
        LogEvent("user: hides the main window");
    } else if (verb == "minimize") {
        ShowWindow(main, SW_MINIMIZE);
        LogEvent("user: minimises the main window");
    } else if (verb == "show") {
        ShowWindow(main, SW_SHOWNORMAL);
        LogEvent("user: shows the main window");
    } else if (verb == "window") {
        // window [N]: folder window N (the main frame by default)
        size_t index = 0;
        in >> index;
        HWND frame = index < Host.folders.size() && Host.folders[index] ? Host.folders[index] : main;
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(frame, &placement);
        const RECT& r = placement.rcNormalPosition;
        LogEvent("window%s: visible %d iconic %d show %u normal (%ld,%ld)-(%ld,%ld)",
                 index ? (" " + std::to_string(index)).c_str() : "", IsWindowVisible(frame) ? 1 : 0,
                 IsIconic(frame) ? 1 : 0, placement.showCmd, r.left, r.top, r.right, r.bottom);
    } else if (verb == "startup") {
        LogEvent("host: APCStartUp -> %d", Plugin.StartUp(0));
    } else if (verb == "cleanup") {
        LogEvent("host: APCCleanUp -> %d", Plugin.CleanUp());
    } else if (verb == "setup") {
        // setup [held]: held, the clock stands still until the sheet closes
        std::string held;
        in >> held;
        OpenPluginSettings(held == "held");
    } else if (verb == "about") {
        LogEvent("user: opens the plug-in's about box");
        int result = Plugin.VersionInfo(main);
        LogEvent("host: APCVersionInfo -> %d", result);
    } else if (verb == "press") {
        // press TITLE ID: answers a window with that title by its button ("TITLE" for one with blanks)
        std::string title;
        int id = 0;
        in >> std::ws;
        if (in.peek() == '"') {
            in.get();
            std::getline(in, title, '"');
        } else {
            in >> title;
        }
        in >> id;
        HWND window = FindWindowA(nullptr, title.c_str());
        if (window)
            LogEvent("dialog: \"%s\" says \"%s\"", title.c_str(), StaticTextOf(window).c_str());
        LogEvent("user: presses %d in \"%s\"%s", id, title.c_str(), window ? "" : " (no such window)");
        if (window)
            PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0);
    } else if (verb == "setting" || verb == "server") {
        // setting ... | server ...: the registry changed under the plug-in, as an editor saves it
        LogEvent("user: stores \"%s\"%s", line.c_str(), ApplySetupLine(line) ? "" : " (failed)");
    } else if (verb == "log") {
        LogEvent("note: %s", Rest(line, 1).c_str());
    } else if (verb == "quit") {
        Host.quit = true;
    } else if (verb == "exit") {
        // exit: the user closes the host, perhaps while a window of the plug-in is open: it cleans
        // up, frees the library and ends its message loop there and then
        int cleanedUp = Plugin.CleanUp();
        LogEvent("host: APCCleanUp -> %d, windows \"送信予約\" still shown: %d", cleanedUp, ShownWindows("送信予約"));
        for (HWND folder : Host.folders) {
            if (folder)
                Plugin.FolderClose(folder);
        }
        UnloadPlugin();
        PostQuitMessage(0);
    } else if (RunMailAction(verb, line) || RunStatusAction(verb, line)) {
    } else if (!RunHostAction(line)) {
        LogEvent("scenario: unknown action \"%s\"", line.c_str());
    }
}

}  // namespace

bool ParseScenario(const std::string& text, Scenario& scenario, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    bool haveStart = false;
    std::vector<std::pair<std::string, std::string>> pending;  // (time words, command)
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream in(line);
        std::string verb;
        if (!(in >> verb))
            continue;
        if (verb == "start" || verb == "end") {
            std::string date, time;
            in >> date >> time;
            SYSTEMTIME moment;
            if (!ParseDateAndTime(date.c_str(), time.c_str(), &moment)) {
                error = "line " + std::to_string(number) + ": bad date";
                return false;
            }
            if (verb == "start") {
                scenario.start = moment;
                haveStart = true;
            } else {
                scenario.end = SimClock::UtcOfLocal(moment);
            }
        } else if (verb == "at") {
            std::string first, second;
            in >> first;
            // "at DATE TIME command" or "at TIME command" (the start's date)
            if (first.find('-') != std::string::npos) {
                in >> second;
                pending.push_back({first + " " + second, Rest(line, 3)});
            } else {
                pending.push_back({first, Rest(line, 2)});
            }
        } else {
            scenario.setup.push_back(line);
        }
    }
    if (!haveStart) {
        error = "no start";
        return false;
    }
    char startDate[16];
    std::snprintf(startDate, sizeof startDate, "%04u-%02u-%02u", scenario.start.wYear, scenario.start.wMonth,
                  scenario.start.wDay);
    for (auto& [when, command] : pending) {
        std::string date = startDate, time = when;
        size_t blank = when.find(' ');
        if (blank != std::string::npos) {
            date = when.substr(0, blank);
            time = when.substr(blank + 1);
        }
        SYSTEMTIME moment;
        if (!ParseDateAndTime(date.c_str(), time.c_str(), &moment)) {
            error = "bad time \"" + when + "\"";
            return false;
        }
        // A time that ends in "Z" is UTC: it names one pass of an hour that the clock shows twice.
        bool utc = !time.empty() && time.back() == 'Z';
        scenario.actions.push_back({utc ? SimClock::UtcMilliseconds(moment) : SimClock::UtcOfLocal(moment), command});
    }
    if (scenario.end == 0)
        scenario.end = SimClock::UtcOfLocal(scenario.start) + 60 * 60 * 1000;
    return true;
}

bool ApplyScenarioSetup(const Scenario& scenario)
{
    for (const std::string& line : scenario.setup) {
        if (!ApplySetupLine(line)) {
            std::fprintf(stderr, "scenario: cannot apply \"%s\"\n", line.c_str());
            return false;
        }
    }
    return true;
}

void RunDueScenarioActions(Scenario& scenario)
{
    int64_t now = SimClock::Milliseconds();
    for (size_t i = 0; i < scenario.actions.size(); ++i) {
        if (scenario.actions[i].done || scenario.actions[i].due > now)
            continue;
        scenario.actions[i].done = true;  // before running: an action may run a modal loop that steps on
        std::string command = scenario.actions[i].command;
        RunAction(command);
    }
}
