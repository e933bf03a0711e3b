#include "container/VersionStamp.h"

#include <algorithm>

namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BDu;
constexpr size_t kSubtypeField = 40;  // dwFileSubtype within the fixed version information
constexpr size_t kFixedInfoSize = 52;

bool Read32(const std::string& bytes, size_t offset, uint32_t& value) {
    if (offset > bytes.size() || bytes.size() - offset < 4) return false;
    value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return true;
}

bool Read16(const std::string& bytes, size_t offset, uint16_t& value) {
    if (offset > bytes.size() || bytes.size() - offset < 2) return false;
    value = static_cast<uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                  (static_cast<unsigned char>(bytes[offset + 1]) << 8));
    return true;
}

struct PeLayout {
    size_t directories = 0;      // file offset of the data directories
    uint32_t directoryCount = 0;
    size_t sections = 0;         // file offset of the section table
    uint16_t sectionCount = 0;
};

bool ParsePe(const std::string& bytes, PeLayout& layout, std::string& error) {
    uint32_t peOffset = 0;
    uint32_t signature = 0;
    if (bytes.size() < 64 || bytes.compare(0, 2, "MZ") != 0 || !Read32(bytes, 0x3C, peOffset) ||
        !Read32(bytes, peOffset, signature) || signature != 0x00004550u) {
        error = "the program file is not a Windows program";
        return false;
    }
    uint16_t optionalSize = 0, magic = 0;
    size_t coff = peOffset + 4;
    size_t optional = coff + 20;
    if (!Read16(bytes, coff + 2, layout.sectionCount) || !Read16(bytes, coff + 16, optionalSize) ||
        !Read16(bytes, optional, magic)) {
        error = "the program file's headers are cut off";
        return false;
    }
    size_t countField;
    if (magic == 0x10B) {
        countField = optional + 92;
        layout.directories = optional + 96;
    } else if (magic == 0x20B) {
        countField = optional + 108;
        layout.directories = optional + 112;
    } else {
        error = "the program file has an unknown optional header";
        return false;
    }
    if (!Read32(bytes, countField, layout.directoryCount)) {
        error = "the program file's headers are cut off";
        return false;
    }
    layout.sections = optional + optionalSize;
    if (layout.sections + size_t(layout.sectionCount) * 40 > bytes.size()) {
        error = "the program file's section table is cut off";
        return false;
    }
    return true;
}

}  // namespace

bool HasSignatureBlock(const std::string& bytes) {
    PeLayout layout;
    std::string ignored;
    uint32_t size = 0;
    return ParsePe(bytes, layout, ignored) && layout.directoryCount > 4 &&
           Read32(bytes, layout.directories + 4 * 8 + 4, size) && size != 0;
}

bool FindVersionStamp(const std::string& bytes, VersionStampLocation& location, std::string& error) {
    PeLayout layout;
    if (!ParsePe(bytes, layout, error)) return false;
    uint32_t resourceRva = 0, resourceSize = 0;
    if (layout.directoryCount <= 2 || !Read32(bytes, layout.directories + 2 * 8, resourceRva) ||
        !Read32(bytes, layout.directories + 2 * 8 + 4, resourceSize) || resourceRva == 0) {
        error = "the program file has no resources, so no version information to stamp";
        return false;
    }
    // The raw bytes of the section that holds the resource directory.
    size_t begin = 0, end = 0;
    for (uint16_t i = 0; i < layout.sectionCount; ++i) {
        size_t header = layout.sections + size_t(i) * 40;
        uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawOffset = 0;
        Read32(bytes, header + 8, virtualSize);
        Read32(bytes, header + 12, virtualAddress);
        Read32(bytes, header + 16, rawSize);
        Read32(bytes, header + 20, rawOffset);
        uint32_t span = std::max(virtualSize, rawSize);
        if (resourceRva >= virtualAddress && resourceRva - virtualAddress < span) {
            begin = rawOffset;
            end = std::min<size_t>(size_t(rawOffset) + rawSize, bytes.size());
            break;
        }
    }
    if (end <= begin) {
        error = "the program file's resource section could not be found";
        return false;
    }
    size_t found = 0;
    for (size_t offset = (begin + 3) & ~size_t(3); offset + kFixedInfoSize <= end; offset += 4) {
        uint32_t value = 0;
        Read32(bytes, offset, value);
        if (value != kFixedInfoSignature) continue;
        if (++found > 1) {
            error = "the program file's resource section holds more than one fixed version information block; "
                    "the stamp would be ambiguous";
            return false;
        }
        location.signatureOffset = offset;
    }
    if (found == 0) {
        error = "the program file carries no version information (no fixed version information block)";
        return false;
    }
    location.subtypeOffset = location.signatureOffset + kSubtypeField;
    Read32(bytes, location.subtypeOffset, location.subtype);
    return true;
}

void WriteStamp(std::string& bytes, const VersionStampLocation& location, uint32_t containerOffset) {
    for (int i = 0; i < 4; ++i) bytes[location.subtypeOffset + i] = static_cast<char>((containerOffset >> (8 * i)) & 0xFF);
}
