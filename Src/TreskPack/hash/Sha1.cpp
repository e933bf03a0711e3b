#include "hash/Sha1.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

#include "io/File.h"
#include "util/Sha256.h"

namespace {
inline uint32_t Rotate(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}
}  // namespace

Sha1::Sha1() : state{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u} {}

void Sha1::Block(const uint8_t* block) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) | (uint32_t(block[4 * i + 2]) << 8) |
               uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 80; ++i) w[i] = Rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f, k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        uint32_t t = Rotate(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotate(b, 30);
        b = a;
        a = t;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

void Sha1::Update(const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    length += size;
    if (buffered) {
        size_t take = std::min(size, sizeof(buffer) - buffered);
        std::memcpy(buffer + buffered, bytes, take);
        buffered += take;
        bytes += take;
        size -= take;
        if (buffered < sizeof(buffer)) return;
        Block(buffer);
        buffered = 0;
    }
    for (; size >= 64; bytes += 64, size -= 64) Block(bytes);
    std::memcpy(buffer, bytes, size);
    buffered = size;
}

void Sha1::Final(uint8_t digest[20]) {
    uint64_t bits = length * 8;
    uint8_t pad = 0x80;
    Update(&pad, 1);
    uint8_t zero = 0;
    while (buffered != 56) Update(&zero, 1);
    uint8_t tail[8];
    for (int i = 0; i < 8; ++i) tail[i] = uint8_t(bits >> (56 - 8 * i));
    Update(tail, 8);
    for (int i = 0; i < 20; ++i) digest[i] = uint8_t(state[i / 4] >> (24 - 8 * (i % 4)));
}

std::string PartHashText(const uint8_t digest[20]) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        text += digits[digest[i] >> 4];
        text += digits[digest[i] & 15];
    }
    return text;
}

bool PartHashesOfFile(const std::string& path, PartHashes& hashes, std::string& error) {
    FILE* file = OpenFile(path, "rb");  // UTF-8 path, wide on Windows
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    Sha1 sha;
    Sha256 sha256;
    std::vector<uint8_t> block(1 << 20);
    size_t read;
    while ((read = std::fread(block.data(), 1, block.size(), file)) > 0) {
        sha.Update(block.data(), read);
        sha256.Update(block.data(), read);
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = "cannot read " + path;
        return false;
    }
    uint8_t digest[20], digest256[32];
    sha.Final(digest);
    sha256.Final(digest256);
    hashes.sha1 = PartHashText(digest);
    hashes.sha256 = Sha256Text(digest256);
    return true;
}
