#include "cab/CabFolderDecoder.h"

#include <algorithm>
#include <cstring>

#include "cab/CabFormat.h"

CabFolderDecoder::CabFolderDecoder(std::vector<CabFolderSegment> folderSegments, std::string name)
    : segments(std::move(folderSegments)), folderName(std::move(name)) {
    streamReady = inflateInit2(&stream, -15) == Z_OK;
    if (!segments.empty()) blockOffset = segments[0].dataOffset;
}

CabFolderDecoder::~CabFolderDecoder() {
    if (streamReady) inflateEnd(&stream);
}

bool CabFolderDecoder::ReadRawBlock(std::vector<uint8_t>& data, uint16_t& uncompressed, std::string& error) {
    while (segment < segments.size() && blockInSegment == segments[segment].blockCount) {
        ++segment;
        blockInSegment = 0;
        if (segment < segments.size()) blockOffset = segments[segment].dataOffset;
    }
    if (segment == segments.size()) {
        error = folderName + ": the data ends before the files do";
        return false;
    }
    const CabFolderSegment& s = segments[segment];
    std::string where = s.cabinetPath + ": block " + std::to_string(blockInSegment) + " of " + folderName;
    size_t headerBytes = CAB_DATA_HEADER_BYTES + s.dataReserve;
    uint8_t header[CAB_DATA_HEADER_BYTES + 255];
    if (blockOffset + headerBytes > s.cabinetSize || !s.cabinet->ReadAt(blockOffset, header, headerBytes, error)) {
        error = where + " lies beyond the end of the cabinet";
        return false;
    }
    uint32_t checksum = GetLe32(header);
    uint16_t size = GetLe16(header + 4);
    uncompressed = GetLe16(header + 6);
    if (size > CAB_MAX_BLOCK_DATA || uncompressed > CAB_BLOCK_BYTES) {
        error = where + " states impossible sizes (" + std::to_string(size) + " compressed, " +
                std::to_string(uncompressed) + " uncompressed)";
        return false;
    }
    uint64_t dataOffset = blockOffset + headerBytes;
    if (dataOffset + size > s.cabinetSize) {
        error = where + " runs past the end of the cabinet";
        return false;
    }
    size_t start = data.size();
    data.resize(start + size);
    if (size && !s.cabinet->ReadAt(dataOffset, data.data() + start, size, error)) {
        error = where + " cannot be read";
        return false;
    }
    if (checksum != 0) {
        uint32_t computed = CabBlockChecksum(CabChecksum(data.data() + start, size, 0), size, uncompressed);
        if (computed != checksum) {
            error = where + " is corrupt (checksum mismatch)";
            return false;
        }
    }
    blockOffset = dataOffset + size;
    ++blockInSegment;
    if (uncompressed == 0) {
        // The first fragment of a block split at a cabinet boundary: the rest opens the next cabinet.
        if (blockInSegment != s.blockCount || segment + 1 == segments.size()) {
            error = where + " is a split block that does not end a cabinet's part of the folder";
            return false;
        }
        ++segment;
        blockInSegment = 0;
        blockOffset = segments[segment].dataOffset;
        if (segments[segment].blockCount == 0) {
            error = segments[segment].cabinetPath + ": " + folderName + " lacks the rest of a split block";
            return false;
        }
        return ReadRawBlock(data, uncompressed, error);
    }
    if (blockInSegment == s.blockCount && segment + 1 < segments.size()) {
        error = where + " ends a cabinet's part of the folder without being split, which readers do not follow";
        return false;
    }
    return true;
}

bool CabFolderDecoder::NextBlock(std::string& error) {
    if (!streamReady) {
        error = "cannot start the decompressor";
        return false;
    }
    compressed.clear();
    uint16_t uncompressed = 0;
    if (!ReadRawBlock(compressed, uncompressed, error)) return false;
    if (blockNumber > 0 && window.size() != CAB_BLOCK_BYTES) {
        error = folderName + ": block " + std::to_string(blockNumber - 1) + " holds " + std::to_string(window.size()) +
                " bytes but is not the folder's last; readers need 32768";
        return false;
    }
    std::string where = folderName + ": block " + std::to_string(blockNumber);
    if (compressed.size() < 2 || compressed[0] != 'C' || compressed[1] != 'K') {
        error = where + " is not MSZIP data (no CK signature)";
        return false;
    }
    if (inflateReset(&stream) != Z_OK ||
        (blockNumber > 0 && inflateSetDictionary(&stream, window.data(), static_cast<uInt>(window.size())) != Z_OK)) {
        error = where + ": cannot prepare the decompressor";
        return false;
    }
    std::vector<uint8_t> output(uncompressed);
    uint8_t spare;
    stream.next_in = compressed.data() + 2;
    stream.avail_in = static_cast<uInt>(compressed.size() - 2);
    stream.next_out = uncompressed ? output.data() : &spare;
    stream.avail_out = uncompressed;
    int status = inflate(&stream, Z_FINISH);
    if (status != Z_STREAM_END || stream.avail_out != 0) {
        error = where + " is corrupt: " +
                (status == Z_STREAM_END ? std::string("it decodes to fewer bytes than it states")
                 : status == Z_BUF_ERROR && stream.avail_out == 0 ? std::string("it decodes to more bytes than it states")
                                                                  : std::string("invalid deflate data"));
        return false;
    }
    window.swap(output);
    windowUsed = 0;
    ++blockNumber;
    return true;
}

bool CabFolderDecoder::Read(uint8_t* out, uint64_t count, std::string& error) {
    while (count > 0) {
        if (windowUsed == window.size() && !NextBlock(error)) return false;
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(count, window.size() - windowUsed));
        if (out) {
            std::memcpy(out, window.data() + windowUsed, chunk);
            out += chunk;
        }
        windowUsed += chunk;
        position += chunk;
        count -= chunk;
    }
    return true;
}
