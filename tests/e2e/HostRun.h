#pragma once
// Runs the simulated host, Quillpost.exe, with the real chronel.dll in a directory of its own.

#include "TestSupport.h"

#include <windows.h>

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
