#include "Settings.h"

#include "OwnedText.h"

namespace Store {
const char* const SoftwareKey = "Software";
const char* const CompanyKey = "Quor";
const char* const PlugKey = "ChronelPlug";
const char* const ServerKey = "Server";
const char* const ScheduleKey = "Schedule";
const char* const EntryKeyFormat = "data%d";
}  // namespace Store

Settings::~Settings()
{
    ClearServer();
    // The seven lists go after this body, Saturday first.
}

void Settings::ClearServer()
{
    SNTPServer.Reset();
}

int Settings::SetServer(const char* text)
{
    ClearServer();
    SNTPServer = CopyText(text);
    return SNTPServer || !text;
}
