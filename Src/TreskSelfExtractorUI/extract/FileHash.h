#pragma once
// The content hash of part files and of the settings file: the first 16 of the 20 SHA-1 bytes
// as 32 lower-case hexadecimal digits.

#include <string>
#include <vector>

// Appends the hash of the file to hash. 0, or the platform error with a text naming the step
// that failed.
unsigned long ComputeFileHash(const std::wstring& path, std::wstring& hash, std::wstring& errorText);

struct CFileHash {
    unsigned long code = 0;
    std::wstring hash;
    std::wstring errorText;
};
// The hashes of several files, in their order, computed on one thread per processor: hashing is
// bound by the processor, and each file is hashed on its own.
std::vector<CFileHash> ComputeFileHashes(const std::vector<std::wstring>& paths);
