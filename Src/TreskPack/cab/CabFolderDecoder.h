#pragma once
// Decodes one MSZIP folder, which may run through several cabinets of a set, block after block.
//
// Each block is checked as it is read: it lies inside its cabinet, its checksum matches, it
// starts with "CK", inflates (with the previous block as dictionary) to exactly the size it
// states, and every block but the folder's last holds 32 KiB. A block split at a cabinet
// boundary is joined from its two fragments; a cabinet boundary anywhere else is an error.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "io/File.h"

struct CabFolderSegment {
    InputFile* cabinet = nullptr;  // open cabinet file
    std::string cabinetPath;
    uint32_t cabinetSize = 0;
    uint32_t dataOffset = 0;
    uint16_t blockCount = 0;
    uint8_t dataReserve = 0;
};

class CabFolderDecoder {
public:
    CabFolderDecoder(std::vector<CabFolderSegment> segments, std::string folderName);
    ~CabFolderDecoder();
    CabFolderDecoder(const CabFolderDecoder&) = delete;
    CabFolderDecoder& operator=(const CabFolderDecoder&) = delete;

    // Copies the next count bytes of the folder's data into out (nullptr: skips them).
    bool Read(uint8_t* out, uint64_t count, std::string& error);
    uint64_t Position() const { return position; }

private:
    bool NextBlock(std::string& error);
    bool ReadRawBlock(std::vector<uint8_t>& data, uint16_t& uncompressed, std::string& error);

    std::vector<CabFolderSegment> segments;
    std::string folderName;
    size_t segment = 0;
    uint16_t blockInSegment = 0;
    uint64_t blockOffset = 0;  // file offset of the next block in the current segment
    uint32_t blockNumber = 0;  // blocks decoded so far

    z_stream stream{};
    bool streamReady = false;
    std::vector<uint8_t> compressed;
    std::vector<uint8_t> window;  // the block decoded last: the next block's dictionary
    size_t windowUsed = 0;        // bytes of window already handed out
    uint64_t position = 0;        // folder offset of the next byte handed out
};
