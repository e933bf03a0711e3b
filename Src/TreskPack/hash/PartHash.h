#pragma once
// The part-file hashes that the program checks: the first 16 of the 20 SHA-1 bytes as 32
// lower-case hexadecimal digits ([HashCode]), and the whole SHA-256 as 64 ([HashCode256]).

#include <cstdint>
#include <string>

std::string PartHashText(const uint8_t digest[20]);

struct PartHashes {
    std::string sha1;    // PartHashText: the [HashCode] value
    std::string sha256;  // 64 lower-case hexadecimal digits: the [HashCode256] value
};

// Hashes a whole file, reading it once for both; false when it cannot be read.
bool PartHashesOfFile(const std::string& path, PartHashes& hashes, std::string& error);
