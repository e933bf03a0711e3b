#include "sign/Rsa.h"

#include <cstdint>
#include <vector>

#include "sign/Der.h"

namespace {

// Little-endian 32-bit limbs without leading zero limbs.
using Number = std::vector<uint32_t>;

void Trim(Number& number) {
    while (!number.empty() && number.back() == 0) number.pop_back();
}

Number FromBytes(const std::string& bigEndian) {
    Number number((bigEndian.size() + 3) / 4, 0);
    for (size_t i = 0; i < bigEndian.size(); ++i) {
        size_t position = bigEndian.size() - 1 - i;  // byte i from the end
        number[i / 4] |= uint32_t(static_cast<unsigned char>(bigEndian[position])) << (8 * (i % 4));
    }
    Trim(number);
    return number;
}

std::string ToBytes(const Number& number, size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size && i / 4 < number.size(); ++i)
        bytes[size - 1 - i] = static_cast<char>(number[i / 4] >> (8 * (i % 4)));
    return bytes;
}

int Compare(const Number& a, const Number& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

Number Multiply(const Number& a, const Number& b) {
    Number product(a.size() + b.size(), 0);
    for (size_t i = 0; i < a.size(); ++i) {
        uint64_t carry = 0;
        for (size_t j = 0; j < b.size(); ++j) {
            uint64_t sum = uint64_t(a[i]) * b[j] + product[i + j] + carry;
            product[i + j] = static_cast<uint32_t>(sum);
            carry = sum >> 32;
        }
        product[i + b.size()] = static_cast<uint32_t>(carry);
    }
    Trim(product);
    return product;
}

// value mod modulus, one bit at a time from the top: the remainder stays below twice the modulus.
Number Mod(const Number& value, const Number& modulus) {
    Number remainder;
    for (size_t bit = value.size() * 32; bit-- > 0;) {
        uint32_t carry = (value[bit / 32] >> (bit % 32)) & 1;
        for (auto& limb : remainder) {
            uint32_t next = limb >> 31;
            limb = (limb << 1) | carry;
            carry = next;
        }
        if (carry) remainder.push_back(carry);
        if (Compare(remainder, modulus) >= 0) {
            uint64_t borrow = 0;
            for (size_t i = 0; i < remainder.size(); ++i) {
                uint64_t subtract = (i < modulus.size() ? modulus[i] : 0) + borrow;
                borrow = remainder[i] < subtract ? 1 : 0;
                remainder[i] = static_cast<uint32_t>(uint64_t(remainder[i]) + (borrow << 32) - subtract);
            }
            Trim(remainder);
        }
    }
    return remainder;
}

}  // namespace

std::string RsaPublicOperation(const std::string& modulusBytes, const std::string& exponentBytes,
                               const std::string& signatureBytes) {
    Number modulus = FromBytes(modulusBytes), exponent = FromBytes(exponentBytes), base = FromBytes(signatureBytes);
    if (modulus.empty() || exponent.empty() || exponent.size() > 2 || Compare(base, modulus) >= 0) return std::string();
    size_t size = modulusBytes.size();
    while (size > 0 && modulusBytes[modulusBytes.size() - size] == 0) --size;  // leading zero of a DER integer
    Number result{1};
    for (size_t bit = exponent.size() * 32; bit-- > 0;) {
        result = Mod(Multiply(result, result), modulus);
        if ((exponent[bit / 32] >> (bit % 32)) & 1) result = Mod(Multiply(result, base), modulus);
    }
    return ToBytes(result, size);
}

bool RsaPkcs1Verify(const std::string& modulus, const std::string& exponent, const std::string& signature,
                    DigestKind kind, const std::string& digest) {
    std::string block = RsaPublicOperation(modulus, exponent, signature);
    // 00 01 FF...FF 00 DigestInfo, with at least eight bytes of FF.
    if (block.size() < 11 || block[0] != 0 || block[1] != 1) return false;
    size_t at = 2;
    while (at < block.size() && static_cast<unsigned char>(block[at]) == 0xFF) ++at;
    if (at < 10 || at >= block.size() || block[at] != 0) return false;
    DerElement info;
    std::string rest = block.substr(at + 1);
    if (!ReadDer(rest, info) || info.total != rest.size() || info.tag != DER_SEQUENCE) return false;
    std::vector<DerElement> parts, algorithm;
    if (!DerChildren(info, parts) || parts.size() != 2 || !DerChildren(parts[0], algorithm) || algorithm.empty())
        return false;
    DigestKind named;
    // The parameters are NULL or, with some signers, absent.
    if (!DigestKindOfOid(DerOidText(algorithm[0]), named) || named != kind || algorithm.size() > 2 ||
        (algorithm.size() == 2 && (algorithm[1].tag != 0x05 || algorithm[1].length != 0)))
        return false;
    return parts[1].tag == DER_OCTET_STRING && parts[1].Content() == digest;
}
