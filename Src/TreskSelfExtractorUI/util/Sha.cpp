#include "util/Sha.h"

#include <algorithm>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TRESK_SHA_INSTRUCTIONS 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

const uint32_t kRound[64] = {
    0x428a2f98u, 0x71374491u, 0xb5c0fbcfu, 0xe9b5dba5u, 0x3956c25bu, 0x59f111f1u, 0x923f82a4u, 0xab1c5ed5u,
    0xd807aa98u, 0x12835b01u, 0x243185beu, 0x550c7dc3u, 0x72be5d74u, 0x80deb1feu, 0x9bdc06a7u, 0xc19bf174u,
    0xe49b69c1u, 0xefbe4786u, 0x0fc19dc6u, 0x240ca1ccu, 0x2de92c6fu, 0x4a7484aau, 0x5cb0a9dcu, 0x76f988dau,
    0x983e5152u, 0xa831c66du, 0xb00327c8u, 0xbf597fc7u, 0xc6e00bf3u, 0xd5a79147u, 0x06ca6351u, 0x14292967u,
    0x27b70a85u, 0x2e1b2138u, 0x4d2c6dfcu, 0x53380d13u, 0x650a7354u, 0x766a0abbu, 0x81c2c92eu, 0x92722c85u,
    0xa2bfe8a1u, 0xa81a664bu, 0xc24b8b70u, 0xc76c51a3u, 0xd192e819u, 0xd6990624u, 0xf40e3585u, 0x106aa070u,
    0x19a4c116u, 0x1e376c08u, 0x2748774cu, 0x34b0bcb5u, 0x391c0cb3u, 0x4ed8aa4au, 0x5b9cca4fu, 0x682e6ff3u,
    0x748f82eeu, 0x78a5636fu, 0x84c87814u, 0x8cc70208u, 0x90befffau, 0xa4506cebu, 0xbef9a3f7u, 0xc67178f2u};

inline uint32_t Rotr(uint32_t value, int bits) {
    return (value >> bits) | (value << (32 - bits));
}

inline uint32_t Rotl(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

#ifdef TRESK_SHA_INSTRUCTIONS
bool DetectInstructions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool ssse3 = (c & (1u << 9)) != 0, sse41 = (c & (1u << 19)) != 0;
    if (!ssse3 || !sse41 || __get_cpuid_max(0, nullptr) < 7) return false;
    __cpuid_count(7, 0, a, b, c, d);
    return (b & (1u << 29)) != 0;
}
#endif

// Appends the padding and the message length that end the last block (the same for SHA-1 and
// SHA-256).
template <typename Hash>
void Pad(Hash& hash, uint64_t length, size_t buffered) {
    const uint64_t bits = length * 8;
    uint8_t tail[72] = {0x80};
    size_t padding = (buffered < 56 ? 56 : 120) - buffered;
    for (int i = 0; i < 8; ++i) tail[padding + i] = uint8_t(bits >> (56 - 8 * i));
    hash.Update(tail, padding + 8);
}

using BlockFunction = void (*)(uint32_t*, const uint8_t*, size_t);

// The update of both digests: whole blocks straight from the input (through the instructions
// where the processor has them), the rest through the buffer.
void Feed(uint32_t* state, uint8_t* buffer, size_t& buffered, const void* data, size_t size, BlockFunction plain,
          BlockFunction fast) {
    const BlockFunction blocks = ShaInstructionsAvailable() ? fast : plain;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (buffered) {
        size_t take = std::min(size, 64 - buffered);
        std::memcpy(buffer + buffered, bytes, take);
        buffered += take;
        bytes += take;
        size -= take;
        if (buffered < 64) return;
        blocks(state, buffer, 1);
        buffered = 0;
    }
    if (size >= 64) {
        blocks(state, bytes, size / 64);
        bytes += size - size % 64;
        size %= 64;
    }
    if (size) std::memcpy(buffer, bytes, size);
    buffered = size;
}

}  // namespace

void Sha256BlocksPlain(uint32_t state[8], const uint8_t* blocks, size_t count) {
    for (; count > 0; --count, blocks += 64) {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = (uint32_t(blocks[4 * i]) << 24) | (uint32_t(blocks[4 * i + 1]) << 16) |
                   (uint32_t(blocks[4 * i + 2]) << 8) | uint32_t(blocks[4 * i + 3]);
        for (int i = 16; i < 64; ++i) {
            uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int i = 0; i < 64; ++i) {
            uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
            uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#ifdef TRESK_SHA_INSTRUCTIONS
// The instructions keep the state as two vectors, A B E F and C D G H, and take four rounds'
// message words plus constants at a time (two rounds per instruction).
__attribute__((target("sha,sse4.1,ssse3"))) void Sha256BlocksWithInstructions(uint32_t state[8],
                                                                               const uint8_t* blocks, size_t count) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
    __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
    __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
    for (; count > 0; --count, blocks += 64) {
        const __m128i savedAbef = abef, savedCdgh = cdgh;
        __m128i words[4];  // the last four groups of message words, group i in words[i % 4]
        // Unrolled whole, the groups stay in registers.
#pragma GCC unroll 16
        for (int i = 0; i < 16; ++i) {
            __m128i group;
            if (i < 4) {
                group = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * i)), byteSwap);
            } else {
                __m128i partial = _mm_sha256msg1_epu32(words[i % 4], words[(i + 1) % 4]);
                partial = _mm_add_epi32(partial, _mm_alignr_epi8(words[(i + 3) % 4], words[(i + 2) % 4], 4));
                group = _mm_sha256msg2_epu32(partial, words[(i + 3) % 4]);
            }
            words[i % 4] = group;
            __m128i input = _mm_add_epi32(group, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound + 4 * i)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, input);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(input, 0x0E));
        }
        abef = _mm_add_epi32(abef, savedAbef);
        cdgh = _mm_add_epi32(cdgh, savedCdgh);
    }
    __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}
