// Header parsing and the following of a set's next-cabinet names.

#include "cab/CabReader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "io/File.h"
#include "text/Utf.h"

namespace fs = std::filesystem;

namespace {

// Reads the NUL-terminated name at offset, at most CAB_MAX_NAME_BYTES before the terminator.
bool ReadName(InputFile& in, uint64_t& offset, std::string& name, const char* what, std::string& error) {
    size_t window = static_cast<size_t>(std::min<uint64_t>(CAB_MAX_NAME_BYTES + 1, in.Size() - std::min(offset, in.Size())));
    std::string bytes(window, '\0');
    if (window == 0 || !in.ReadAt(offset, &bytes[0], window, error)) {
        error = std::string(what) + " lies beyond the end of the file";
        return false;
    }
    size_t end = bytes.find('\0');
    if (end == std::string::npos) {
        error = std::string(what) + " is not terminated within " + std::to_string(CAB_MAX_NAME_BYTES) + " bytes";
        return false;
    }
    name = bytes.substr(0, end);
    offset += end + 1;
    return true;
}

bool Fail(const std::string& path, const std::string& what, std::string& error) {
    error = path + ": " + what;
    return false;
}

}  // namespace

bool ReadCabinetHeader(const std::string& path, CabHeader& header, std::string& error) {
    header = CabHeader();
    InputFile in;
    if (!in.Open(path, error)) return false;
    uint64_t size = in.Size();
    uint8_t fixed[CAB_HEADER_BYTES];
    if (size < CAB_HEADER_BYTES || !in.ReadAt(0, fixed, sizeof fixed, error))
        return Fail(path, "too short to be a cabinet", error);
    if (std::memcmp(fixed, CAB_STANDARD_SIGNATURE, 4) == 0)
        return Fail(path, "a standard cabinet, not one of this package (its signature is not the package's)", error);
    if (std::memcmp(fixed, CAB_SIGNATURE, 4) != 0) return Fail(path, "not a cabinet of this package", error);
    header.cabinetSize = GetLe32(fixed + 8);
    header.filesOffset = GetLe32(fixed + 16);
    if (fixed[25] != 1) return Fail(path, "unknown cabinet version " + std::to_string(fixed[25]), error);
    uint16_t folderCount = GetLe16(fixed + 26), fileCount = GetLe16(fixed + 28);
    header.flags = GetLe16(fixed + 30);
    header.setId = GetLe16(fixed + 32);
    header.cabinetIndex = GetLe16(fixed + 34);
    if (header.cabinetSize > size)
        return Fail(path, "truncated: the header gives " + std::to_string(header.cabinetSize) + " bytes, the file has " +
                              std::to_string(size), error);
    if (folderCount > CAB_MAX_FOLDERS) return Fail(path, "too many folders", error);

    uint64_t offset = CAB_HEADER_BYTES;
    if (header.flags & CAB_FLAG_RESERVE_PRESENT) {
        uint8_t reserve[4];
        if (!in.ReadAt(offset, reserve, sizeof reserve, error)) return Fail(path, "truncated header", error);
        header.headerReserve = GetLe16(reserve);
        header.folderReserve = reserve[2];
        header.dataReserve = reserve[3];
        offset += 4 + header.headerReserve;
    }
    if (header.flags & CAB_FLAG_PREV_CABINET) {
        if (!ReadName(in, offset, header.prevCabinet, "previous cabinet name", error) ||
            !ReadName(in, offset, header.prevDisk, "previous disk name", error))
            return Fail(path, error, error);
    }
    if (header.flags & CAB_FLAG_NEXT_CABINET) {
        if (!ReadName(in, offset, header.nextCabinet, "next cabinet name", error) ||
            !ReadName(in, offset, header.nextDisk, "next disk name", error))
            return Fail(path, error, error);
    }

    size_t folderBytes = CAB_FOLDER_BYTES + header.folderReserve;
    std::vector<uint8_t> folders(folderCount * folderBytes);
    if (!folders.empty() && !in.ReadAt(offset, folders.data(), folders.size(), error))
        return Fail(path, "folder records lie beyond the end of the file", error);
    for (uint16_t i = 0; i < folderCount; ++i) {
        const uint8_t* p = folders.data() + i * folderBytes;
        CabFolderRecord folder;
        folder.dataOffset = GetLe32(p);
        folder.blockCount = GetLe16(p + 4);
        folder.compression = GetLe16(p + 6);
        if (folder.dataOffset > header.cabinetSize)
            return Fail(path, "folder " + std::to_string(i) + " starts beyond the end of the cabinet", error);
        header.folders.push_back(folder);
    }

    // The file records: read as one window, each record checked against it.
    if (header.filesOffset > header.cabinetSize) return Fail(path, "file records lie beyond the end", error);
    size_t window = static_cast<size_t>(std::min<uint64_t>(header.cabinetSize - header.filesOffset,
                                                           uint64_t(fileCount) * (CAB_FILE_BYTES + CAB_MAX_NAME_BYTES + 1)));
    std::vector<uint8_t> records(window);
    if (window && !in.ReadAt(header.filesOffset, records.data(), window, error))
        return Fail(path, "cannot read the file records", error);
    size_t at = 0;
    for (uint16_t i = 0; i < fileCount; ++i) {
        if (window - at < CAB_FILE_BYTES + 1) return Fail(path, "file records run past the end of the cabinet", error);
        const uint8_t* p = records.data() + at;
        CabFileRecord file;
        file.size = GetLe32(p);
        file.folderOffset = GetLe32(p + 4);
        file.folderIndex = GetLe16(p + 8);
        file.date = GetLe16(p + 10);
        file.time = GetLe16(p + 12);
        file.attributes = GetLe16(p + 14);
        const uint8_t* name = p + CAB_FILE_BYTES;
        size_t limit = std::min<size_t>(window - at - CAB_FILE_BYTES, CAB_MAX_NAME_BYTES + 1);
        const void* end = std::memchr(name, 0, limit);
        if (!end) return Fail(path, "file record " + std::to_string(i) + " has no terminated name", error);
        file.name.assign(reinterpret_cast<const char*>(name), static_cast<const uint8_t*>(end) - name);
        if (file.folderIndex < CAB_CONTINUED_FROM_PREV && file.folderIndex >= folderCount)
            return Fail(path, "file record " + std::to_string(i) + " names folder " + std::to_string(file.folderIndex) +
                                  " of " + std::to_string(folderCount), error);
        if (uint64_t(file.folderOffset) + file.size > CAB_MAX_FOLDER_BYTES)
            return Fail(path, "file record " + std::to_string(i) + " lies beyond the largest folder", error);
        at += CAB_FILE_BYTES + file.name.size() + 1;
        header.files.push_back(std::move(file));
    }
    return true;
}

