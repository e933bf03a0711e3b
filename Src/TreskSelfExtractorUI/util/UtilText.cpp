#include <windows.h>
#include <objbase.h>

#include <climits>
#include <cwctype>
#include <vector>

#include "util/Util.h"

#include "util/Text.h"

CUtil theUtil;

namespace {

// Decimal conversion as the C runtime's atoi does it: leading white space, an optional sign,
// digits up to the first non-digit; 0 without digits. Values out of range are clamped.
template <typename Char>
int64_t ParseDecimal(const Char* text, int64_t minimum, int64_t maximum) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = (*text++ == '-');
    int64_t value = 0;
    bool clamped = false;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (!clamped) {
            if (value > (INT64_MAX - (*text - '0')) / 10) {
                clamped = true;
            } else {
                value = value * 10 + (*text - '0');
            }
        }
    }
    if (negative) {
        if (clamped || -value < minimum) return minimum;
        return -value;
    }
    if (clamped || value > maximum) return maximum;
    return value;
}

}  // namespace

std::wstring CUtil::Trim(const std::wstring& text) { return textutil::Trim(text); }

std::wstring CUtil::ToLower(std::wstring text) { return textutil::Lower(std::move(text)); }

void CUtil::SplitText(const std::wstring& text, const std::wstring& delimiter, TextList& pieces) {
    // Non-empty trimmed pieces go to the head of the list, so the list runs in reverse order of
    // the text; callers rely on that order.
    for (const auto& piece : textutil::SplitInOrder(text, delimiter)) pieces.push_front(piece);
}

std::wstring CUtil::ReadSection(const std::wstring& file, const std::wstring& section, SectionMap& entries) {
    std::vector<wchar_t> buffer(2000, L'\0');
    DWORD length = GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                             file.c_str());
    std::wstring lastKey;
    size_t position = 0;
    while (position < length) {
        std::wstring line(buffer.data() + position);
        position += line.size() + 1;
        if (line.empty()) continue;
        size_t equals = line.find(L'=');
        std::wstring key = ToLower(line.substr(0, equals));
        std::wstring value = equals == std::wstring::npos ? std::wstring() : line.substr(equals + 1);
        entries.emplace(key, value);  // the first line of a repeated key wins
        lastKey = line.substr(0, equals);
    }
    // A section that does not fit comes back filling the buffer but for its two closing nulls.
    return length + 2 >= buffer.size() ? lastKey : std::wstring();
}

std::wstring CUtil::ExpandEnvironmentPath(const std::wstring& text) {
    if (text.empty() || text[0] != L'%') return text;
    size_t second = text.find(L'%', 1);
    std::wstring name = text.substr(1, second == std::wstring::npos ? std::wstring::npos : second - 1);
    std::wstring rest = second == std::wstring::npos ? std::wstring() : text.substr(second + 1);
    if (name.empty()) return std::wstring();
    DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size <= 1) return std::wstring();
    std::vector<wchar_t> value(size);
    DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), size);
    if (length == 0 || length >= size) return std::wstring();
    return std::wstring(value.data(), length) + rest;
}

int CUtil::ToInt(const std::wstring& text) {
    return static_cast<int>(ParseDecimal(text.c_str(), INT_MIN, INT_MAX));
}

int64_t CUtil::ToInt64(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        if (narrow.size() >= 1023) break;
        narrow += (c < 128) ? static_cast<char>(c) : '?';
    }
    return ParseDecimal(narrow.c_str(), INT64_MIN, INT64_MAX);
}

std::wstring CUtil::FormatInt(int value) {
    return std::to_wstring(value);
}

void CUtil::GetSizeUnit(int64_t bytes, double& value, std::wstring& unit) {
    if (bytes > 1073741824LL) {
        value = static_cast<double>(bytes) / 1073741824.0;
        unit = L"GB";
    } else if (bytes > 1048576LL) {
        value = static_cast<double>(bytes) / 1048576.0;
        unit = L"MB";
    } else {
        value = static_cast<double>(bytes) / 1024.0;
        unit = L"KB";
    }
}

std::wstring CUtil::NewGuidText() {
    GUID guid;
    if (FAILED(CoCreateGuid(&guid))) return std::wstring();
    wchar_t text[40];
    if (StringFromGUID2(guid, text, 40) == 0) return std::wstring();
    return text;
}
