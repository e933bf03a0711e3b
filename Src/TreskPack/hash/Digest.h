#pragma once
// One interface over the digests a signature may name: SHA-1, SHA-256, SHA-384 and SHA-512.

#include <cstddef>
#include <memory>
#include <string>

enum class DigestKind { Sha1, Sha256, Sha384, Sha512 };

// "SHA-256" and so on.
const char* DigestName(DigestKind kind);
// The digest named by an object identifier in dotted form (the algorithm identifiers of
// signatures); false for any other.
bool DigestKindOfOid(const std::string& oid, DigestKind& kind);

class Digest {
public:
    explicit Digest(DigestKind kind);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    void Update(const void* data, size_t size);
    void Update(const std::string& bytes) { Update(bytes.data(), bytes.size()); }
    // The raw digest bytes; the object must not be updated afterwards.
    std::string Final();

private:
    struct State;
    std::unique_ptr<State> state;
};

// The digest of bytes in one call.
std::string DigestOf(DigestKind kind, const std::string& bytes);
