#pragma once
// SHA-256, written without the Windows API so that the packager, which records the part files'
// hashes, and the program, which checks them, compute them with the same code. On processors with
// the SHA instructions the blocks go through them (several times faster than plain code, and far
// faster than the system's crypto provider under Wine); elsewhere through plain C++.

#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t size);
    // Finishes the hash; the object must not be updated afterwards.
    void Final(uint8_t digest[32]);

    // True when this processor runs the SHA instructions path.
    static bool UsesProcessorInstructions();

private:
    uint32_t state[8];
    uint64_t length = 0;
    uint8_t buffer[64];
    size_t buffered = 0;
};

// The two ways of hashing whole 64-byte blocks into the state, for the tests that hold them
// against each other. The instructions path may only run where UsesProcessorInstructions() holds.
void Sha256BlocksPlain(uint32_t state[8], const uint8_t* blocks, size_t count);
void Sha256BlocksWithInstructions(uint32_t state[8], const uint8_t* blocks, size_t count);

// The 64 lower-case hexadecimal digits of a digest.
std::string Sha256Text(const uint8_t digest[32]);
std::wstring Sha256WideText(const uint8_t digest[32]);
