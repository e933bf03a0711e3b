#pragma once
// The program finds its container through the file-subtype field of its fixed version
// information. These functions find that field inside the resource section of a program file.

#include <cstdint>
#include <string>

struct VersionStampLocation {
    size_t signatureOffset = 0;  // file offset of the fixed version information
    size_t subtypeOffset = 0;    // file offset of its file-subtype field
    uint32_t subtype = 0;        // the value stored there now
};

// Looks for the one fixed-version-information block inside the resource section. Fails with a
// reason for a file that is not a 32- or 64-bit program, has no resource section, carries no
// version information, or more than one candidate block.
bool FindVersionStamp(const std::string& programBytes, VersionStampLocation& location, std::string& error);

// True when the program carries a signature block (a certificate table).
bool HasSignatureBlock(const std::string& programBytes);

void WriteStamp(std::string& programBytes, const VersionStampLocation& location, uint32_t containerOffset);
