#include "container/PeHeaders.h"

bool ReadLe32(const std::string& bytes, size_t offset, uint32_t& value) {
    if (offset > bytes.size() || bytes.size() - offset < 4) return false;
    value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return true;
}

bool ReadLe16(const std::string& bytes, size_t offset, uint16_t& value) {
    if (offset > bytes.size() || bytes.size() - offset < 2) return false;
    value = static_cast<uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                  (static_cast<unsigned char>(bytes[offset + 1]) << 8));
    return true;
}

bool ParsePe(const std::string& bytes, PeLayout& layout, std::string& error) {
    uint32_t peOffset = 0;
    uint32_t signature = 0;
    if (bytes.size() < 64 || bytes.compare(0, 2, "MZ") != 0 || !ReadLe32(bytes, 0x3C, peOffset) ||
        !ReadLe32(bytes, peOffset, signature) || signature != 0x00004550u) {
        error = "the program file is not a Windows program";
        return false;
    }
    uint16_t optionalSize = 0, magic = 0;
    size_t coff = size_t(peOffset) + 4;
    size_t optional = coff + 20;
    if (!ReadLe16(bytes, coff + 2, layout.sectionCount) || !ReadLe16(bytes, coff + 16, optionalSize) ||
        !ReadLe16(bytes, optional, magic)) {
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
    layout.checksum = optional + 64;
    if (!ReadLe32(bytes, countField, layout.directoryCount)) {
        error = "the program file's headers are cut off";
        return false;
    }
    layout.sections = optional + optionalSize;
    layout.headersEnd = layout.sections + size_t(layout.sectionCount) * 40;
    if (layout.headersEnd > bytes.size()) {
        error = "the program file's section table is cut off";
        return false;
    }
    return true;
}

bool FindCertificateTable(const std::string& bytes, const PeLayout& layout, CertificateTable& table) {
    table = CertificateTable();
    if (layout.directoryCount <= 4) return false;
    table.directoryEntry = layout.directories + 4 * 8;
    return ReadLe32(bytes, table.directoryEntry, table.offset) && ReadLe32(bytes, table.directoryEntry + 4, table.size);
}
