#pragma once
// The program's command line: run mode switches, check suppression and, for Silent and
// Unattended runs, the values that the wizard would otherwise ask for.

#include <string>

class CExtractorCommandOpt {
public:
    // Splits the whole command line (program name first) the way the platform does and
    // interprets every argument after the program name.
    void ParseCommandLine(const wchar_t* commandLine);
    // One argument: text without its leading "-" or "/", flag 1 when it had one.
    void ParseParam(const wchar_t* text, int flag, int last);

    int debug = 0;
    int noOSCheck = 0;
    int noConditionCheck = 0;
    int silent = 0;
    int unattended = 0;
    std::wstring extractPathValue;
    std::wstring autolaunchValue;
    std::wstring setupLanguageValue;
    std::wstring passwordValue;

private:
    const std::wstring extractPathOption = L"extractpath";
    const std::wstring autolaunchOption = L"autolaunch";
    const std::wstring setupLanguageOption = L"setupLanguage";
    const std::wstring passwordOption = L"extractionpassword";
};
