#pragma once
// Reads of the package settings file (an INI file in UTF-16).

#include <string>

constexpr const wchar_t* SETTINGS_FILE_NAME = L"Properties_Qirva.ini";

// String key: 1024-character buffer, empty when missing.
std::wstring GetSettingString(const std::wstring& file, const wchar_t* section, const wchar_t* key);
// Integer key: decimal digits, defaultValue when missing.
int GetSettingInt(const std::wstring& file, const wchar_t* section, const wchar_t* key, int defaultValue);
// A flag is set only when the value is exactly "1".
bool GetSettingFlag(const std::wstring& file, const wchar_t* section, const wchar_t* key);
