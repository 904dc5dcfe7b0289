#pragma once
// Runs the simulated host, Quillpost.exe, with the real chronel.dll in a directory of its own.

#include "TestSupport.h"
#include "contract/Quillpost.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct HostRunResult {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::string log;  // the host's event log, CP932 bytes

    // Lines of the log that contain text, in order (without their time stamps).
    std::vector<std::string> Events(const std::string& text = "") const;
    bool Has(const std::string& text) const { return log.find(text) != std::string::npos; }
    // The time stamp ("YYYY-MM-DD hh:mm:ss.s") of the first line containing text, or "".
    std::string When(const std::string& text) const;
    size_t Count(const std::string& text) const;
};

class HostLayout {
public:
    // Copies <build>/<hostDir>/Quillpost.exe (as exeName) and <build>/host/Plugins/chronel.dll
    // into a fresh temporary directory.
    explicit HostLayout(const char* hostDir = "host", const char* exeName = "Quillpost.exe");

    const std::string& Dir() const { return dir_.Path(); }
    // Copies a file of the build (relative path) to a path relative to the host's directory.
    bool AddBuildFile(const std::string& buildRelative, const std::string& hostRelative);
    bool RemoveFile(const std::string& hostRelative);

    // Starts the host on the scenario without waiting.
    bool Start(const std::string& scenario, const std::string& extraArgs = "");
    // Waits for a started host to end (killing it after timeoutMs).
    HostRunResult Wait(DWORD timeoutMs = 120000);
    // Start and Wait.
    HostRunResult Run(const std::string& scenario, DWORD timeoutMs = 120000, const std::string& extraArgs = "");

private:
    testing_support::TempDir dir_;
    std::string exeName_;
    HANDLE process_ = nullptr;
};

// One thing a table row expects of its run. Texts are CP932 bytes as the host logs them.
struct HostCheck {
    enum Kind { At, Count, AtLeastOnce, Lines, Stamped, FileIs, FileHas } kind;
    std::string text{};  // what the lines contain ("a|b": either); for files, the host-relative path
    std::string when{};
    size_t count = 0;
    std::vector<std::string> lines{};  // for files, the content
};
// The first line with text is stamped when ("YYYY-MM-DD hh:mm:ss.s").
inline HostCheck At(const std::string& when, const std::string& text) { return {HostCheck::At, text, when}; }
// The log holds text exactly n times / at least once / not at all.
inline HostCheck Count(size_t n, const std::string& text) { return {HostCheck::Count, text, "", n}; }
inline HostCheck Has(const std::string& text) { return {HostCheck::AtLeastOnce, text}; }
inline HostCheck None(const std::string& text) { return Count(0, text); }
// The lines containing filter, in order, without / with their time stamps; an expected line that
// ends in '*' only has to start with what comes before it.
inline HostCheck Lines(const std::string& filter, const std::vector<std::string>& lines)
{
    return {HostCheck::Lines, filter, "", 0, lines};
}
inline HostCheck Stamped(const std::string& filter, const std::vector<std::string>& lines)
{
    return {HostCheck::Stamped, filter, "", 0, lines};
}
// A file of the host's directory after the run: its whole content / containing text.
inline HostCheck FileIs(const std::string& path, const std::string& content)
{
    return {HostCheck::FileIs, path, "", 0, {content}};
}
inline HostCheck FileHas(const std::string& path, const std::string& text)
{
    return {HostCheck::FileHas, path, "", 0, {text}};
}
// "command: N", the host's log of a menu command.
std::string Command(int id);
// Flag bits as the host logs them ("c1000000").
std::string FlagText(uint32_t bits);
// "mask c1000000 on", the host's log of MarkMail setting the release bits.
std::string ReleaseMaskOn();

// A scenario and what its run must show. Every row runs a fresh host on cleared settings, and must
// end on its own with exit code 0.
struct HostRow {
    std::string name;  // the case's name: letters and digits
    std::string scenario;
    std::vector<HostCheck> checks{};
    // What the checks cannot say (ranges, relations between lines).
    std::function<void(const HostRunResult&, const HostLayout&)> more{};
    std::function<void(HostLayout&)> prepare{};  // before the host starts
    DWORD timeoutMs = 120000;
};

// The fixture of a table of host runs. Each file writes, with its rows:
//     class SomeTest : public HostTableTest {};
//     TEST_P(SomeTest, Row) { RunRow(); }
//     INSTANTIATE_TEST_SUITE_P(Host, SomeTest, testing::ValuesIn(Rows()), RowName);
// (spelled out: the build finds the cases by reading TEST_P in the source, and runs each table as
// */SomeTest.Row/*, which an instantiation without a prefix would not match: nothing would run).
class HostTableTest : public testing_support::ClearedSettingsTest, public testing::WithParamInterface<HostRow> {
protected:
    void RunRow();
};
std::string RowName(const testing::TestParamInfo<HostRow>& row);
