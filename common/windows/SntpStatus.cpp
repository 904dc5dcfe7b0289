#include "SntpStatus.h"

#include "SettingsStore.h"
#include "../pure/TextBuffer.h"

#include <cstring>

namespace {

const char* const StatusKey = "Status";

void WriteText(HKEY key, const char* name, const char* text)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::strlen(text) + 1));
}

void WriteDword(HKEY key, const char* name, uint32_t value)
{
    DWORD data = value;
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

// A stored text of at most size - 1 bytes, ended; false when missing, not text or too long. The
// whole buffer is offered: a text of size - 1 bytes is stored with its terminator.
bool ReadText(HKEY key, const char* name, char* out, DWORD size)
{
    DWORD type = 0;
    DWORD got = size;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &got) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    if (got >= size && out[size - 1] != '\0')
        return false;  // no room left for the end
    out[got < size ? got : size - 1] = '\0';
    return true;
}

// A stored number of four or eight bytes, sign-extended; false when missing or of another size.
bool ReadSigned(HKEY key, const char* name, int64_t* value)
{
    unsigned char bytes[8] = {};
    DWORD got = sizeof bytes;
    if (RegQueryValueExA(key, name, nullptr, nullptr, bytes, &got) != ERROR_SUCCESS || (got != 4 && got != 8))
        return false;
    uint64_t raw = 0;
    for (DWORD i = got; i-- > 0;)
        raw = raw << 8 | bytes[i];
    if (got == 4)
        raw = static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(raw))));
    *value = static_cast<int64_t>(raw);
    return true;
}

}  // namespace

void WriteSntpStatus(const SntpOutcome& outcome)
{
    RegKey plug = OpenSettingsKey();
    RegKey status = CreateSubKey(plug.Get(), StatusKey);
    if (!status)
        return;
    TextBuffer time;
    AppendSntpTime(outcome, time);
    WriteText(status.Get(), "Time", time.c_str());
    WriteText(status.Get(), "Server", outcome.server);
    WriteDword(status.Get(), "Detail", outcome.detail);
    uint64_t correction = static_cast<uint64_t>(outcome.correctionMs);
    RegSetValueExA(status.Get(), "Correction", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&correction),
                   sizeof correction);
    WriteDword(status.Get(), "Result", outcome.result);
}

bool ReadSntpStatus(SntpOutcome* outcome)
{
    RegKey plug = OpenSettingsKey();
    HKEY key = nullptr;
    if (!plug || RegOpenKeyExA(plug.Get(), StatusKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegKey status(key);
    SntpOutcome read;
    int64_t result = 0, detail = 0, correction = 0;
    char time[32];
    if (!ReadSigned(status.Get(), "Result", &result) || !ReadText(status.Get(), "Time", time, sizeof time) ||
        !ParseSntpTime(time, &read))
        return false;
    read.result = static_cast<uint32_t>(result);
    if (ReadSigned(status.Get(), "Detail", &detail))
        read.detail = static_cast<uint32_t>(detail);
    if (ReadSigned(status.Get(), "Correction", &correction))
        read.correctionMs = correction;
    if (!ReadText(status.Get(), "Server", read.server, sizeof read.server))
        read.server[0] = '\0';
    *outcome = read;
    return true;
}
