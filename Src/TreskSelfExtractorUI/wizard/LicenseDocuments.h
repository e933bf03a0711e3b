#pragma once
// The licence page's decisions: which document file to show for the selected language, which rows
// the list gets, whether Next may be enabled, and where a row's text comes from.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "wizard/PageChoice.h"

enum LicenseDocumentType {
    LICENSE_AGREEMENT = 1,     // [LicenseFiles], "License File"
    LICENSE_SECURITY_INFORMATION = 2,  // [SecurityLicenseFiles], "Security License File"
};

// The settings section of a document type.
const wchar_t* LicenseDocumentSection(int type);

struct LicenseDocumentLookup {
    std::wstring path;                // empty when the language has no usable document
    std::vector<WizardLogLine> log;   // tag "CheckLicenseFiles"
};

// Finds the document of a type for a language (the key, decimal). value is the section's value for
// the language, englishValue the value of key "1033" (std::nullopt when the key is absent).
// A present value gives tempFolder + value when the value has at least 5 characters, the file
// exists and the path ends exactly in ".txt" or ".rtf" (else no document, logged at level 1). An
// absent value is logged at level 1 and, unless the language is "1033", the 1033 value is used
// without further check (logged at level 8).
LicenseDocumentLookup FindLicenseDocument(int type, const std::wstring& language,
                                          const std::optional<std::wstring>& value,
                                          const std::optional<std::wstring>& englishValue,
                                          const std::wstring& tempFolder,
                                          const std::function<bool(const std::wstring&)>& fileExists);

// The list's rows for the two documents found (empty path: no document).
struct LicenseRows {
    int licenseRow = -1;        // 0 or -1
    int securityRow = -1;       // 0, 1 or -1
    std::wstring shownFile;     // the document shown first (licence before security)
    bool showLicenseCheck = false;   // check box 1020
    bool showSecurityCheck = false;  // check box 1021
    int rowCount = 0;
};
LicenseRows FillLicenseRows(const std::wstring& licenseFile, const std::wstring& securityFile);

// The row whose symbol check box 1021 switches: row 1 when the list holds two rows, else row 0.
int SecurityCheckRow(int rowCount);

// Next is enabled when each document is either not listed (row -1) or provided and accepted.
bool LicenseNextEnabled(int licenseRow, const std::wstring& licenseFile, bool licenseTicked,
                        int securityRow, const std::wstring& securityFile, bool securityTicked);

// Row texts come from the UI text table (304, 305) for the languages 1031, 1033, 1034, 1036, 1040
// and 3082, and from the language file's raw lines for any other language.
bool LicenseRowTextFromUiText(int language);

// The path of a language's file read for the row texts: tempFolder + "\Default<language>.ulf".
std::wstring LicenseLanguageFilePath(const std::wstring& tempFolder, int language);

// The row text from a language file's lines (std::nullopt when the file does not exist): the first
// line that starts with the text number in decimal (not followed by a further digit) gives the
// text, which is the rest of the line with leading "=" characters trimmed. A missing file gives an
// empty text and the level-11 line "Licesne string not found" (tag "Licesne"); a number that no
// line has gives an empty text.
struct LicenseRowText {
    std::wstring text;
    std::vector<WizardLogLine> log;
};
LicenseRowText LicenseRowTextFromLines(const std::optional<std::vector<std::wstring>>& lines,
                                       int textNumber);
