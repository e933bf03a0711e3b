#include "package/UiText.h"

#include <windows.h>

std::map<int, std::wstring>& LanguageTextTable() {
    static std::map<int, std::wstring> table;
    return table;
}

std::wstring GetText(int number) {
    const auto& table = LanguageTextTable();
    auto found = table.find(number);
    if (found != table.end()) return found->second;
    return GetBuiltInText(number);
}

std::wstring GetBuiltInText(int number) {
    // LoadString with a zero buffer size hands back a pointer into the resource itself.
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(number), reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}
