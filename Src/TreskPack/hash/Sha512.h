#pragma once
// SHA-512 and SHA-384 (the same function with other starting values, cut to 48 bytes): digests that
// signatures of packages may use.

#include <cstddef>
#include <cstdint>

class Sha512 {
public:
    // truncated384: SHA-384 instead of SHA-512.
    explicit Sha512(bool truncated384 = false);
    void Update(const void* data, size_t size);
    // Writes 64 bytes (48 for SHA-384); the object must not be updated afterwards.
    void Final(uint8_t* digest);
    size_t DigestSize() const { return truncated ? 48 : 64; }

private:
    void Block(const uint8_t* block);
    bool truncated;
    uint64_t state[8];
    uint64_t length = 0;
    uint8_t buffer[128];
    size_t buffered = 0;
};
