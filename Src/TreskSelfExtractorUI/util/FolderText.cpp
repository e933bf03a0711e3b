#include "util/FolderText.h"

#include <cwctype>

#include "util/Text.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool StartsWithNoCase(const std::wstring& text, size_t at, const wchar_t* prefix) {
    for (size_t i = 0; prefix[i]; ++i)
        if (at + i >= text.size() || std::towupper(text[at + i]) != std::towupper(prefix[i])) return false;
    return true;
}

// The length of a "\\?\" or "\\.\" prefix (with either separator) that leads to a drive path or,
// followed by "UNC", to a network path; 0 for any other text. unc tells which.
size_t LongPrefixLength(const std::wstring& text, bool& unc) {
    unc = false;
    if (text.size() < 4 || !IsSeparator(text[0]) || !IsSeparator(text[1]) || (text[2] != L'?' && text[2] != L'.') ||
        !IsSeparator(text[3]))
        return 0;
    if (StartsWithNoCase(text, 4, L"UNC") && text.size() > 7 && IsSeparator(text[7])) {
        unc = true;
        return 8;
    }
    // Only a drive follows: "\\.\pipe\x" and "\\?\Volume{...}\" name no folder the program can use.
    if (text.size() >= 6 && std::iswalpha(text[4]) && text[5] == L':') return 4;
    return 0;
}

}  // namespace

std::wstring NormalizeFolderText(const std::wstring& folder) {
    std::wstring text = textutil::Trim(folder);
    bool unc = false;
    size_t prefix = LongPrefixLength(text, unc);
    std::wstring result;
    size_t position = prefix;
    if (unc) {
        result = L"\\\\";
    } else if (prefix == 0) {
        // Up to two leading separators stay: those of a network path, or the one of a path below
        // the current drive's root.
        while (position < text.size() && position < 2 && IsSeparator(text[position])) result += L'\\', ++position;
    }
    const size_t lead = result.size();
    while (position < text.size()) {
        size_t end = position;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        std::wstring component = textutil::Trim(text.substr(position, end - position));
        if (!component.empty()) {
            if (result.size() > lead) result += L'\\';
            result += component;
        }
        position = end + 1;
    }
    return result;
}
