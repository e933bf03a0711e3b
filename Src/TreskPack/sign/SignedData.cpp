#include "sign/SignedData.h"

#include <vector>

#include "sign/Der.h"
#include "text/Utf.h"

namespace {

constexpr const char* kMessageDigest = "1.2.840.113549.1.9.4";
constexpr const char* kSigningTime = "1.2.840.113549.1.9.5";
constexpr const char* kCounterSignature = "1.2.840.113549.1.9.6";
constexpr const char* kOpusInfo = "1.3.6.1.4.1.311.2.1.12";
constexpr const char* kRfc3161Timestamp = "1.3.6.1.4.1.311.3.3.1";
constexpr const char* kNestedSignature = "1.3.6.1.4.1.311.2.4.1";
constexpr const char* kTstInfo = "1.2.840.113549.1.9.16.1.4";

using Elements = std::vector<DerElement>;

bool Children(const DerElement& parent, Elements& children, size_t minimum) {
    return DerChildren(parent, children) && children.size() >= minimum;
}

// The one element inside an explicit tag such as [0].
bool Inner(const DerElement& tagged, DerElement& inner) {
    Elements children;
    if (!DerChildren(tagged, children) || children.size() != 1) return false;
    inner = children[0];
    return true;
}

std::string AlgorithmOid(const DerElement& algorithm) {
    Elements parts;
    return Children(algorithm, parts, 1) ? DerOidText(parts[0]) : std::string();
}

// The content of a [0] explicit ContentInfo of signed data: the SignedData sequence.
bool SignedDataOf(const DerElement& contentInfo, DerElement& signedData) {
    Elements parts;
    return contentInfo.tag == DER_SEQUENCE && Children(contentInfo, parts, 2) &&
           DerOidText(parts[0]) == OID_SIGNED_DATA && parts[1].tag == DER_CONTEXT_0 && Inner(parts[1], signedData) &&
           signedData.tag == DER_SEQUENCE;
}

// The time of an RFC 3161 timestamp token: the generated time of its token information.
std::string TimestampTokenTime(const DerElement& token) {
    DerElement signedData, content, octets, info;
    Elements parts, encapsulated, fields;
    if (!SignedDataOf(token, signedData) || !Children(signedData, parts, 3)) return std::string();
    if (!Children(parts[2], encapsulated, 2) || DerOidText(encapsulated[0]) != kTstInfo) return std::string();
    if (!Inner(encapsulated[1], octets) || octets.tag != DER_OCTET_STRING) return std::string();
    if (!ReadDer(octets.content, octets.content + octets.length, info) || !Children(info, fields, 5)) return std::string();
    return DerTimeText(fields[4]);
}

// The values of one attribute: type and the SET of values.
struct Attribute {
    std::string oid;
    Elements values;
};

bool ReadAttributes(const DerElement& set, std::vector<Attribute>& attributes) {
    Elements items;
    if (!DerChildren(set, items)) return false;
    for (const auto& item : items) {
        Elements pair;
        Attribute attribute;
        if (!Children(item, pair, 2) || pair[1].tag != DER_SET || !DerChildren(pair[1], attribute.values)) return false;
        attribute.oid = DerOidText(pair[0]);
        attributes.push_back(attribute);
    }
    return true;
}

// SpcSpOpusInfo: [0] a program name, as BMP text ([0]) or ASCII ([1]).
std::string ProgramName(const DerElement& opus) {
    Elements parts;
    DerElement name;
    if (!DerChildren(opus, parts) || parts.empty() || parts[0].tag != DER_CONTEXT_0 || !Inner(parts[0], name))
        return std::string();
    std::string text;
    if (name.tag == 0x80) {
        std::u16string wide;
        for (size_t i = 0; i + 1 < name.length; i += 2)
            wide += static_cast<char16_t>((name.content[i] << 8) | name.content[i + 1]);
        text = Utf16ToUtf8(wide);
    } else if (name.tag == 0x81) {
        text = name.Content();
    }
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

bool ReadCertificate(const DerElement& certificate, const std::string& issuer, const std::string& serial,
                     SignedDataFacts& facts) {
    Elements outer, tbs;
    if (!Children(certificate, outer, 3) || !Children(outer[0], tbs, 6)) return false;
    size_t at = tbs[0].tag == DER_CONTEXT_0 ? 1 : 0;  // the optional version
    if (tbs.size() < at + 6) return false;
    const DerElement& serialNumber = tbs[at];
    const DerElement& certificateIssuer = tbs[at + 2];
    if (serialNumber.Content() != serial || certificateIssuer.Whole() != issuer) return false;
    Elements validity, key, keyBits;
    facts.certificateFound = true;
    facts.issuer = DerNameText(certificateIssuer);
    facts.subject = DerNameText(tbs[at + 4]);
    if (Children(tbs[at + 3], validity, 2)) {
        facts.notBefore = DerTimeText(validity[0]);
        facts.notAfter = DerTimeText(validity[1]);
    }
    if (!Children(tbs[at + 5], key, 2)) return true;
    facts.keyAlgorithmOid = AlgorithmOid(key[0]);
    if (facts.keyAlgorithmOid != OID_RSA_ENCRYPTION || key[1].tag != DER_BIT_STRING || key[1].length < 1) return true;
    DerElement rsaKey;
    if (!ReadDer(key[1].content + 1, key[1].content + key[1].length, rsaKey) || !Children(rsaKey, keyBits, 2)) return true;
    facts.rsaModulus = keyBits[0].Content();
    facts.rsaExponent = keyBits[1].Content();
    return true;
}

}  // namespace

bool ParseSignedData(const std::string& der, SignedDataFacts& facts, std::string& error) {
    facts = SignedDataFacts();
    error = "the signature is not Authenticode signed data";
    DerElement contentInfo, signedData;
    if (!ReadDer(der, contentInfo) || !SignedDataOf(contentInfo, signedData)) return false;
    Elements fields;
    if (!Children(signedData, fields, 4)) return false;
    // version, digest algorithms, content info, [0] certificates, [1] revocation lists, signer infos
    Elements content, indirect, digestInfo;
    DerElement indirectData;
    if (!Children(fields[2], content, 2) || DerOidText(content[0]) != OID_INDIRECT_DATA ||
        content[1].tag != DER_CONTEXT_0 || !Inner(content[1], indirectData) || !Children(indirectData, indirect, 2) ||
        !Children(indirect[1], digestInfo, 2) || digestInfo[1].tag != DER_OCTET_STRING) {
        error = "the signature does not vouch for a program file (no indirect data with a digest)";
        return false;
    }
    facts.fileDigestOid = AlgorithmOid(digestInfo[0]);
    facts.fileDigest = digestInfo[1].Content();
    facts.indirectContent = indirectData.Content();

    Elements certificates, signers, signer;
    for (size_t i = 3; i < fields.size(); ++i)
        if (fields[i].tag == DER_CONTEXT_0 && !DerChildren(fields[i], certificates)) return false;
    if (fields.back().tag != DER_SET || !DerChildren(fields.back(), signers) || signers.empty()) {
        error = "the signature has no signer";
        return false;
    }
    // version, issuer and serial, digest algorithm, [0] signed attributes, signature algorithm,
    // signature value, [1] unsigned attributes
    Elements issuerAndSerial;
    if (!Children(signers[0], signer, 5) || !Children(signer[1], issuerAndSerial, 2)) {
        error = "the signer information cannot be read";
        return false;
    }
    facts.signerDigestOid = AlgorithmOid(signer[2]);
    size_t at = 3;
    if (signer[at].tag == DER_CONTEXT_0) {
        facts.hasSignedAttributes = true;
        facts.signedAttributes = signer[at].Whole();
        facts.signedAttributes[0] = static_cast<char>(DER_SET);
        std::vector<Attribute> attributes;
        if (!ReadAttributes(signer[at], attributes)) {
            error = "the signed attributes cannot be read";
            return false;
        }
        for (const auto& attribute : attributes) {
            if (attribute.values.empty()) continue;
            const DerElement& value = attribute.values[0];
            if (attribute.oid == kMessageDigest && value.tag == DER_OCTET_STRING) facts.messageDigest = value.Content();
            if (attribute.oid == kSigningTime) facts.signingTime = DerTimeText(value);
            if (attribute.oid == kOpusInfo) facts.programName = ProgramName(value);
        }
        ++at;
    }
    if (signer.size() < at + 2 || signer[at + 1].tag != DER_OCTET_STRING) {
        error = "the signer information cannot be read";
        return false;
    }
    facts.signatureAlgorithmOid = AlgorithmOid(signer[at]);
    facts.signatureValue = signer[at + 1].Content();
    if (signer.size() > at + 2 && signer[at + 2].tag == DER_CONTEXT_1) {
        std::vector<Attribute> attributes;
        if (ReadAttributes(signer[at + 2], attributes)) {
            for (const auto& attribute : attributes) {
                if (attribute.oid == kNestedSignature) facts.nestedSignatures += static_cast<int>(attribute.values.size());
                if (attribute.values.empty() || !facts.timestamp.empty()) continue;
                if (attribute.oid == kRfc3161Timestamp) {
                    std::string time = TimestampTokenTime(attribute.values[0]);
                    facts.timestamp = "RFC 3161" + (time.empty() ? std::string() : ", " + time);
                } else if (attribute.oid == kCounterSignature) {
                    std::string time;
                    Elements counter;
                    std::vector<Attribute> counterAttributes;
                    if (Children(attribute.values[0], counter, 4) && counter[3].tag == DER_CONTEXT_0 &&
                        ReadAttributes(counter[3], counterAttributes))
                        for (const auto& counterAttribute : counterAttributes)
                            if (counterAttribute.oid == kSigningTime && !counterAttribute.values.empty())
                                time = DerTimeText(counterAttribute.values[0]);
                    facts.timestamp = "Authenticode countersignature" + (time.empty() ? std::string() : ", " + time);
                }
            }
        }
    }
    const std::string issuer = issuerAndSerial[0].Whole(), serial = issuerAndSerial[1].Content();
    for (const auto& certificate : certificates)
        if (ReadCertificate(certificate, issuer, serial, facts)) break;
    error.clear();
    return true;
}
