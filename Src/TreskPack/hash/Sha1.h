#pragma once
// SHA-1, and the part-file hashes that the program checks: the first 16 of the 20 SHA-1 bytes as
// 32 lower-case hexadecimal digits ([HashCode]), and the whole SHA-256 as 64 ([HashCode256]).

#include <cstddef>
#include <cstdint>
#include <string>

class Sha1 {
public:
    Sha1();
    void Update(const void* data, size_t size);
    // Finishes the hash; the object must not be updated afterwards.
    void Final(uint8_t digest[20]);

private:
    void Block(const uint8_t* block);
    uint32_t state[5];
    uint64_t length = 0;
    uint8_t buffer[64];
    size_t buffered = 0;
};

std::string PartHashText(const uint8_t digest[20]);

struct PartHashes {
    std::string sha1;    // PartHashText: the [HashCode] value
    std::string sha256;  // 64 lower-case hexadecimal digits: the [HashCode256] value
};

// Hashes a whole file, reading it once for both; false when it cannot be read.
bool PartHashesOfFile(const std::string& path, PartHashes& hashes, std::string& error);
