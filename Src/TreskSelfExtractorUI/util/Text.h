#pragma once
// The program's text helpers, written without the Windows API so that the decision logic built on
// them (OS names and rules, condition parsing and reduction, the packager's checks) runs anywhere.
// The printf-style formatting is in util/Format.h.

#include <string>
#include <vector>

namespace textutil {

// Letter case of ASCII and Latin letters through the C runtime; the names, keywords and
// operators these checks compare are plain ASCII.
std::wstring Lower(std::wstring text);
std::wstring Upper(std::wstring text);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

// White space removed at both ends.
std::wstring Trim(const std::wstring& text);
// Only the blank character (code 32) removed at both ends.
std::wstring TrimBlanks(const std::wstring& text);

// Pieces between the delimiters in the order of the text, each trimmed of white space; empty
// pieces are dropped.
std::vector<std::wstring> SplitInOrder(const std::wstring& text, const std::wstring& delimiter);

// Every occurrence of pattern, left to right and without overlap, replaced.
std::wstring ReplaceAll(std::wstring text, const std::wstring& pattern, const std::wstring& replacement);

// One layer of braces off: all leading "{" when the text begins with one, all trailing "}" when
// it ends with one ("{{Key}}" gives "Key", "{Key" gives "Key").
std::wstring StripBraceLayer(const std::wstring& text);

// Leading decimal digits as a number, 0 when the text does not start with a digit. Values that
// do not fit are clamped to the largest int.
int LeadingNumber(const std::wstring& text);

bool StartsWith(const std::wstring& text, const std::wstring& prefix);
bool EndsWith(const std::wstring& text, const std::wstring& suffix);

}  // namespace textutil
