#pragma once
// Reads the package's cabinets back: their headers, and the files of one cabinet or of a whole
// cabinet set, extracted into a folder. Used to verify what was packed.
//
// Cabinets are untrusted input: every offset, count and size is checked against the file before
// it is used, every block's checksum, size and MSZIP stream is verified, and a stored name that
// could leave the target folder (a "..", a drive, a colon, an absolute path) is refused.

#include <cstdint>
#include <string>
#include <vector>

#include "cab/CabFormat.h"
#include "cab/CabWriter.h"

// Parses the header of a cabinet with the package's signature (a standard cabinet signature is
// refused, so a file that was not packed by this packager does not pass as a part).
bool ReadCabinetHeader(const std::string& path, CabHeader& header, std::string& error);

// The ordered part files of a set, starting at firstPart and following each cabinet's stored
// next-cabinet name in the same folder.
bool FindCabinetSet(const std::string& firstPart, std::vector<std::string>& parts, std::string& error);

// A stored name as text: UTF-8 when the record says so, otherwise one character per byte.
bool DecodeStoredName(const CabFileRecord& record, std::string& utf8, std::string& error);

struct CabExtractOptions {
    bool applyTimesAndAttributes = true;  // last-write time from the stored date, read-only attribute
    CabProgress progress;                 // bytes written of the total size of all files
};

struct CabExtractedFile {
    std::string name;  // stored name as UTF-8
    std::string path;  // where it was written
    uint32_t size = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attributes = 0;
};

struct CabExtractResult {
    std::vector<CabExtractedFile> files;  // in the order the cabinets list them
    uint16_t setId = 0;
    uint64_t bytes = 0;
};

// Extracts one cabinet, or the cabinets of one set in order, into targetFolder (created when
// missing; existing files are replaced). The cabinets must form a whole: the same set, numbers
// one after the other, every continued file continued in the next cabinet. Also checks what the
// program's reader needs: full 32 KiB blocks except at the end of a folder, and cabinet
// boundaries inside folders that split a block.
bool ExtractCabinets(const std::vector<std::string>& cabinets, const std::string& targetFolder,
                     const CabExtractOptions& options, CabExtractResult& result, std::string& error);
