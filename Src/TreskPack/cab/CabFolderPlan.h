#pragma once
// How the files are grouped into cabinet folders. A folder is one MSZIP stream: its files'
// bytes one after the other, cut into 32 KiB blocks. The grouping depends only on file sizes and
// names, never on how well the data compresses, so the blocks can be compressed ahead of the
// writer and the output is the same on every run.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cab/CabSource.h"

struct CabFolderPlan {
    size_t firstFile = 0;  // index into the file list
    size_t fileCount = 0;
    uint64_t bytes = 0;     // uncompressed bytes of all its files
    bool streamed = false;  // one large file whose folder may continue into the next cabinets
    uint32_t BlockCount() const;
};

// Worst-case bytes a folder takes in a cabinet (folder record, file records, data blocks), for
// data that does not compress at all.
uint64_t CabWorstCaseFolderBytes(uint64_t dataBytes, uint64_t fileRecordBytes);
// Most bytes one compressed block can take ("CK" and the deflate stream).
uint32_t CabMaxCompressedBlock(uint32_t uncompressed);

// Single cabinet: as few folders as the folder size limit allows.
bool PlanSingleCabinetFolders(const std::vector<CabSourceFile>& files, std::vector<CabFolderPlan>& plans,
                              std::string& error);

// Cabinet set. Small files are gathered into folders small enough to be placed whole into one
// cabinet (at most groupLimit bytes of data and file records, and worst case no more than
// emptyCabinetRoom); such a folder never crosses a cabinet boundary. Every other file gets a
// folder of its own, which may cross boundaries: so a folder that crosses always ends with the
// file that crossed, and the next file starts a new folder, as the readers require.
bool PlanCabinetSetFolders(const std::vector<CabSourceFile>& files, uint64_t groupLimit, uint64_t emptyCabinetRoom,
                           std::vector<CabFolderPlan>& plans, std::string& error);

// Largest file a cabinet set can hold: a folder crossing n boundaries is counted as its blocks
// plus n by readers that join the halves, and that sum must stay within 65535.
constexpr uint64_t CAB_MAX_SET_FILE_BYTES = 0x7FFF8000ull - 1024ull * 32768ull;
