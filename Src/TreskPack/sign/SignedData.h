#pragma once
// What an Authenticode signature (PKCS #7 signed data) says: the digest of the file it vouches
// for, the signer's certificate and the signed attributes with the signature value, and its
// timestamps. Only reading here; the checks are in sign/SignatureCheck.

#include <string>

#include "hash/Digest.h"

struct SignedDataFacts {
    // The file digest the signature vouches for (the indirect data content).
    std::string fileDigestOid;
    std::string fileDigest;
    std::string indirectContent;  // content bytes of the indirect data, which the message digest covers

    // The signer.
    std::string signerDigestOid;
    std::string signedAttributes;  // their encoding with the SET tag: what the signature value covers
    bool hasSignedAttributes = false;
    std::string messageDigest;     // the message-digest attribute
    std::string signingTime;       // the signing-time attribute, when present
    std::string programName;       // the description the signer gave, when present
    std::string signatureAlgorithmOid;
    std::string signatureValue;

    // The signer's certificate, found by issuer and serial number among those the signature carries.
    bool certificateFound = false;
    std::string subject;
    std::string issuer;
    std::string notBefore;
    std::string notAfter;
    std::string keyAlgorithmOid;
    std::string rsaModulus;   // big-endian, for RSA keys
    std::string rsaExponent;

    // Unsigned attributes.
    std::string timestamp;   // "RFC 3161, <time>" or "Authenticode countersignature, <time>"; empty: none
    int nestedSignatures = 0;
};

// false with a reason when the bytes are not an Authenticode signature this reader understands.
bool ParseSignedData(const std::string& der, SignedDataFacts& facts, std::string& error);

// Object identifiers the reader and the checks compare with.
constexpr const char* OID_SIGNED_DATA = "1.2.840.113549.1.7.2";
constexpr const char* OID_INDIRECT_DATA = "1.3.6.1.4.1.311.2.1.4";
constexpr const char* OID_RSA_ENCRYPTION = "1.2.840.113549.1.1.1";
