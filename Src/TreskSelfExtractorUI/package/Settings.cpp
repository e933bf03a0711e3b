#include "package/Settings.h"

#include <windows.h>

std::wstring GetSettingString(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[1024] = {};
    DWORD length = GetPrivateProfileStringW(section, key, L"", buffer, 1024, file.c_str());
    return std::wstring(buffer, length);
}

int GetSettingInt(const std::wstring& file, const wchar_t* section, const wchar_t* key, int defaultValue) {
    return static_cast<int>(GetPrivateProfileIntW(section, key, defaultValue, file.c_str()));
}

bool GetSettingFlag(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    return GetSettingString(file, section, key) == L"1";
}
