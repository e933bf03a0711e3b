#include "hash/Digest.h"

#include <cstdint>

#include "hash/Sha512.h"
#include "util/Sha.h"

struct Digest::State {
    DigestKind kind;
    Sha1 sha1;
    Sha256 sha256;
    Sha512 sha512;
    explicit State(DigestKind kind) : kind(kind), sha512(kind == DigestKind::Sha384) {}
};

const char* DigestName(DigestKind kind) {
    switch (kind) {
    case DigestKind::Sha1:
        return "SHA-1";
    case DigestKind::Sha256:
        return "SHA-256";
    case DigestKind::Sha384:
        return "SHA-384";
    case DigestKind::Sha512:
        return "SHA-512";
    }
    return "?";
}

bool DigestKindOfOid(const std::string& oid, DigestKind& kind) {
    if (oid == "1.3.14.3.2.26") kind = DigestKind::Sha1;
    else if (oid == "2.16.840.1.101.3.4.2.1") kind = DigestKind::Sha256;
    else if (oid == "2.16.840.1.101.3.4.2.2") kind = DigestKind::Sha384;
    else if (oid == "2.16.840.1.101.3.4.2.3") kind = DigestKind::Sha512;
    else return false;
    return true;
}

Digest::Digest(DigestKind kind) : state(new State(kind)) {}
Digest::~Digest() = default;

void Digest::Update(const void* data, size_t size) {
    switch (state->kind) {
    case DigestKind::Sha1:
        state->sha1.Update(data, size);
        break;
    case DigestKind::Sha256:
        state->sha256.Update(data, size);
        break;
    default:
        state->sha512.Update(data, size);
        break;
    }
}

std::string Digest::Final() {
    uint8_t bytes[64];
    size_t size = 0;
    switch (state->kind) {
    case DigestKind::Sha1:
        state->sha1.Final(bytes);
        size = 20;
        break;
    case DigestKind::Sha256:
        state->sha256.Final(bytes);
        size = 32;
        break;
    default:
        state->sha512.Final(bytes);
        size = state->sha512.DigestSize();
        break;
    }
    return std::string(reinterpret_cast<const char*>(bytes), size);
}

std::string DigestOf(DigestKind kind, const std::string& bytes) {
    Digest digest(kind);
    digest.Update(bytes);
    return digest.Final();
}
