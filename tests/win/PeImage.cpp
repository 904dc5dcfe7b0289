#include "PeImage.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename T> bool Get(const std::string& bytes, size_t offset, T* out)
{
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T))
        return false;
    std::memcpy(out, bytes.data() + offset, sizeof(T));
    return true;
}

struct Section {
    uint32_t rva, size, raw;
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

PeImage PeImage::Read(const std::string& bytes)
{
    PeImage image;
    uint32_t peOffset = 0;
    uint32_t signature = 0;
    if (!Get(bytes, 0x3c, &peOffset) || !Get(bytes, peOffset, &signature) || signature != 0x4550)
        return image;
    uint16_t sections = 0, optionalSize = 0;
    Get(bytes, peOffset + 4, &image.machine);
    Get(bytes, peOffset + 6, &sections);
    Get(bytes, peOffset + 20, &optionalSize);
    size_t optional = peOffset + 24;
    Get(bytes, optional, &image.magic);
    if (image.magic != 0x10b)
        return image;
    Get(bytes, optional + 40, &image.majorOsVersion);
    Get(bytes, optional + 42, &image.minorOsVersion);
    Get(bytes, optional + 48, &image.majorSubsystemVersion);
    Get(bytes, optional + 50, &image.minorSubsystemVersion);
    uint32_t exportRva = 0, importRva = 0;
    Get(bytes, optional + 96, &exportRva);
    Get(bytes, optional + 104, &importRva);
    Get(bytes, optional + 96 + 9 * 8, &image.tlsRva);
    Get(bytes, optional + 96 + 9 * 8 + 4, &image.tlsSize);

    std::vector<Section> table;
    size_t at = optional + optionalSize;
    for (uint16_t i = 0; i < sections; ++i, at += 40) {
        Section s{};
        Get(bytes, at + 12, &s.rva);
        Get(bytes, at + 16, &s.size);
        Get(bytes, at + 20, &s.raw);
        uint32_t virtualSize = 0;
        Get(bytes, at + 8, &virtualSize);
        s.size = std::max(s.size, virtualSize);
        table.push_back(s);
    }
    auto offsetOf = [&](uint32_t rva) -> size_t {
        for (const Section& s : table) {
            if (rva >= s.rva && rva < s.rva + s.size)
                return s.raw + (rva - s.rva);
        }
        return bytes.size();
    };
    auto text = [&](uint32_t rva) {
        size_t offset = offsetOf(rva);
        std::string out;
        while (offset < bytes.size() && bytes[offset])
            out += bytes[offset++];
        return out;
    };

    if (exportRva) {
        size_t dir = offsetOf(exportRva);
        uint32_t base = 0, names = 0, nameTable = 0, ordinalTable = 0;
        Get(bytes, dir + 16, &base);
        Get(bytes, dir + 24, &names);
        Get(bytes, dir + 32, &nameTable);
        Get(bytes, dir + 36, &ordinalTable);
        for (uint32_t i = 0; i < names; ++i) {
            uint32_t nameRva = 0;
            uint16_t index = 0;
            Get(bytes, offsetOf(nameTable) + 4 * i, &nameRva);
            Get(bytes, offsetOf(ordinalTable) + 2 * i, &index);
            image.exports[base + index] = text(nameRva);
        }
    }
    if (importRva) {
        for (size_t desc = offsetOf(importRva);; desc += 20) {
            uint32_t lookup = 0, nameRva = 0, first = 0;
            Get(bytes, desc, &lookup);
            Get(bytes, desc + 12, &nameRva);
            Get(bytes, desc + 16, &first);
            if (!nameRva)
                break;
            std::vector<std::string>& functions = image.imports[Lower(text(nameRva))];
            for (size_t thunk = offsetOf(lookup ? lookup : first);; thunk += 4) {
                uint32_t entry = 0;
                if (!Get(bytes, thunk, &entry) || entry == 0)
                    break;
                if (entry & 0x80000000u)
                    functions.push_back("#" + std::to_string(entry & 0xffff));
                else
                    functions.push_back(text(entry + 2));
            }
        }
    }
    image.valid = true;
    return image;
}
