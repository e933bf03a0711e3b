#pragma once
// The headers of a Windows program file, as far as the packager needs them: where the data
// directories and the section table are, the checksum field, and the certificate table that a
// signature occupies.

#include <cstddef>
#include <cstdint>
#include <string>

struct PeLayout {
    size_t checksum = 0;         // file offset of the optional header's checksum field
    size_t directories = 0;      // file offset of the data directories
    uint32_t directoryCount = 0;
    size_t sections = 0;         // file offset of the section table
    uint16_t sectionCount = 0;
    size_t headersEnd = 0;       // file offset just after the section table
};

// Fails with a reason for a file that is not a 32- or 64-bit Windows program or whose headers
// are cut off.
bool ParsePe(const std::string& bytes, PeLayout& layout, std::string& error);

// Little-endian reads; false when the bytes end first.
bool ReadLe32(const std::string& bytes, size_t offset, uint32_t& value);
bool ReadLe16(const std::string& bytes, size_t offset, uint16_t& value);

// Data directory 4: the certificate table. Its "address" is a file offset, not a memory address.
struct CertificateTable {
    size_t directoryEntry = 0;  // file offset of the directory entry (offset, then size)
    uint32_t offset = 0;
    uint32_t size = 0;          // 0: the program carries no signature
};
bool FindCertificateTable(const std::string& bytes, const PeLayout& layout, CertificateTable& table);
