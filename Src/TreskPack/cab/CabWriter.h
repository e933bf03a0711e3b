#pragma once
// Writes the payload as MSZIP cabinets with the package's own signature: one cabinet, or a set
// of cabinets whose files continue from one part file to the next (<base>.001, <base>.002, ...).
//
// Output is the same byte for byte on every run for the same files and options (the compressing
// threads do not change it). Input files are streamed; memory stays at a few MiB whatever the
// payload size. Every failure is a clear error and leaves no output file behind.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cab/CabSource.h"

// Called on the calling thread after every block (32 KiB of input) and once at the end.
using CabProgress = std::function<void(uint64_t bytesDone, uint64_t bytesTotal)>;

constexpr uint64_t CAB_MIN_PART_SIZE = 64 * 1024;
constexpr uint64_t CAB_MAX_PART_SIZE = 0x7FFFFFFF;  // the largest cabinet the format allows
constexpr unsigned CAB_MAX_PARTS = 999;             // the program reads the part number from three digits

struct CabWriteOptions {
    uint64_t partSize = 0;  // WriteCabinetSet: most bytes of one part file
    uint16_t setId = 0;     // the cabinet set identifier stored in every cabinet
    int level = 6;          // zlib compression level, 0 (store) to 9
    unsigned threads = 0;   // compressing threads; 0: one per processor
    CabProgress progress;
};

struct CabWrittenFile {
    std::string path;
    uint64_t size = 0;
};

struct CabWriteResult {
    std::vector<CabWrittenFile> cabinets;  // the cabinet, or the part files in order
    uint16_t setId = 0;
    uint64_t uncompressedBytes = 0;
    uint64_t fileCount = 0;
};

// One cabinet at path, holding every file (a single-file package's payload). Fails when the
// files do not fit one cabinet: more than 65535 files or more than 2 GiB of cabinet.
bool WriteCabinet(const std::vector<CabSourceFile>& files, const std::string& path, const CabWriteOptions& options,
                  CabWriteResult& result, std::string& error);

// A cabinet set in part files CabPartPath(basePath, 1), 2, ... of at most options.partSize bytes
// each (CAB_MIN_PART_SIZE to CAB_MAX_PART_SIZE). Every cabinet stores the next part's file name
// (the file name of basePath with the part's extension), so the part files must keep that name
// or be renamed as the program expects.
bool WriteCabinetSet(const std::vector<CabSourceFile>& files, const std::string& basePath,
                     const CabWriteOptions& options, CabWriteResult& result, std::string& error);

// basePath followed by a dot and the part number in three digits.
std::string CabPartPath(const std::string& basePath, unsigned number);
