#pragma once
// A scenario: settings to store before start-up, the clock's start and end, and actions at
// moments of the simulated clock.

#include <windows.h>

#include <string>
#include <vector>

struct ScenarioAction {
    int64_t due;  // UTC milliseconds since 1601
    std::string command;
    bool done = false;
};

struct Scenario {
    SYSTEMTIME start{};
    int64_t end = 0;
    std::vector<std::string> setup;  // lines run before the plug-in starts (settings, host options)
    std::vector<ScenarioAction> actions;
};

// Parses scenario text; false with a message in error on the first bad line.
bool ParseScenario(const std::string& text, Scenario& scenario, std::string& error);
// Runs the set-up lines (registry values, host behaviour). False on an unknown line.
bool ApplyScenarioSetup(const Scenario& scenario);
// Runs every action that is due at the present simulated time.
void RunDueScenarioActions(Scenario& scenario);

extern const char* const DemoScenario;
