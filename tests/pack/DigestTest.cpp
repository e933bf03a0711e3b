// The digests the packager and the program compute themselves: SHA-1 and SHA-256 through the
// processor's SHA instructions and through plain code alike, and the digests a signature may name.
#include <gtest/gtest.h>

#include <random>

#include "PackTestSupport.h"
#include "hash/Digest.h"
#include "util/Sha.h"

namespace {

TEST(Digest, KnownAnswers) {
    struct Case {
        DigestKind kind;
        std::string input;
        const char* hex;
    };
    const std::string million(1000000, 'a');
    const Case cases[] = {
        {DigestKind::Sha1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {DigestKind::Sha1, million, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {DigestKind::Sha256, "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {DigestKind::Sha256, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {DigestKind::Sha256, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {DigestKind::Sha256, million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {DigestKind::Sha384, "abc",
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7"},
        {DigestKind::Sha512, "abc",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643"
         "ce80e2a9ac94fa54ca49f"},
        {DigestKind::Sha512, million,
         "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432ce577c31beb009c5c2c4"
         "9aa2e4eadb217ad8cc09b"},
    };
    for (const auto& c : cases) EXPECT_EQ(HexText(DigestOf(c.kind, c.input)), c.hex) << DigestName(c.kind);
}

// Data fed in pieces of every size, across the block and padding boundaries, gives the digest of
// the whole.
TEST(Digest, PiecesGiveTheDigestOfTheWhole) {
    std::mt19937 random(7);
    std::string data(5000, '\0');
    for (char& c : data) c = static_cast<char>(random());
    for (DigestKind kind : {DigestKind::Sha1, DigestKind::Sha256, DigestKind::Sha384, DigestKind::Sha512}) {
        for (size_t length : {0u, 55u, 56u, 63u, 64u, 111u, 112u, 127u, 128u, 129u, 5000u}) {
            const std::string whole = DigestOf(kind, data.substr(0, length));
            for (size_t piece : {1u, 3u, 64u, 100u}) {
                Digest digest(kind);
                for (size_t at = 0; at < length; at += piece) digest.Update(data.substr(at, std::min(piece, length - at)));
                EXPECT_EQ(digest.Final(), whole) << DigestName(kind) << " " << length << " " << piece;
            }
        }
    }
}

// The instructions paths and the plain paths agree on every block; where the processor lacks the
// instructions, the plain path stands in for them.
TEST(ShaBlocks, InstructionsAndPlainCodeAgree) {
    std::mt19937 random(11);
    std::string blocks(64 * 257, '\0');
    for (char& c : blocks) c = static_cast<char>(random());
    const uint8_t* data = reinterpret_cast<const uint8_t*>(blocks.data());
    const bool fast = ShaInstructionsAvailable();
    for (size_t count : {1u, 2u, 7u, 257u}) {
        uint32_t plain1[5], fast1[5], plain256[8], fast256[8];
        for (int i = 0; i < 8; ++i) plain256[i] = fast256[i] = random();
        for (int i = 0; i < 5; ++i) plain1[i] = fast1[i] = random();
        Sha1BlocksPlain(plain1, data, count);
        (fast ? Sha1BlocksWithInstructions : Sha1BlocksPlain)(fast1, data, count);
        Sha256BlocksPlain(plain256, data, count);
        (fast ? Sha256BlocksWithInstructions : Sha256BlocksPlain)(fast256, data, count);
        EXPECT_EQ(std::vector<uint32_t>(plain1, plain1 + 5), std::vector<uint32_t>(fast1, fast1 + 5)) << count;
        EXPECT_EQ(std::vector<uint32_t>(plain256, plain256 + 8), std::vector<uint32_t>(fast256, fast256 + 8)) << count;
    }
}

}  // namespace
