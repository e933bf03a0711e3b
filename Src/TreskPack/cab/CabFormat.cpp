#include "cab/CabFormat.h"

#include <cstring>

void PutLe16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void PutLe32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

size_t CabNamesSize(const CabHeader& header) {
    size_t size = 0;
    if (header.flags & CAB_FLAG_PREV_CABINET) size += header.prevCabinet.size() + header.prevDisk.size() + 2;
    if (header.flags & CAB_FLAG_NEXT_CABINET) size += header.nextCabinet.size() + header.nextDisk.size() + 2;
    return size;
}

size_t CabFileRecordSize(const CabFileRecord& file) {
    return CAB_FILE_BYTES + file.name.size() + 1;
}

size_t CabHeaderSize(const CabHeader& header) {
    size_t size = CAB_HEADER_BYTES + CabNamesSize(header) + header.folders.size() * CAB_FOLDER_BYTES;
    for (const CabFileRecord& file : header.files) size += CabFileRecordSize(file);
    return size;
}

std::string SerializeCabHeader(const CabHeader& header) {
    std::string out;
    out.reserve(CabHeaderSize(header));
    out.append(CAB_SIGNATURE, 4);
    PutLe32(out, 0);
    PutLe32(out, header.cabinetSize);
    PutLe32(out, 0);
    PutLe32(out, header.filesOffset);
    PutLe32(out, 0);
    out += static_cast<char>(3);  // format version 1.3
    out += static_cast<char>(1);
    PutLe16(out, static_cast<uint16_t>(header.folders.size()));
    PutLe16(out, static_cast<uint16_t>(header.files.size()));
    PutLe16(out, header.flags);
    PutLe16(out, header.setId);
    PutLe16(out, header.cabinetIndex);
    auto putName = [&out](const std::string& name) {
        out += name;
        out += '\0';
    };
    if (header.flags & CAB_FLAG_PREV_CABINET) {
        putName(header.prevCabinet);
        putName(header.prevDisk);
    }
    if (header.flags & CAB_FLAG_NEXT_CABINET) {
        putName(header.nextCabinet);
        putName(header.nextDisk);
    }
    for (const CabFolderRecord& folder : header.folders) {
        PutLe32(out, folder.dataOffset);
        PutLe16(out, folder.blockCount);
        PutLe16(out, folder.compression);
    }
    for (const CabFileRecord& file : header.files) {
        PutLe32(out, file.size);
        PutLe32(out, file.folderOffset);
        PutLe16(out, file.folderIndex);
        PutLe16(out, file.date);
        PutLe16(out, file.time);
        PutLe16(out, file.attributes);
        putName(file.name);
    }
    return out;
}

uint32_t CabChecksum(const uint8_t* data, size_t size, uint32_t seed) {
    uint32_t sum = seed;
    size_t words = size / 4;
    const uint8_t* p = data;
    for (size_t i = 0; i < words; ++i, p += 4) sum ^= GetLe32(p);
    uint32_t tail = 0;
    switch (size % 4) {
        case 3:
            tail |= uint32_t(*p++) << 16;
            [[fallthrough]];
        case 2:
            tail |= uint32_t(*p++) << 8;
            [[fallthrough]];
        case 1:
            tail |= *p;
            break;
        default:
            break;
    }
    return sum ^ tail;
}

uint32_t CabBlockChecksum(uint32_t dataChecksum, uint16_t compressedSize, uint16_t uncompressedSize) {
    const uint8_t sizes[4] = {static_cast<uint8_t>(compressedSize & 0xFF), static_cast<uint8_t>(compressedSize >> 8),
                              static_cast<uint8_t>(uncompressedSize & 0xFF),
                              static_cast<uint8_t>(uncompressedSize >> 8)};
    return CabChecksum(sizes, 4, dataChecksum);
}

void PutCabDataHeader(uint8_t* out, uint32_t checksum, uint16_t compressedSize, uint16_t uncompressedSize) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>((checksum >> (8 * i)) & 0xFF);
    out[4] = static_cast<uint8_t>(compressedSize & 0xFF);
    out[5] = static_cast<uint8_t>(compressedSize >> 8);
    out[6] = static_cast<uint8_t>(uncompressedSize & 0xFF);
    out[7] = static_cast<uint8_t>(uncompressedSize >> 8);
}

void DosDateTimeFromLocal(std::time_t time, uint16_t& dosDate, uint16_t& dosTime) {
    std::tm local{};
#ifdef _WIN32
    bool ok = localtime_s(&local, &time) == 0;
#else
    bool ok = localtime_r(&time, &local) != nullptr;
#endif
    int year = ok ? local.tm_year + 1900 : 1980;
    if (!ok || year < 1980) {
        dosDate = (1 << 5) | 1;  // 1980-01-01 00:00:00
        dosTime = 0;
        return;
    }
    if (year > 2107) {
        dosDate = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);  // 2107-12-31 23:59:58
        dosTime = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
        return;
    }
    dosDate = static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    dosTime = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

std::time_t LocalTimeFromDos(uint16_t dosDate, uint16_t dosTime) {
    std::tm local{};
    local.tm_year = (dosDate >> 9) + 80;
    local.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
    local.tm_mday = dosDate & 0x1F;
    local.tm_hour = dosTime >> 11;
    local.tm_min = (dosTime >> 5) & 0x3F;
    local.tm_sec = (dosTime & 0x1F) * 2;
    local.tm_isdst = -1;
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_hour > 23 || local.tm_min > 59 ||
        local.tm_sec > 59)
        return -1;
    return std::mktime(&local);
}
