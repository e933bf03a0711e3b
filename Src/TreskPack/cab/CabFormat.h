#pragma once
// Byte layout of a cabinet: the header, folder and file records, data block headers and their
// checksum, the limits the readers impose, and the conversion of file times to the DOS date and
// time that the file records carry. Shared by the writer and the reader.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// The package's cabinets start with this instead of the standard signature; the program swaps it
// back while reading. Nothing else in the file differs from a standard cabinet.
constexpr char CAB_SIGNATURE[4] = {'Q', 'R', 'V', 'A'};
constexpr char CAB_STANDARD_SIGNATURE[4] = {'M', 'S', 'C', 'F'};

constexpr uint16_t CAB_FLAG_PREV_CABINET = 0x0001;
constexpr uint16_t CAB_FLAG_NEXT_CABINET = 0x0002;
constexpr uint16_t CAB_FLAG_RESERVE_PRESENT = 0x0004;

constexpr uint16_t CAB_COMPRESSION_NONE = 0;
constexpr uint16_t CAB_COMPRESSION_MSZIP = 1;

// Folder index values of a file record that mark a file continued across cabinets.
constexpr uint16_t CAB_CONTINUED_FROM_PREV = 0xFFFD;
constexpr uint16_t CAB_CONTINUED_TO_NEXT = 0xFFFE;
constexpr uint16_t CAB_CONTINUED_PREV_AND_NEXT = 0xFFFF;

constexpr uint16_t CAB_ATTRIBUTE_READ_ONLY = 0x01;
constexpr uint16_t CAB_ATTRIBUTE_HIDDEN = 0x02;
constexpr uint16_t CAB_ATTRIBUTE_SYSTEM = 0x04;
constexpr uint16_t CAB_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint16_t CAB_ATTRIBUTE_NAME_IS_UTF = 0x80;
constexpr uint16_t CAB_ATTRIBUTES_KEPT = CAB_ATTRIBUTE_READ_ONLY | CAB_ATTRIBUTE_HIDDEN | CAB_ATTRIBUTE_SYSTEM |
                                         CAB_ATTRIBUTE_ARCHIVE;

constexpr size_t CAB_HEADER_BYTES = 36;
constexpr size_t CAB_FOLDER_BYTES = 8;
constexpr size_t CAB_FILE_BYTES = 16;  // without the name and its terminator
constexpr size_t CAB_DATA_HEADER_BYTES = 8;

// Limits of the format and of its readers.
constexpr uint32_t CAB_BLOCK_BYTES = 32768;            // uncompressed bytes of every block but a folder's last
constexpr uint32_t CAB_MAX_BLOCK_DATA = 32768 + 6144;  // compressed bytes the readers accept in one block
constexpr size_t CAB_MAX_NAME_BYTES = 255;             // stored names, cabinet and disk names, without terminator
constexpr uint32_t CAB_MAX_FILES = 0xFFFF;             // file records in one cabinet
constexpr uint32_t CAB_MAX_FOLDERS = 0xFFFD;           // indexes 0xFFFD and up are continuation markers
constexpr uint32_t CAB_MAX_FOLDER_BYTES = 0x7FFF8000;  // uncompressed bytes of one folder (65535 blocks)
constexpr uint32_t CAB_MAX_CABINET_BYTES = 0x7FFFFFFF;
constexpr uint32_t CAB_MAX_SET_CABINETS = 0xFFFF;

struct CabFolderRecord {
    uint32_t dataOffset = 0;  // where the folder's first data block starts in this cabinet
    uint16_t blockCount = 0;  // data blocks of this folder in this cabinet (split halves count)
    uint16_t compression = CAB_COMPRESSION_MSZIP;
};

struct CabFileRecord {
    uint32_t size = 0;
    uint32_t folderOffset = 0;  // uncompressed offset from the start of the folder's data
    uint16_t folderIndex = 0;   // or one of the continuation markers
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attributes = 0;
    std::string name;  // stored bytes: UTF-8 when attributes has CAB_ATTRIBUTE_NAME_IS_UTF
};

struct CabHeader {
    uint32_t cabinetSize = 0;
    uint32_t filesOffset = 0;
    uint16_t flags = 0;
    uint16_t setId = 0;
    uint16_t cabinetIndex = 0;
    uint16_t headerReserve = 0;  // reserve sizes: only read, the writer never reserves
    uint8_t folderReserve = 0;
    uint8_t dataReserve = 0;
    std::string prevCabinet, prevDisk, nextCabinet, nextDisk;
    std::vector<CabFolderRecord> folders;
    std::vector<CabFileRecord> files;
};

// Bytes of the header up to the first data block, as the writer lays it out: fixed header, the
// previous and next names present according to flags, folder records, file records.
size_t CabHeaderSize(const CabHeader& header);
size_t CabFileRecordSize(const CabFileRecord& file);
size_t CabNamesSize(const CabHeader& header);

// Serialises a header whose offsets are already filled in (filesOffset, folder data offsets,
// cabinetSize). The signature written is the package's own.
std::string SerializeCabHeader(const CabHeader& header);

// The checksum of a data block: the format's XOR of little-endian 32-bit words, with the 1 to 3
// trailing bytes folded in high byte first. Seed is 0 for a block's data; the block's checksum is
// then the checksum of its 4 size bytes seeded with the data's checksum.
uint32_t CabChecksum(const uint8_t* data, size_t size, uint32_t seed);
uint32_t CabBlockChecksum(uint32_t dataChecksum, uint16_t compressedSize, uint16_t uncompressedSize);
// The 8-byte header of a data block.
void PutCabDataHeader(uint8_t* out, uint32_t checksum, uint16_t compressedSize, uint16_t uncompressedSize);

// Local time to DOS date and time (2-second steps), clamped to the years 1980 to 2107.
void DosDateTimeFromLocal(std::time_t time, uint16_t& dosDate, uint16_t& dosTime);
// The inverse (local time); -1 when the fields are out of range.
std::time_t LocalTimeFromDos(uint16_t dosDate, uint16_t dosTime);

void PutLe16(std::string& out, uint16_t value);
void PutLe32(std::string& out, uint32_t value);
inline uint16_t GetLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
