#pragma once
// SHA-1 and SHA-256, written without the Windows API so that the packager, which records the part
// files' hashes, and the program, which checks them, compute them with the same code. On
// processors with the SHA instructions the blocks go through them (several times faster than
// plain code, and far faster than the system's crypto provider under Wine); elsewhere through
// plain C++.

#include <cstddef>
#include <cstdint>
#include <string>

// True when this processor has the SHA instructions (and the SSE levels they come with).
bool ShaInstructionsAvailable();

class Sha1 {
public:
    Sha1();
    void Update(const void* data, size_t size);
    // Finishes the hash; the object must not be updated afterwards.
    void Final(uint8_t digest[20]);

private:
    uint32_t state[5];
    uint64_t length = 0;
    uint8_t buffer[64];
    size_t buffered = 0;
};

class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t size);
    // Finishes the hash; the object must not be updated afterwards.
    void Final(uint8_t digest[32]);

private:
    uint32_t state[8];
    uint64_t length = 0;
    uint8_t buffer[64];
    size_t buffered = 0;
};

// The two ways of hashing whole 64-byte blocks into the state, for the tests that hold them
// against each other. The instructions paths may only run where ShaInstructionsAvailable() holds.
void Sha1BlocksPlain(uint32_t state[5], const uint8_t* blocks, size_t count);
void Sha1BlocksWithInstructions(uint32_t state[5], const uint8_t* blocks, size_t count);
void Sha256BlocksPlain(uint32_t state[8], const uint8_t* blocks, size_t count);
void Sha256BlocksWithInstructions(uint32_t state[8], const uint8_t* blocks, size_t count);

// Lower-case hexadecimal digits of the first count bytes of a digest.
std::string HexText(const uint8_t* digest, size_t count);
std::wstring HexWideText(const uint8_t* digest, size_t count);
// The same for a digest held as a byte string.
inline std::string HexText(const std::string& bytes) {
    return HexText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
