#include "text/Utf.h"

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool DecodeUtf16(const std::string& bytes, size_t start, bool bigEndian, std::string& utf8, std::string& error) {
    if ((bytes.size() - start) % 2 != 0) {
        error = "UTF-16 text with an odd number of bytes";
        return false;
    }
    std::u16string units;
    units.reserve((bytes.size() - start) / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    utf8 = Utf16ToUtf8(units);
    return true;
}

}  // namespace

bool Utf8ToUtf16(const std::string& utf8, std::u16string& utf16, std::string& error) {
    utf16.clear();
    utf16.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        char32_t c;
        size_t length;
        if (lead < 0x80) {
            c = lead;
            length = 1;
        } else if ((lead & 0xE0) == 0xC0) {
            c = lead & 0x1F;
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            c = lead & 0x0F;
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            c = lead & 0x07;
            length = 4;
        } else {
            error = "invalid UTF-8 at byte " + std::to_string(i);
            return false;
        }
        if (i + length > utf8.size()) {
            error = "truncated UTF-8 at byte " + std::to_string(i);
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                error = "invalid UTF-8 at byte " + std::to_string(i);
                return false;
            }
            c = (c << 6) | (next & 0x3F);
        }
        static const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < minimum[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            error = "invalid UTF-8 at byte " + std::to_string(i);
            return false;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            utf16 += static_cast<char16_t>(0xD800 + (c >> 10));
            utf16 += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            utf16 += static_cast<char16_t>(c);
        }
        i += length;
    }
    return true;
}

std::string Utf16ToUtf8(const std::u16string& utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        AppendUtf8(out, c);
    }
    return out;
}

bool DecodeTextFile(const std::string& bytes, std::string& utf8, std::string& error) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return DecodeUtf16(bytes, 2, false, utf8, error);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)
        return DecodeUtf16(bytes, 2, true, utf8, error);
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::u16string check;
    if (!Utf8ToUtf16(bytes.substr(start), check, error)) {
        error = "not UTF-8 or UTF-16 with byte-order mark (" + error + ")";
        return false;
    }
    utf8 = bytes.substr(start);
    return true;
}

std::string Utf16LeBytes(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string EncodeUtf16LeWithBom(const std::string& utf8WithLf) {
    std::string crlf;
    crlf.reserve(utf8WithLf.size() + 64);
    for (size_t i = 0; i < utf8WithLf.size(); ++i) {
        char c = utf8WithLf[i];
        if (c == '\r') continue;
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    std::u16string units;
    std::string ignored;
    Utf8ToUtf16(crlf, units, ignored);
    return "\xFF\xFE" + Utf16LeBytes(units);
}

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}
