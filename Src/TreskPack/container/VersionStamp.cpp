#include "container/VersionStamp.h"

#include <algorithm>

#include "container/PeHeaders.h"

namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BDu;
constexpr size_t kSubtypeField = 40;  // dwFileSubtype within the fixed version information
constexpr size_t kFixedInfoSize = 52;

}  // namespace

bool HasSignatureBlock(const std::string& bytes) {
    PeLayout layout;
    CertificateTable table;
    std::string ignored;
    return ParsePe(bytes, layout, ignored) && FindCertificateTable(bytes, layout, table) && table.size != 0;
}

bool FindVersionStamp(const std::string& bytes, VersionStampLocation& location, std::string& error) {
    PeLayout layout;
    if (!ParsePe(bytes, layout, error)) return false;
    uint32_t resourceRva = 0, resourceSize = 0;
    if (layout.directoryCount <= 2 || !ReadLe32(bytes, layout.directories + 2 * 8, resourceRva) ||
        !ReadLe32(bytes, layout.directories + 2 * 8 + 4, resourceSize) || resourceRva == 0) {
        error = "the program file has no resources, so no version information to stamp";
        return false;
    }
    // The raw bytes of the section that holds the resource directory.
    size_t begin = 0, end = 0;
    for (uint16_t i = 0; i < layout.sectionCount; ++i) {
        size_t header = layout.sections + size_t(i) * 40;
        uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawOffset = 0;
        ReadLe32(bytes, header + 8, virtualSize);
        ReadLe32(bytes, header + 12, virtualAddress);
        ReadLe32(bytes, header + 16, rawSize);
        ReadLe32(bytes, header + 20, rawOffset);
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
        ReadLe32(bytes, offset, value);
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
    ReadLe32(bytes, location.subtypeOffset, location.subtype);
    return true;
}

void WriteStamp(std::string& bytes, const VersionStampLocation& location, uint32_t containerOffset) {
    for (int i = 0; i < 4; ++i) bytes[location.subtypeOffset + i] = static_cast<char>((containerOffset >> (8 * i)) & 0xFF);
}