#else
void Sha256BlocksWithInstructions(uint32_t state[8], const uint8_t* blocks, size_t count) {
    Sha256BlocksPlain(state, blocks, count);
}
#endif

bool ShaInstructionsAvailable() {
#ifdef TRESK_SHA_INSTRUCTIONS
    static const bool available = DetectInstructions();
    return available;
#else
    return false;
#endif
}

void Sha1BlocksPlain(uint32_t state[5], const uint8_t* blocks, size_t count) {
    for (; count > 0; --count, blocks += 64) {
        uint32_t w[80];
        for (int i = 0; i < 16; ++i)
            w[i] = (uint32_t(blocks[4 * i]) << 24) | (uint32_t(blocks[4 * i + 1]) << 16) |
                   (uint32_t(blocks[4 * i + 2]) << 8) | uint32_t(blocks[4 * i + 3]);
        for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
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
            uint32_t t = Rotl(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = Rotl(b, 30);
            b = a;
            a = t;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
}

#ifdef TRESK_SHA_INSTRUCTIONS
// The instructions keep A B C D in one vector (A in the highest lane) and E in the highest lane of
// another; each step takes four rounds' message words (the first with E added), the round
// function chosen by an immediate.
__attribute__((target("sha,sse4.1,ssse3"))) void Sha1BlocksWithInstructions(uint32_t state[5], const uint8_t* blocks,
                                                                             size_t count) {
    const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    __m128i e = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
    for (; count > 0; --count, blocks += 64) {
        const __m128i savedAbcd = abcd, savedE = e;
        __m128i words[4];  // the last four groups of message words, group i in words[i % 4]
        __m128i previous = abcd;
        // Unrolled whole, the groups stay in registers and the round function is a constant.
#pragma GCC unroll 20
        for (int i = 0; i < 20; ++i) {
            __m128i group;
            if (i < 4) {
                group = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * i)), byteSwap);
            } else {
                __m128i partial = _mm_xor_si128(_mm_sha1msg1_epu32(words[i % 4], words[(i + 1) % 4]), words[(i + 2) % 4]);
                group = _mm_sha1msg2_epu32(partial, words[(i + 3) % 4]);
            }
            words[i % 4] = group;
            // E of these rounds: the given one first, then A of four rounds back, turned by 30.
            __m128i input = i == 0 ? _mm_add_epi32(e, group) : _mm_sha1nexte_epu32(previous, group);
            previous = abcd;
            switch (i / 5) {
            case 0:
                abcd = _mm_sha1rnds4_epu32(abcd, input, 0);
                break;
            case 1:
                abcd = _mm_sha1rnds4_epu32(abcd, input, 1);
                break;
            case 2:
                abcd = _mm_sha1rnds4_epu32(abcd, input, 2);
                break;
            default:
                abcd = _mm_sha1rnds4_epu32(abcd, input, 3);
                break;
            }
        }
        e = _mm_sha1nexte_epu32(previous, savedE);
        abcd = _mm_add_epi32(abcd, savedAbcd);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<uint32_t>(_mm_extract_epi32(e, 3));
}
#else
void Sha1BlocksWithInstructions(uint32_t state[5], const uint8_t* blocks, size_t count) {
    Sha1BlocksPlain(state, blocks, count);
}
#endif

Sha1::Sha1() : state{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u} {}

void Sha1::Update(const void* data, size_t size) {
    length += size;
    Feed(state, buffer, buffered, data, size, Sha1BlocksPlain, Sha1BlocksWithInstructions);
}

void Sha1::Final(uint8_t digest[20]) {
    Pad(*this, length, buffered);
    for (int i = 0; i < 20; ++i) digest[i] = uint8_t(state[i / 4] >> (24 - 8 * (i % 4)));
}

Sha256::Sha256()
    : state{0x6a09e667u, 0xbb67ae85u, 0x3c6ef372u, 0xa54ff53au, 0x510e527fu, 0x9b05688cu, 0x1f83d9abu, 0x5be0cd19u} {}

void Sha256::Update(const void* data, size_t size) {
    length += size;
    Feed(state, buffer, buffered, data, size, Sha256BlocksPlain, Sha256BlocksWithInstructions);
}

void Sha256::Final(uint8_t digest[32]) {
    Pad(*this, length, buffered);
    for (int i = 0; i < 32; ++i) digest[i] = uint8_t(state[i / 4] >> (24 - 8 * (i % 4)));
}

std::string HexText(const uint8_t* digest, size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += digits[digest[i] >> 4];
        text += digits[digest[i] & 15];
    }
    return text;
}

std::wstring HexWideText(const uint8_t* digest, size_t count) {
    std::string text = HexText(digest, count);
    return std::wstring(text.begin(), text.end());
}
