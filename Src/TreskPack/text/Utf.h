#pragma once
// Conversions between the UTF-8 text the packager works in and the UTF-16LE the program reads.

#include <string>

// Strict UTF-8 to UTF-16; false (and a position in error) for malformed input.
bool Utf8ToUtf16(const std::string& utf8, std::u16string& utf16, std::string& error);
std::string Utf16ToUtf8(const std::u16string& utf16);

// Decodes a text file's bytes: UTF-16LE or UTF-16BE with byte-order mark, UTF-8 with or without
// one. False with a reason when the bytes are none of these.
bool DecodeTextFile(const std::string& bytes, std::string& utf8, std::string& error);

// UTF-16LE bytes with byte-order mark, every line break written as CR LF.
std::string EncodeUtf16LeWithBom(const std::string& utf8WithLf);

// UTF-16LE bytes without byte-order mark or terminator.
std::string Utf16LeBytes(const std::u16string& text);

bool IsAscii(const std::string& text);
