#include "cab/CabWriterCommon.h"

#include <algorithm>

#include "text/Utf.h"

namespace {

std::string FoldCase(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

}  // namespace

bool CheckCabSources(const std::vector<CabSourceFile>& files, const CabWriteOptions& options, std::string& error) {
    if (files.empty()) {
        error = "nothing to pack: the payload holds no files";
        return false;
    }
    if (options.level < 0 || options.level > 9) {
        error = "compression level " + std::to_string(options.level) + " is not between 0 and 9";
        return false;
    }
    std::vector<std::pair<std::string, size_t>> names;
    names.reserve(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        if (!CheckStoredName(files[i].storedName, error)) {
            error = files[i].sourcePath + ": " + error;
            return false;
        }
        names.emplace_back(FoldCase(files[i].storedName), i);
    }
    std::sort(names.begin(), names.end());
    for (size_t i = 1; i < names.size(); ++i) {
        if (names[i].first == names[i - 1].first) {
            error = "two files would be stored as " + files[names[i].second].storedName + " (" +
                    files[names[i - 1].second].sourcePath + " and " + files[names[i].second].sourcePath + ")";
            return false;
        }
    }
    return true;
}

CabFileRecord MakeCabFileRecord(const CabSourceFile& file, uint16_t folderIndex, uint32_t folderOffset) {
    CabFileRecord record;
    record.size = static_cast<uint32_t>(file.size);
    record.folderOffset = folderOffset;
    record.folderIndex = folderIndex;
    record.date = file.date;
    record.time = file.time;
    record.attributes = file.attributes & CAB_ATTRIBUTES_KEPT;
    if (!IsAscii(file.storedName)) record.attributes |= CAB_ATTRIBUTE_NAME_IS_UTF;
    record.name = file.storedName;
    return record;
}

bool WriteCabDataBlock(FILE* out, const uint8_t* data, size_t size, uint32_t dataChecksum, uint32_t uncompressedSize) {
    uint8_t header[CAB_DATA_HEADER_BYTES];
    uint16_t compressed = static_cast<uint16_t>(size), uncompressed = static_cast<uint16_t>(uncompressedSize);
    PutCabDataHeader(header, CabBlockChecksum(dataChecksum, compressed, uncompressed), compressed, uncompressed);
    return std::fwrite(header, 1, sizeof header, out) == sizeof header && std::fwrite(data, 1, size, out) == size;
}

uint64_t CabTotalBytes(const std::vector<CabSourceFile>& files) {
    uint64_t total = 0;
    for (const CabSourceFile& file : files) total += file.size;
    return total;
}
