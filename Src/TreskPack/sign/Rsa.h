#pragma once
// The check of an RSA signature (PKCS #1 v1.5): what a package's signer signed with its key.
// Only the public operation is needed, and it is small: the modulus, the public exponent and the
// signature are big-endian numbers as certificates and signatures carry them.

#include <string>

#include "hash/Digest.h"

// True when signature ^ exponent mod modulus is the PKCS #1 v1.5 block of the digest of kind.
// Exponents longer than 64 bits are refused (they would only make the check slow).
bool RsaPkcs1Verify(const std::string& modulus, const std::string& exponent, const std::string& signature,
                    DigestKind kind, const std::string& digest);

// signature ^ exponent mod modulus as big-endian bytes of the modulus' length; empty when the
// numbers are unusable (zero modulus, signature not below it, exponent too long).
std::string RsaPublicOperation(const std::string& modulus, const std::string& exponent, const std::string& signature);
