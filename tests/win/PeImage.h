#pragma once
// Reads what a built PE file declares: machine, optional-header magic and versions, the TLS
// directory, exports and imports.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct PeImage {
    bool valid = false;
    uint16_t machine = 0;
    uint16_t magic = 0;                    // 0x10b for PE32
    uint16_t majorOsVersion = 0, minorOsVersion = 0;
    uint16_t majorSubsystemVersion = 0, minorSubsystemVersion = 0;
    uint32_t tlsRva = 0, tlsSize = 0;      // the thread-local storage directory
    std::map<uint32_t, std::string> exports;  // ordinal -> name
    std::map<std::string, std::vector<std::string>> imports;  // DLL (lower case) -> function names

    static PeImage Read(const std::string& bytes);
};
