#include "util/Text.h"

#include <climits>
#include <cwctype>

namespace textutil {

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring Upper(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && std::iswspace(text[begin])) ++begin;
    while (end > begin && std::iswspace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::wstring TrimBlanks(const std::wstring& text) {
    size_t begin = text.find_first_not_of(L' ');
    if (begin == std::wstring::npos) return std::wstring();
    size_t end = text.find_last_not_of(L' ');
    return text.substr(begin, end - begin + 1);
}

std::vector<std::wstring> SplitInOrder(const std::wstring& text, const std::wstring& delimiter) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    while (true) {
        size_t next = delimiter.empty() ? std::wstring::npos : text.find(delimiter, start);
        std::wstring piece =
            Trim(text.substr(start, next == std::wstring::npos ? std::wstring::npos : next - start));
        if (!piece.empty()) pieces.push_back(piece);
        if (next == std::wstring::npos) break;
        start = next + delimiter.size();
    }
    return pieces;
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& pattern, const std::wstring& replacement) {
    if (pattern.empty()) return text;
    size_t position = 0;
    while ((position = text.find(pattern, position)) != std::wstring::npos) {
        text.replace(position, pattern.size(), replacement);
        position += replacement.size();
    }
    return text;
}

std::wstring StripBraceLayer(const std::wstring& text) {
    std::wstring result = text;
    if (!result.empty() && result.front() == L'{') {
        size_t first = result.find_first_not_of(L'{');
        result = first == std::wstring::npos ? std::wstring() : result.substr(first);
    }
    if (!result.empty() && result.back() == L'}') {
        size_t last = result.find_last_not_of(L'}');
        result = last == std::wstring::npos ? std::wstring() : result.substr(0, last + 1);
    }
    return result;
}

int LeadingNumber(const std::wstring& text) {
    long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        value = value * 10 + (c - L'0');
        if (value > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(value);
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::wstring& text, const std::wstring& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace textutil
