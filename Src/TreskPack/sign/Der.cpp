#include "sign/Der.h"

#include "text/Utf.h"

namespace {

// Nesting of indefinite lengths is bounded: a hostile signature cannot recurse without end.
constexpr int kMaximumDepth = 32;

bool ReadAt(const uint8_t* data, const uint8_t* end, DerElement& element, int depth) {
    if (depth > kMaximumDepth || data >= end || end - data < 2) return false;
    element = DerElement();
    element.begin = data;
    element.tag = data[0];
    if ((element.tag & 0x1F) == 0x1F) return false;
    const uint8_t* at = data + 1;
    uint8_t first = *at++;
    if (first == 0x80) {
        // Indefinite length: the content runs up to the end-of-contents mark (two zero bytes).
        if (!element.Constructed()) return false;
        element.content = at;
        while (true) {
            if (end - at < 2) return false;
            if (at[0] == 0 && at[1] == 0) break;
            DerElement child;
            if (!ReadAt(at, end, child, depth + 1)) return false;
            at += child.total;
        }
        element.length = static_cast<size_t>(at - element.content);
        element.total = static_cast<size_t>(at + 2 - data);
        return true;
    }
    size_t length = first;
    if (first & 0x80) {
        int count = first & 0x7F;
        if (count == 0 || count > 4 || end - at < count) return false;
        length = 0;
        for (int i = 0; i < count; ++i) length = (length << 8) | *at++;
    }
    if (static_cast<size_t>(end - at) < length) return false;
    element.content = at;
    element.length = length;
    element.total = static_cast<size_t>(at - data) + length;
    return true;
}

std::string TwoDigits(const uint8_t* text) {
    return std::string(reinterpret_cast<const char*>(text), 2);
}

bool AllDigits(const uint8_t* text, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

const char* ShortName(const std::string& oid) {
    static const struct {
        const char* oid;
        const char* name;
    } names[] = {{"2.5.4.3", "CN"},  {"2.5.4.6", "C"},   {"2.5.4.7", "L"},
                 {"2.5.4.8", "ST"},  {"2.5.4.10", "O"},  {"2.5.4.11", "OU"},
                 {"2.5.4.5", "serialNumber"}, {"1.2.840.113549.1.9.1", "emailAddress"}};
    for (const auto& entry : names)
        if (oid == entry.oid) return entry.name;
    return nullptr;
}

// The text of a name's attribute value: UTF-8 and the 8-bit strings as they are, BMP strings
// (UTF-16, big-endian) converted; control characters (which would reach a terminal) replaced.
std::string ValueText(const DerElement& value) {
    std::string text;
    if (value.tag == 0x1E) {
        std::u16string wide;
        for (size_t i = 0; i + 1 < value.length; i += 2)
            wide += static_cast<char16_t>((value.content[i] << 8) | value.content[i + 1]);
        text = Utf16ToUtf8(wide);
    } else {
        text = value.Content();
    }
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

}  // namespace

bool ReadDer(const uint8_t* data, const uint8_t* end, DerElement& element) {
    return ReadAt(data, end, element, 0);
}

bool ReadDer(const std::string& bytes, DerElement& element) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    return ReadDer(data, data + bytes.size(), element);
}

bool DerChildren(const DerElement& parent, std::vector<DerElement>& children) {
    children.clear();
    if (!parent.Constructed()) return false;
    const uint8_t* at = parent.content;
    const uint8_t* end = parent.content + parent.length;
    while (at < end) {
        DerElement child;
        if (!ReadDer(at, end, child)) return false;
        children.push_back(child);
        at += child.total;
    }
    return true;
}

std::string DerOidText(const DerElement& element) {
    if (element.tag != DER_OID || element.length == 0) return std::string();
    std::string text;
    uint64_t value = 0;
    bool first = true;
    for (size_t i = 0; i < element.length; ++i) {
        uint8_t byte = element.content[i];
        if (value > (UINT64_MAX >> 7)) return std::string();
        value = (value << 7) | (byte & 0x7F);
        if (byte & 0x80) continue;
        if (first) {
            uint64_t top = value < 40 ? 0 : value < 80 ? 1 : 2;
            text = std::to_string(top) + "." + std::to_string(value - 40 * top);
            first = false;
        } else {
            text += "." + std::to_string(value);
        }
        value = 0;
    }
    if (element.content[element.length - 1] & 0x80) return std::string();
    return text;
}

std::string DerTimeText(const DerElement& element) {
    // YYMMDDhhmmssZ or YYYYMMDDhhmmss[.fff]Z
    const uint8_t* text = element.content;
    size_t year = 0;
    if (element.tag == DER_UTC_TIME && element.length >= 13 && AllDigits(text, 12)) year = 2;
    else if (element.tag == DER_GENERALIZED_TIME && element.length >= 15 && AllDigits(text, 14)) year = 4;
    else return std::string();
    std::string yearText(reinterpret_cast<const char*>(text), year);
    if (year == 2) yearText = (yearText < "50" ? "20" : "19") + yearText;
    const uint8_t* rest = text + year;
    return yearText + "-" + TwoDigits(rest) + "-" + TwoDigits(rest + 2) + " " + TwoDigits(rest + 4) + ":" +
           TwoDigits(rest + 6) + ":" + TwoDigits(rest + 8) + " UTC";
}

std::string DerNameText(const DerElement& name) {
    std::vector<DerElement> sets, attributes, pair;
    if (name.tag != DER_SEQUENCE || !DerChildren(name, sets)) return std::string();
    std::string text;
    for (const auto& set : sets) {
        if (set.tag != DER_SET || !DerChildren(set, attributes)) return std::string();
        for (const auto& attribute : attributes) {
            if (!DerChildren(attribute, pair) || pair.size() != 2) return std::string();
            std::string oid = DerOidText(pair[0]);
            const char* shortName = ShortName(oid);
            if (!text.empty()) text += ", ";
            text += (shortName ? shortName : oid) + "=" + ValueText(pair[1]);
        }
    }
    return text;
}
