#include "container/Container.h"

#include <cstring>
#include <memory>

#include "io/File.h"
#include "text/Utf.h"

const std::string& ContainerMarker() {
    static const std::string marker = [] {
        std::u16string text = u"{20726377-9F91-41b8-B514-20AE00AA235D}";
        return Utf16LeBytes(text);
    }();
    return marker;
}

namespace {

void PutLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t GetLe(const unsigned char* data, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data[i];
    return value;
}

bool EntryHeader(const std::string& name, uint16_t kind, uint64_t size, std::string& header, std::string& error) {
    if (!CheckEntryName(name, error)) return false;
    if (size > 0xFFFFFFFFull) {
        error = name + ": " + std::to_string(size) + " bytes do not fit into a container entry (4 GiB - 1 at most)";
        return false;
    }
    std::u16string wide;
    Utf8ToUtf16(name, wide, error);
    std::string nameBytes = Utf16LeBytes(wide);
    header = ContainerMarker();
    PutLe(header, nameBytes.size(), 4);
    header += nameBytes;
    PutLe(header, size, 4);
    PutLe(header, kind, 2);
    return true;
}

}  // namespace

bool CheckEntryName(const std::string& name, std::string& error) {
    std::u16string wide;
    if (!Utf8ToUtf16(name, wide, error)) {
        error = "container file name: " + error;
        return false;
    }
    if (name.empty() || name == "." || name == "..") {
        error = "container file name '" + name + "' is not a file name";
        return false;
    }
    for (char16_t c : wide) {
        if (c < 32 || std::strchr("\\/:*?\"<>|", static_cast<int>(c < 128 ? c : 'a'))) {
            error = "container file name '" + name + "' must be a plain file name (no folder, drive or "
                    "characters that file names cannot hold)";
            return false;
        }
    }
    if (wide.back() == u'.' || wide.back() == u' ') {
        // Windows drops a trailing dot or blank, so two such names could land on one file.
        error = "container file name '" + name + "' must not end with a dot or a blank";
        return false;
    }
    if (wide.size() * 2 > CONTAINER_NAME_MAX_BYTES) {
        error = "container file name '" + name + "' is longer than 511 characters";
        return false;
    }
    return true;
}

bool AppendEntryFromBytes(FILE* out, const std::string& name, uint16_t kind, const std::string& bytes,
                          std::string& error) {
    std::string header;
    if (!EntryHeader(name, kind, bytes.size(), header, error)) return false;
    if (!WriteAll(out, header.data(), header.size()) || !WriteAll(out, bytes.data(), bytes.size())) {
        error = "cannot write the container entry " + name;
        return false;
    }
    return true;
}

bool AppendEntryFromFile(FILE* out, const std::string& name, uint16_t kind, const std::string& sourcePath,
                         std::string& error) {
    InputFile source;
    if (!source.Open(sourcePath, error)) return false;
    std::string header;
    if (!EntryHeader(name, kind, source.Size(), header, error)) return false;
    if (!WriteAll(out, header.data(), header.size())) {
        error = "cannot write the container entry " + name;
        return false;
    }
    return CopyStream(source, out, source.Size(), error);
}

bool ReadContainer(const std::string& packagePath, uint64_t offset, std::vector<ContainerEntry>& entries,
                   std::string& error) {
    entries.clear();
    InputFile file;
    if (!file.Open(packagePath, error)) return false;
    uint64_t fileSize = file.Size();
    uint64_t position = offset;
    if (position > fileSize) {
        error = "the container offset " + std::to_string(offset) + " lies beyond the end of the file";
        return false;
    }
    while (position + CONTAINER_MARKER_BYTES <= fileSize) {
        std::string marker(CONTAINER_MARKER_BYTES, '\0');
        if (!file.ReadAt(position, &marker[0], marker.size(), error)) return false;
        if (marker != ContainerMarker()) break;
        unsigned char number[4];
        if (position + 80 > fileSize || !file.ReadAt(position + 76, number, 4, error)) {
            error = "the container entry at " + std::to_string(position) + " is cut off";
            return false;
        }
        uint64_t nameLength = GetLe(number, 4);
        if (nameLength > CONTAINER_NAME_MAX_BYTES || nameLength % 2 != 0 || position + 86 + nameLength > fileSize) {
            error = "the container entry at " + std::to_string(position) + " has an invalid name length";
            return false;
        }
        std::string nameBytes(nameLength, '\0');
        unsigned char sizeAndKind[6];
        if (!file.ReadAt(position + 80, &nameBytes[0], nameLength, error) ||
            !file.ReadAt(position + 80 + nameLength, sizeAndKind, 6, error))
            return false;
        std::u16string wide;
        for (size_t i = 0; i + 1 < nameBytes.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(nameBytes[i]) |
                                          (static_cast<unsigned char>(nameBytes[i + 1]) << 8));
        ContainerEntry entry;
        entry.name = Utf16ToUtf8(wide);
        entry.size = static_cast<uint32_t>(GetLe(sizeAndKind, 4));
        entry.kind = static_cast<uint16_t>(GetLe(sizeAndKind + 4, 2));
        entry.dataOffset = position + 86 + nameLength;
        if (entry.dataOffset + entry.size > fileSize) {
            error = "the container entry " + entry.name + " runs past the end of the file";
            return false;
        }
        entries.push_back(entry);
        position = entry.dataOffset + entry.size;
    }
    return true;
}

bool ReadEntryBytes(const std::string& packagePath, const ContainerEntry& entry, std::string& bytes,
                    std::string& error) {
    InputFile file;
    if (!file.Open(packagePath, error)) return false;
    bytes.assign(entry.size, '\0');
    return entry.size == 0 || file.ReadAt(entry.dataOffset, &bytes[0], entry.size, error);
}

bool CopyEntryToFile(const std::string& packagePath, const ContainerEntry& entry, const std::string& target,
                     std::string& error) {
    InputFile file;
    if (!file.Open(packagePath, error) || !file.Seek(entry.dataOffset, error)) return false;
    std::unique_ptr<FILE, int (*)(FILE*)> out(OpenFile(target, "wb"), std::fclose);
    if (!out) {
        error = "cannot create " + target;
        return false;
    }
    if (!CopyStream(file, out.get(), entry.size, error)) return false;
    if (std::fflush(out.get()) != 0) {
        error = "cannot write " + target;
        return false;
    }
    return true;
}
