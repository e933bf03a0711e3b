#pragma once
// SHA-1, and the part-file hash that the program checks: the first 16 of the 20 SHA-1 bytes as
// 32 lower-case hexadecimal digits.

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

// Hashes a whole file; false when it cannot be read.
bool PartHashOfFile(const std::string& path, std::string& hash, std::string& error);
