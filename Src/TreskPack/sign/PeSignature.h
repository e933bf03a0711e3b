#pragma once
// The signature of a Windows program file (Authenticode) as the file carries it: the certificate
// table at the end of the file, the digest of the file that a signature vouches for, and an
// unsigned copy of a signed file for signing it anew.

#include <cstdint>
#include <string>

#include "container/PeHeaders.h"
#include "hash/Digest.h"

struct PeSignatureFile {
    uint64_t fileSize = 0;
    PeLayout layout;
    CertificateTable table;  // table.size 0: unsigned
};

// Reads the headers of the file; false when it cannot be read or is not a Windows program.
bool ReadPeSignatureFile(const std::string& path, PeSignatureFile& file, std::string& error);

// The signature blob (PKCS #7 signed data) of the first certificate-table entry of the
// Authenticode kind; false with a reason when the table is out of bounds or holds none.
bool ReadSignatureBlob(const std::string& path, const PeSignatureFile& file, std::string& blob, std::string& error);

// The Authenticode digest of the file: every byte except the checksum field, the
// certificate-table directory entry and the certificate table itself (and anything after it).
bool AuthenticodeDigest(const std::string& path, const PeSignatureFile& file, DigestKind kind, std::string& digest,
                        std::string& error);

// Writes the file without its signature to target: the certificate table and the padding before
// it down to keepUpTo (when only zero bytes lie between) are left out, the directory entry and the
// checksum are zeroed. keepUpTo is where the file's own data ends (0: unknown).
bool WriteUnsignedCopy(const std::string& path, const PeSignatureFile& file, uint64_t keepUpTo,
                       const std::string& target, std::string& error);
