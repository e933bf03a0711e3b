#include "package/Settings.h"

#include <windows.h>

#include "log/BuildLogFile.h"

std::wstring GetSettingString(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[1024] = {};
    DWORD length = GetPrivateProfileStringW(section, key, L"", buffer, 1024, file.c_str());
    if (static_cast<int>(length) >= SETTING_VALUE_CHARACTERS)
        theLog.Log(LOG_WARNING, L"GetSettingString", L"Value of [%s] %s cut at %d characters", section, key,
                   SETTING_VALUE_CHARACTERS);
    return std::wstring(buffer, length);
}

int GetSettingInt(const std::wstring& file, const wchar_t* section, const wchar_t* key, int defaultValue) {
    return static_cast<int>(GetPrivateProfileIntW(section, key, defaultValue, file.c_str()));
}

bool GetSettingFlag(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    return GetSettingString(file, section, key) == L"1";
}

bool HasSettingsEntries(const std::wstring& file, const wchar_t* section) {
    wchar_t buffer[64] = {};
    return GetPrivateProfileSectionW(section, buffer, 64, file.c_str()) > 0;
}

void ReadSettingsSection(const std::wstring& file, const wchar_t* section, SectionMap& entries) {
    std::wstring cutKey = CUtil::ReadSection(file, section, entries);
    if (!cutKey.empty())
        theLog.Log(LOG_WARNING, L"ReadSettingsSection", L"Section [%s] cut at %d characters, in the value of %s",
                   section, SETTING_SECTION_CHARACTERS, cutKey);
}
