#pragma once
// The container of package files appended to the program file: entries of a marker, the file
// name, the size, the kind and the bytes, one after the other without gaps.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr uint16_t ENTRY_SUPPORT_FILE = 200;
constexpr uint16_t ENTRY_PAYLOAD = 100;
constexpr size_t CONTAINER_MARKER_BYTES = 76;
constexpr size_t CONTAINER_NAME_MAX_BYTES = 1022;
constexpr const char* PAYLOAD_ENTRY_NAME = "WebCab1";
constexpr const char* SETTINGS_ENTRY_NAME = "Properties_Qirva.ini";

// The 38-character marker in UTF-16LE, as the entries carry it.
const std::string& ContainerMarker();

struct ContainerEntry {
    std::string name;       // UTF-8
    uint16_t kind = 0;
    uint64_t dataOffset = 0;  // where the entry's bytes start in the package file
    uint32_t size = 0;
};

// A name the program can join to its folder unchanged: not empty, no folder part, no drive, no
// characters that file names cannot hold, at most 511 UTF-16 characters.
bool CheckEntryName(const std::string& name, std::string& error);

// Appends one entry whose bytes come from a file (streamed) or from memory.
bool AppendEntryFromFile(FILE* out, const std::string& name, uint16_t kind, const std::string& sourcePath,
                         std::string& error);
bool AppendEntryFromBytes(FILE* out, const std::string& name, uint16_t kind, const std::string& bytes,
                          std::string& error);

// Reads the entries starting at offset the way the program does: the container ends at the first
// block without the marker or at the end of the file. Entries that run past the end of the file
// are an error.
bool ReadContainer(const std::string& packagePath, uint64_t offset, std::vector<ContainerEntry>& entries,
                   std::string& error);

// Copies an entry's bytes into memory or a file.
bool ReadEntryBytes(const std::string& packagePath, const ContainerEntry& entry, std::string& bytes, std::string& error);
bool CopyEntryToFile(const std::string& packagePath, const ContainerEntry& entry, const std::string& target,
                     std::string& error);
