#pragma once
// A small stand-in for the host's API table, for tests that link chronel's sources directly: a
// mailbox root in a temporary folder, header text per send window, recorded marks and callbacks.

#include "TestSupport.h"
#include "plugin/Outbox.h"
#include "plugin/host/HostApi.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct FakeHost {
    FakeHost();
    ~FakeHost();

    std::string root;  // ends with "\"
    std::string appData;  // the application-data folder the code under test is given
    std::vector<std::string> marks;  // "id mask on|off"
    std::map<HWND, std::string> headers;
    std::vector<HostCallback> callbacks;
    std::function<void(const char* id)> onMark;  // called after each mark is recorded
    ScanKept kept{};  // kept, as the library keeps it, from one scanner to the next
    std::unique_ptr<OutboxScanner> scanner;  // fresh with each host
    ReleaseRules rules{1796596200, false, 0, 0};  // 2026-12-07 07:30 in Tokyo, no "Date:" change

    // A fresh scanner over these file calls in the old one's place, as clean-up and start-up do.
    void NewScanner(const FileCalls& files = SystemFileCalls);
    // A scan with these rules in this host's mailbox at the present moment, as the tick hands them.
    bool Scan(ReleaseRules rules);

    // Writes a file under the root (relative path), creating its folders.
    void Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;
    // chronel's log so far, once every queued line is written.
    std::string LogText() const;
    // The recorded marks joined by "|", "" for none.
    std::string JoinedMarks() const;
    // The two marks a release gives the entry id ("Account1\Outbox.box\name"), joined by "|".
    static std::string ReleaseMarks(const std::string& id);

private:
    testing_support::TempDir dir_;
};

extern FakeHost* CurrentFakeHost;
