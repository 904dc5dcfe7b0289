#include "HostRun.h"

#include <cstdio>
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

std::string Command(int id)
{
    return "command: " + std::to_string(id);
}

std::string FlagText(uint32_t bits)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(bits));
    return text;
}

std::string ReleaseMaskOn()
{
    return "mask " + FlagText(EntryReleaseBits) + " on";
}

namespace {

// The log's lines that contain one of the '|'-separated filters, with or without their stamps.
std::vector<std::string> Matching(const std::string& log, const std::string& filters, bool stamped)
{
    std::vector<std::string> parts;
    for (size_t from = 0;;) {
        size_t bar = filters.find('|', from);
        parts.push_back(filters.substr(from, bar - from));
        if (bar == std::string::npos)
            break;
        from = bar + 1;
    }
    std::vector<std::string> found;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        for (const std::string& part : parts) {
            if (line.size() > 22 && line.find(part) != std::string::npos) {
                found.push_back(stamped ? line : line.substr(22));
                break;
            }
        }
    }
    return found;
}

bool LineMatches(const std::string& actual, const std::string& expected)
{
    if (!expected.empty() && expected.back() == '*')
        return actual.compare(0, expected.size() - 1, expected, 0, expected.size() - 1) == 0;
    return actual == expected;
}

std::string Listed(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "  " + line + "\n";
    return text;
}

// Empty when the check holds, else what was wrong.
std::string Fault(const HostCheck& check, const HostRunResult& run, const HostLayout& host)
{
    switch (check.kind) {
    case HostCheck::At: {
        std::string stamp = run.When(check.text);
        return stamp == check.when ? "" : "the first \"" + check.text + "\" is at \"" + stamp + "\", not at " + check.when;
    }
    case HostCheck::Count: {
        size_t count = run.Count(check.text);
        return count == check.count ? ""
                                    : "\"" + check.text + "\" comes " + std::to_string(count) + " times, not " +
                                          std::to_string(check.count);
    }
    case HostCheck::AtLeastOnce:
        return run.Has(check.text) ? "" : "\"" + check.text + "\" never comes";
    case HostCheck::Lines:
    case HostCheck::Stamped: {
        std::vector<std::string> actual = Matching(run.log, check.text, check.kind == HostCheck::Stamped);
        bool holds = actual.size() == check.lines.size();
        for (size_t i = 0; holds && i < actual.size(); ++i)
            holds = LineMatches(actual[i], check.lines[i]);
        return holds ? ""
                     : "the lines with \"" + check.text + "\" are\n" + Listed(actual) + "not\n" + Listed(check.lines);
    }
    case HostCheck::FileIs:
    case HostCheck::FileHas: {
        std::string content = ReadFileBytes(host.Dir() + "\\" + check.text);
        bool holds = check.kind == HostCheck::FileIs ? content == check.lines[0]
                                                     : content.find(check.lines[0]) != std::string::npos;
        return holds ? ""
                     : check.text + " holds\n" + content + "\n" +
                           (check.kind == HostCheck::FileIs ? "not\n" : "without\n") + check.lines[0];
    }
    }
    return "an unknown check";
}

}  // namespace

void HostTableTest::RunRow()
{
    const HostRow& row = GetParam();
    HostLayout host;
    if (row.prepare)
        row.prepare(host);
    HostRunResult run = host.Run(row.scenario, row.timeoutMs);
    ASSERT_FALSE(run.timedOut) << "row " << row.name << ": the host did not end\n" << run.log;
    ASSERT_EQ(run.exitCode, 0u) << "row " << row.name << ": the host failed\n" << run.log;
    bool failed = false;
    for (const HostCheck& check : row.checks) {
        std::string fault = Fault(check, run, host);
        if (!fault.empty()) {
            ADD_FAILURE() << "row " << row.name << ": " << fault;
            failed = true;
        }
    }
    if (row.more) {
        SCOPED_TRACE("row " + row.name);
        row.more(run, host);
    }
    if (failed || HasFailure())
        std::printf("The host's log of row %s:\n%s\n", row.name.c_str(), run.log.c_str());
}

std::string RowName(const testing::TestParamInfo<HostRow>& row)
{
    return row.param.name;
}
