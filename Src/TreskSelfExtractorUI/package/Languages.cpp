#include "package/Languages.h"

#include <windows.h>

#include <set>
#include <vector>

#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/Settings.h"
#include "package/TextFileCheck.h"
#include "package/UiText.h"

namespace {

// Reads a profile section or the section names, doubling the buffer while the platform may have
// cut the result (it returns the buffer size minus 2 then).
template <typename Read>
std::vector<std::wstring> ReadDoubling(Read read, DWORD slack) {
    std::vector<wchar_t> buffer(1024);
    DWORD length;
    while ((length = read(buffer.data(), static_cast<DWORD>(buffer.size()))) >= buffer.size() - slack &&
           buffer.size() < (1u << 24))
        buffer.assign(buffer.size() * 2, L'\0');
    std::vector<std::wstring> lines;
    for (DWORD position = 0; position < length;) {
        std::wstring line(buffer.data() + position);
        position += static_cast<DWORD>(line.size()) + 1;
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::wstring LanguageFilePath(const std::wstring& folder, int language) {
    return FormatWide(L"%sDefault%d.ulf", folder, language);
}

}  // namespace

int LoadLanguageFile(int language, const std::wstring& folder) {
    auto& table = LanguageTextTable();
    if (language == 1033) {
        table.clear();
        return 1;
    }
    std::wstring path = LanguageFilePath(folder, language);
    if (!CUtil::FileExists(path)) return 0;
    // Said once per file, however often the language is chosen again.
    static std::set<std::wstring> warned;
    if (!warned.count(path) && WarnIfNotUtf16(path, L"language file", L"LoadLanguageFile")) warned.insert(path);

    auto fileInfo = ReadDoubling(
        [&](wchar_t* buffer, DWORD size) { return GetPrivateProfileSectionW(L"FileInfo", buffer, size, path.c_str()); },
        2);
    for (const auto& line : fileInfo) {
        size_t equals = line.find(L'=');
        if (equals == std::wstring::npos || equals == 0) continue;
        if (line.compare(0, equals, L"ID") != 0) continue;
        if (_wcsicmp(line.substr(equals + 1).c_str(), std::to_wstring(language).c_str()) != 0) return -1;
        break;
    }

    auto sections = ReadDoubling(
        [&](wchar_t* buffer, DWORD size) { return GetPrivateProfileSectionNamesW(buffer, size, path.c_str()); }, 2);
    for (const auto& section : sections) {
        auto lines = ReadDoubling(
            [&](wchar_t* buffer, DWORD size) {
                return GetPrivateProfileSectionW(section.c_str(), buffer, size, path.c_str());
            },
            3);
        for (const auto& line : lines) {
            size_t equals = line.find(L'=');
            std::wstring key = line.substr(0, equals);
            std::wstring text = equals == std::wstring::npos ? std::wstring() : line.substr(equals + 1);
            table[CUtil::ToInt(key)] = ReplaceAll(text, L"[NEWLINE]", L"\n");
        }
    }
    return 0;
}

TextList GetSetupLanguages() {
    std::wstring value = GetSettingString(theInitializer.GetSettingsPath(), L"Languages", L"SetupLanguages");
    if (value.empty()) theLog.LogUnnamed(LOG_INFO, L"SetupLanguages not found.");
    TextList languages;
    CUtil::SplitText(value, L";", languages);
    return languages;
}

int IsSetupLanguage(int language) {
    std::wstring wanted = std::to_wstring(language);
    for (const auto& item : GetSetupLanguages())
        if (_wcsicmp(item.c_str(), wanted.c_str()) == 0) return 1;
    return 0;
}

int GetDefaultSetupLanguage() {
    int uiLanguage = CUtil::GetUserUILanguage();
    return (uiLanguage > 0 && IsSetupLanguage(uiLanguage)) ? uiLanguage : 1033;
}

std::wstring GetLanguageName(int language) {
    std::wstring path = LanguageFilePath(theInitializer.GetTempFolder(), language);
    if (!CUtil::FileExists(path)) return std::wstring();
    return GetSettingString(path, L"FileInfo", L"LangName");
}

std::wstring GetRadioButtonText(int language) {
    std::wstring path = theInitializer.GetTempFolder() + L"Defaultx.ulf";
    std::wstring text = GetSettingString(path, L"RADIOBUTTONSTRING", std::to_wstring(language).c_str());
    return text.empty() ? L"Unknown Language" : text;
}
