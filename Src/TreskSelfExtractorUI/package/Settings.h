#pragma once
// Reads of the package settings file (an INI file in UTF-16).

#include <string>

#include "util/Util.h"

constexpr const wchar_t* SETTINGS_FILE_NAME = L"Properties_Qirva.ini";

// The read buffers: a value of 1023 characters or more is cut at 1023, a whole section at 1998.
constexpr int SETTING_VALUE_CHARACTERS = 1023;
constexpr int SETTING_SECTION_CHARACTERS = 1998;

// String key: 1024-character buffer, empty when missing. A value that fills the buffer was
// probably cut: that is logged as a warning naming section and key.
std::wstring GetSettingString(const std::wstring& file, const wchar_t* section, const wchar_t* key);
// Integer key: decimal digits, defaultValue when missing.
int GetSettingInt(const std::wstring& file, const wchar_t* section, const wchar_t* key, int defaultValue);
// A flag is set only when the value is exactly "1".
bool GetSettingFlag(const std::wstring& file, const wchar_t* section, const wchar_t* key);
// True when the section holds at least one entry.
bool HasSettingsEntries(const std::wstring& file, const wchar_t* section);
// A whole section (keys lower-cased, the first of a repeated key wins); a section that does not
// fit the 2000-character buffer is logged as a warning naming section and key.
void ReadSettingsSection(const std::wstring& file, const wchar_t* section, SectionMap& entries);
