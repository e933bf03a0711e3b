// Fuzzes reading and checking a package's signature, which comes with the package: the signature
// blob (PKCS #7 signed data in DER: the indirect data with the file digest, the certificates, the
// signer's attributes, timestamps) and the RSA check with the key of the certificate it names.
//
// Input: a signature blob, or, when it starts with "MZ", a whole signed program file, whose
// certificate table and file digest are read the way TreskPack verify reads them.

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "hash/Digest.h"
#include "sign/Rsa.h"
#include "sign/SignatureCheck.h"
#include "sign/SignedData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size), error;
    if (size >= 2 && data[0] == 'M' && data[1] == 'Z') {
        const fuzz::Scratch& scratch = fuzz::Scratch::Get();
        std::string path = scratch.Write("signed.exe", data, size);
        SignatureReport report;
        CheckSignature(path, report, error);
        return 0;
    }
    SignedDataFacts facts;
    if (!ParseSignedData(bytes, facts, error)) return 0;
    DigestKind kind;
    if (DigestKindOfOid(facts.signerDigestOid, kind) && !facts.rsaModulus.empty())
        RsaPkcs1Verify(facts.rsaModulus, facts.rsaExponent, facts.signatureValue, kind,
                       DigestOf(kind, facts.signedAttributes));
    return 0;
}
