#pragma once
// What kind of text a settings or language file holds, from its bytes. The program reads these
// files through the system's profile functions, which take UTF-16LE with byte-order mark as
// Unicode and anything else as 8-bit text in the system's code page. Shared by the program (which
// warns in its log) and the packager (whose lint reports it), so both name a file the same way.
// Plain C++ without the Windows API.

#include <cstddef>

namespace textfileform {

enum class Form {
    Utf16Le,     // UTF-16LE with byte-order mark: read as written
    Utf16Be,     // UTF-16BE with byte-order mark
    Utf8WithBom, // UTF-8 with byte-order mark
    Utf8,        // UTF-8 without byte-order mark, with characters outside ASCII
    Ascii,       // 7-bit text: read the same in any form
    EightBit,    // 8-bit text that is not UTF-8 (some code page)
};

// True when the bytes are well-formed UTF-8.
inline bool IsUtf8(const unsigned char* bytes, size_t size) {
    for (size_t i = 0; i < size;) {
        unsigned char c = bytes[i];
        // How many continuation bytes follow: 4 marks a byte that cannot start a character.
        size_t more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 4;
        if (more == 4 || (more == 1 && c < 0xC2) || size - i <= more) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

inline Form Classify(const unsigned char* bytes, size_t size) {
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return Form::Utf16Le;
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return Form::Utf16Be;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return Form::Utf8WithBom;
    bool ascii = true;
    for (size_t i = 0; i < size && ascii; ++i) ascii = bytes[i] < 0x80;
    if (ascii) return Form::Ascii;
    return IsUtf8(bytes, size) ? Form::Utf8 : Form::EightBit;
}

// The form in words, for log lines and findings.
inline const char* Describe(Form form) {
    switch (form) {
        case Form::Utf16Le: return "UTF-16LE with byte-order mark";
        case Form::Utf16Be: return "UTF-16BE";
        case Form::Utf8WithBom: return "UTF-8 with byte-order mark";
        case Form::Utf8: return "UTF-8 without byte-order mark";
        case Form::Ascii: return "ASCII text without byte-order mark";
        case Form::EightBit: return "8-bit text in some code page";
    }
    return "";
}

}  // namespace textfileform
