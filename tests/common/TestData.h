#pragma once
// Test data shared by the native and the Windows-side tests.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

namespace testdata {

// Writes a file whole, creating its folders.
inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bytes that do not compress (a xorshift sequence), the same for the same seed.
inline std::string Incompressible(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

inline void Put32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

inline void Put16(std::string& bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<char>(value);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

// A minimal 32-bit program file: headers, one resource section at file offset 0x200 (0x200
// bytes), and fixed-version-information signatures at the given offsets.
inline std::string MakeProgram(std::initializer_list<size_t> signatures, bool signedFile = false) {
    std::string bytes(0x400, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(bytes, 0x3C, 0x40);
    bytes.replace(0x40, 4, std::string("PE\0\0", 4));
    Put16(bytes, 0x44, 0x14C);
    Put16(bytes, 0x46, 1);
    Put16(bytes, 0x54, 224);
    const size_t optional = 0x58;
    Put16(bytes, optional, 0x10B);
    Put32(bytes, optional + 92, 16);
    Put32(bytes, optional + 96 + 2 * 8, 0x1000);
    Put32(bytes, optional + 96 + 2 * 8 + 4, 0x200);
    if (signedFile) {
        Put32(bytes, optional + 96 + 4 * 8, 0x400);
        Put32(bytes, optional + 96 + 4 * 8 + 4, 0x10);
    }
    const size_t section = optional + 224;
    bytes.replace(section, 5, ".rsrc");
    Put32(bytes, section + 8, 0x200);
    Put32(bytes, section + 12, 0x1000);
    Put32(bytes, section + 16, 0x200);
    Put32(bytes, section + 20, 0x200);
    for (size_t at : signatures) Put32(bytes, at, 0xFEEF04BDu);
    return bytes;
}

}  // namespace testdata
