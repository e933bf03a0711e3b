#include "sign/SignatureCheck.h"

#include "hash/Digest.h"
#include "sign/PeSignature.h"
#include "sign/Rsa.h"
#include "sign/SignedData.h"
#include "util/Sha.h"

bool CheckSignature(const std::string& path, SignatureReport& report, std::string& error) {
    report = SignatureReport();
    PeSignatureFile file;
    if (!ReadPeSignatureFile(path, file, error)) return false;
    if (file.table.size == 0) {
        report.lines.push_back("signature: none");
        return true;
    }
    report.present = true;
    auto problem = [&](const std::string& text) { report.problems.push_back("signature: " + text); };
    std::string blob, reason;
    if (!ReadSignatureBlob(path, file, blob, reason)) {
        report.lines.push_back("signature: present, unreadable");
        problem(reason);
        return true;
    }
    SignedDataFacts facts;
    if (!ParseSignedData(blob, facts, reason)) {
        report.lines.push_back("signature: present, unreadable");
        problem(reason);
        return true;
    }
    uint64_t tableEnd = uint64_t(file.table.offset) + file.table.size;
    if (tableEnd < file.fileSize)
        problem(std::to_string(file.fileSize - tableEnd) +
                " bytes follow the signature: the file was changed after it was signed");

    // 1. The file digest: the bytes as they are now against those the signature vouches for.
    DigestKind fileKind;
    if (!DigestKindOfOid(facts.fileDigestOid, fileKind)) {
        report.digestName = facts.fileDigestOid;
        problem("the file digest algorithm " + facts.fileDigestOid + " is not one TreskPack knows");
    } else {
        report.digestName = DigestName(fileKind);
        std::string digest;
        if (!AuthenticodeDigest(path, file, fileKind, digest, error)) return false;
        if (digest != facts.fileDigest)
            problem("the package's bytes changed after it was signed: its " + report.digestName + " digest is " +
                    HexText(digest) + ", the signature vouches for " + HexText(facts.fileDigest));
    }
    // 2. The signed attributes must carry the digest of what the signature covers.
    DigestKind signerKind;
    const bool signerKnown = DigestKindOfOid(facts.signerDigestOid, signerKind);
    if (!signerKnown) {
        problem("the signer's digest algorithm " + facts.signerDigestOid + " is not one TreskPack knows");
    } else if (!facts.hasSignedAttributes) {
        problem("the signature has no signed attributes");
    } else if (DigestOf(signerKind, facts.indirectContent) != facts.messageDigest) {
        problem("the signed attributes do not match the signed content");
    }
    // 3. The signature value, with the key of the signer's certificate.
    std::string keyNote;
    if (!facts.certificateFound) {
        problem("the signer's certificate is not in the signature");
    } else if (facts.rsaModulus.empty()) {
        keyNote = " (key algorithm " + facts.keyAlgorithmOid + ": the signature value is not checked here)";
    } else if (signerKnown && !RsaPkcs1Verify(facts.rsaModulus, facts.rsaExponent, facts.signatureValue, signerKind,
                                              DigestOf(signerKind, facts.signedAttributes))) {
        problem("the signature value does not verify with the signer's certificate");
    }

    report.valid = report.problems.empty();
    report.subject = facts.subject;
    report.lines.push_back(std::string("signature: present, ") +
                           (report.valid ? "valid" : "INVALID") + keyNote);
    report.lines.push_back("signature subject: " + (facts.certificateFound ? facts.subject : std::string("unknown")));
    if (facts.certificateFound) {
        report.lines.push_back("signature issuer: " + facts.issuer);
        report.lines.push_back("signature certificate valid: " + facts.notBefore + " to " + facts.notAfter);
    }
    report.lines.push_back("signature digest algorithm: " + report.digestName);
    if (!facts.programName.empty()) report.lines.push_back("signature description: " + facts.programName);
    if (!facts.signingTime.empty()) report.lines.push_back("signature signing time: " + facts.signingTime);
    report.lines.push_back("signature timestamp: " + (facts.timestamp.empty() ? std::string("none") : facts.timestamp));
    if (facts.nestedSignatures > 0)
        report.lines.push_back("signature: " + std::to_string(facts.nestedSignatures) +
                               " nested signature(s), not checked here");
    report.lines.push_back(
        "signature: the trust in the certificate is not checked here (Windows checks it against its trusted roots)");
    return true;
}
