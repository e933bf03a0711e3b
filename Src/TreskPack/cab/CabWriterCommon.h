#pragma once
// Pieces the single-cabinet writer and the cabinet-set writer share.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cab/CabBlockPipeline.h"
#include "cab/CabFormat.h"
#include "cab/CabSource.h"
#include "cab/CabWriter.h"

// Checks what both writers need before anything is read: at least one file, names the format
// can store and the program can extract, no name twice (Windows does not tell "A" from "a"), a
// usable compression level.
bool CheckCabSources(const std::vector<CabSourceFile>& files, const CabWriteOptions& options, std::string& error);

// The file record of a source file; the name is marked UTF-8 when it is not plain ASCII.
CabFileRecord MakeCabFileRecord(const CabSourceFile& file, uint16_t folderIndex, uint32_t folderOffset);

// Writes one data block (or one fragment of a block split across cabinets) with its header.
bool WriteCabDataBlock(FILE* out, const uint8_t* data, size_t size, uint32_t dataChecksum, uint32_t uncompressedSize);

// Reports the bytes done to the caller's progress callback.
class CabProgressCounter {
public:
    CabProgressCounter(const CabProgress& callback, uint64_t total) : callback(callback), total(total) {}
    void Add(uint64_t bytes) {
        done += bytes;
        if (callback) callback(done, total);
    }

private:
    const CabProgress& callback;
    uint64_t total;
    uint64_t done = 0;
};

uint64_t CabTotalBytes(const std::vector<CabSourceFile>& files);
