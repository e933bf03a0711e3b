#include "wizard/LicenseDocuments.h"

#include <cwctype>

namespace {

constexpr int LEVEL_WARNING = 1;
constexpr int LEVEL_INFO = 8;
constexpr int LEVEL_DETAIL = 11;
const wchar_t* const LOOKUP_TAG = L"CheckLicenseFiles";

bool EndsWith(const std::wstring& text, const std::wstring& ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

const wchar_t* LicenseDocumentSection(int type) {
    return type == LICENSE_SECURITY_INFORMATION ? L"SecurityLicenseFiles" : L"LicenseFiles";
}

LicenseDocumentLookup FindLicenseDocument(int type, const std::wstring& language,
                                          const std::optional<std::wstring>& value,
                                          const std::optional<std::wstring>& englishValue,
                                          const std::wstring& tempFolder,
                                          const std::function<bool(const std::wstring&)>& fileExists) {
    const std::wstring name = type == LICENSE_SECURITY_INFORMATION ? L"Security License File" : L"License File";
    LicenseDocumentLookup lookup;
    if (value) {
        const std::wstring path = tempFolder + *value;
        // Only plain text and rich text can be shown; the ending is compared case-sensitively.
        const bool valid = value->size() >= 5 && (EndsWith(path, L".txt") || EndsWith(path, L".rtf")) && fileExists(path);
        if (valid) {
            lookup.path = path;
            lookup.log.push_back({LEVEL_INFO, LOOKUP_TAG, name + L" for language " + language + L" : " + *value});
        } else {
            lookup.log.push_back({LEVEL_WARNING, LOOKUP_TAG, L"Invalid " + name + L" for language " + language + L" : " + *value});
        }
        return lookup;
    }
    lookup.log.push_back({LEVEL_WARNING, LOOKUP_TAG, name + L" for language " + language + L" not found."});
    if (language != L"1033" && englishValue) {
        lookup.path = tempFolder + *englishValue;
        lookup.log.push_back({LEVEL_INFO, LOOKUP_TAG, L"English file taken as default."});
    }
    return lookup;
}

LicenseRows FillLicenseRows(const std::wstring& licenseFile, const std::wstring& securityFile) {
    LicenseRows rows;
    int next = 0;
    if (!licenseFile.empty()) {
        rows.licenseRow = next++;
        rows.shownFile = licenseFile;
        rows.showLicenseCheck = true;
    }
    if (!securityFile.empty()) {
        if (rows.shownFile.empty()) rows.shownFile = securityFile;
        rows.securityRow = next++;
        rows.showSecurityCheck = true;
    }
    rows.rowCount = next;
    return rows;
}

int SecurityCheckRow(int rowCount) { return rowCount == 2 ? 1 : 0; }

bool LicenseNextEnabled(int licenseRow, const std::wstring& licenseFile, bool licenseTicked, int securityRow,
                        const std::wstring& securityFile, bool securityTicked) {
    const bool licenseOk = licenseRow == -1 || (!licenseFile.empty() && licenseTicked);
    const bool securityOk = securityRow == -1 || (!securityFile.empty() && securityTicked);
    return licenseOk && securityOk;
}

bool LicenseRowTextFromUiText(int language) {
    switch (language) {
        case 1031: case 1033: case 1034: case 1036: case 1040: case 3082:
            return true;
        default:
            return false;
    }
}

std::wstring LicenseLanguageFilePath(const std::wstring& tempFolder, int language) {
    std::wstring path = tempFolder;
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path += L'\\';
    return path + L"Default" + std::to_wstring(language) + L".ulf";
}

LicenseRowText LicenseRowTextFromLines(const std::optional<std::vector<std::wstring>>& lines, int textNumber) {
    LicenseRowText result;
    if (!lines) {
        result.log.push_back({LEVEL_DETAIL, L"Licesne", L"Licesne string not found"});
        return result;
    }
    const std::wstring number = std::to_wstring(textNumber);
    for (const std::wstring& line : *lines) {
        if (line.compare(0, number.size(), number) != 0) continue;
        // "3040=..." is text 3040, not text 304.
        if (line.size() > number.size() && std::iswdigit(line[number.size()])) continue;
        size_t start = number.size();
        while (start < line.size() && line[start] == L'=') ++start;
        result.text = line.substr(start);
        if (!result.text.empty() && result.text.back() == L'\r') result.text.pop_back();
        break;
    }
    return result;
}
