#include "HostRun.h"

#include <sstream>

using namespace testing_support;

std::vector<std::string> HostRunResult::Events(const std::string& text) const
{
    std::vector<std::string> events;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() > 22 && line.find(text) != std::string::npos)
            events.push_back(line.substr(22));
    }
    return events;
}

std::string HostRunResult::When(const std::string& text) const
{
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find(text) != std::string::npos)
            return line.substr(0, 21);
    }
    return "";
}

size_t HostRunResult::Count(const std::string& text) const
{
    size_t count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
        ++count;
    return count;
}

HostLayout::HostLayout(const char* hostDir, const char* exeName) : dir_("qphost"), exeName_(exeName)
{
    CreateDirectoryA((dir_ / "Plugins").c_str(), nullptr);
    CopyFileA(BuildPath(std::string(hostDir) + "/Quillpost.exe").c_str(), (dir_ / exeName_).c_str(), FALSE);
    CopyFileA(BuildPath("host/Plugins/chronel.dll").c_str(), (dir_ / "Plugins\\chronel.dll").c_str(), FALSE);
}

bool HostLayout::AddBuildFile(const std::string& buildRelative, const std::string& hostRelative)
{
    std::string target = dir_ / hostRelative;
    size_t slash = target.find_last_of('\\');
    CreateDirectoryA(target.substr(0, slash).c_str(), nullptr);
    return CopyFileA(BuildPath(buildRelative).c_str(), target.c_str(), FALSE) != 0;
}

bool HostLayout::RemoveFile(const std::string& hostRelative)
{
    return DeleteFileA((dir_ / hostRelative).c_str()) != 0;
}

bool HostLayout::Start(const std::string& scenario, const std::string& extraArgs)
{
    WriteFileBytes(dir_ / "scenario.txt", scenario);
    DeleteFileA((dir_ / "events.log").c_str());
    std::string command = "\"" + (dir_ / exeName_) + "\" --scenario \"" + (dir_ / "scenario.txt") +
                          "\" --log \"" + (dir_ / "events.log") + "\" " + extraArgs;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.Path().c_str(), &startup,
                        &info))
        return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    return true;
}

HostRunResult HostLayout::Wait(DWORD timeoutMs)
{
    HostRunResult result;
    if (!process_) {
        result.exitCode = static_cast<DWORD>(-1);
        return result;
    }
    if (WaitForSingleObject(process_, timeoutMs) == WAIT_TIMEOUT) {
        result.timedOut = true;
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    GetExitCodeProcess(process_, &result.exitCode);
    CloseHandle(process_);
    process_ = nullptr;
    result.log = ReadFileBytes(dir_ / "events.log");
    return result;
}

HostRunResult HostLayout::Run(const std::string& scenario, DWORD timeoutMs, const std::string& extraArgs)
{
    if (!Start(scenario, extraArgs)) {
        HostRunResult failed;
        failed.exitCode = static_cast<DWORD>(-1);
        return failed;
    }
    return Wait(timeoutMs);
}