bool DecodeStoredName(const CabFileRecord& record, std::string& utf8, std::string& error) {
    if (record.attributes & CAB_ATTRIBUTE_NAME_IS_UTF) {
        std::u16string wide;
        if (!Utf8ToUtf16(record.name, wide, error)) {
            error = "stored name marked UTF-8 is not: " + error;
            return false;
        }
        utf8 = record.name;
        return true;
    }
    std::u16string wide;
    for (unsigned char c : record.name) wide += static_cast<char16_t>(c);
    utf8 = Utf16ToUtf8(wide);
    return true;
}

bool FindCabinetSet(const std::string& firstPart, std::vector<std::string>& parts, std::string& error) {
    parts.clear();
    fs::path folder = fs::u8path(firstPart).parent_path();
    std::set<std::string> seen;
    std::string path = firstPart;
    for (;;) {
        CabHeader header;
        if (!ReadCabinetHeader(path, header, error)) return false;
        if (!seen.insert(fs::u8path(path).lexically_normal().u8string()).second || parts.size() >= CAB_MAX_SET_CABINETS)
            return Fail(path, "the next-cabinet names lead in a circle", error);
        parts.push_back(path);
        if (!(header.flags & CAB_FLAG_NEXT_CABINET)) return true;
        const std::string& next = header.nextCabinet;
        if (next.empty() || next == "." || next == ".." || next.find_first_of("/\\:") != std::string::npos)
            return Fail(path, "next cabinet name '" + next + "' is not a plain file name", error);
        path = (folder / fs::u8path(next)).u8string();
    }
}
