#pragma once
// The content hash of part files and of the settings file: the first 16 of the 20 SHA-1 bytes
// as 32 lower-case hexadecimal digits; for part files also their whole SHA-256 as 64.

#include <string>
#include <vector>

// Appends the hash of the file to hash. 0, or the platform error with a text naming the step
// that failed. With sha256 given, the SHA-256 of the same bytes is appended there too (the file
// is read once for both; on processors with the SHA instructions both come from util/Sha, else
// the SHA-1 from the system's crypto provider).
unsigned long ComputeFileHash(const std::wstring& path, std::wstring& hash, std::wstring& errorText,
                              std::wstring* sha256 = nullptr);

struct CFileHash {
    unsigned long code = 0;
    std::wstring hash;
    std::wstring sha256;  // only when asked for
    std::wstring errorText;
};
// The hashes of several files, in their order, computed on one thread per processor: hashing is
// bound by the processor, and each file is hashed on its own.
std::vector<CFileHash> ComputeFileHashes(const std::vector<std::wstring>& paths, bool withSha256 = false);
