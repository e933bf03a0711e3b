#pragma once
// A reader of DER, the encoding of signatures and certificates: elements of a tag, a length and
// content, nested. Lengths of the indefinite form (which some signers write for the outer
// layers) are read too. Every read checks the bounds: a signature comes with the package and is
// untrusted input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DerElement {
    uint8_t tag = 0;
    const uint8_t* begin = nullptr;    // the tag byte
    const uint8_t* content = nullptr;  // the first content byte
    size_t length = 0;                 // content bytes (without an end-of-contents mark)
    size_t total = 0;                  // every byte of the element, from the tag on

    bool Constructed() const { return (tag & 0x20) != 0; }
    std::string Whole() const { return std::string(reinterpret_cast<const char*>(begin), total); }
    std::string Content() const { return std::string(reinterpret_cast<const char*>(content), length); }
};

// Common tags.
constexpr uint8_t DER_INTEGER = 0x02;
constexpr uint8_t DER_BIT_STRING = 0x03;
constexpr uint8_t DER_OCTET_STRING = 0x04;
constexpr uint8_t DER_OID = 0x06;
constexpr uint8_t DER_SEQUENCE = 0x30;
constexpr uint8_t DER_SET = 0x31;
constexpr uint8_t DER_UTC_TIME = 0x17;
constexpr uint8_t DER_GENERALIZED_TIME = 0x18;
// Context-specific tags [0], [1] of constructed content.
constexpr uint8_t DER_CONTEXT_0 = 0xA0;
constexpr uint8_t DER_CONTEXT_1 = 0xA1;

// Reads the element at the front of [data, end); false when the bytes do not form one. Tags of
// more than one byte are refused (nothing here uses them).
bool ReadDer(const uint8_t* data, const uint8_t* end, DerElement& element);
bool ReadDer(const std::string& bytes, DerElement& element);
// The elements inside a constructed element, in order; false when they do not fill it exactly.
bool DerChildren(const DerElement& parent, std::vector<DerElement>& children);
// The dotted form of an object identifier ("1.2.840.113549.1.7.2"); empty when malformed.
std::string DerOidText(const DerElement& element);
// A time element (UTC or generalized) as "2025-03-05 10:24:47 UTC"; empty when malformed.
std::string DerTimeText(const DerElement& element);
// A distinguished name as "CN=..., O=..., C=..." in the order written (the common attributes by
// their short names, others by their identifiers).
std::string DerNameText(const DerElement& name);
