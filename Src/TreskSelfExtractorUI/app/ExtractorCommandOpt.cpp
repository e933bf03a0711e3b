#include "app/ExtractorCommandOpt.h"

#include <windows.h>
#include <shellapi.h>

#include "util/Util.h"

void CExtractorCommandOpt::ParseCommandLine(const wchar_t* commandLine) {
    if (!commandLine || !*commandLine) return;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(commandLine, &count);
    if (!arguments) return;
    for (int i = 1; i < count; ++i) {
        const wchar_t* text = arguments[i];
        int flag = (text[0] == L'-' || text[0] == L'/') ? 1 : 0;
        ParseParam(flag ? text + 1 : text, flag, i == count - 1);
    }
    LocalFree(arguments);
}

void CExtractorCommandOpt::ParseParam(const wchar_t* text, int flag, int /*last*/) {
    if (!flag || !text || !*text) return;

    // Switches compare the whole argument, so "-silent=1" selects nothing.
    if (_wcsicmp(text, L"silent") == 0)
        silent = 1;
    else if (_wcsicmp(text, L"unattended") == 0)
        unattended = 1;
    if (_wcsicmp(text, L"d") == 0 || _wcsicmp(text, L"debug") == 0) debug = 1;
    if (_wcsicmp(text, L"NoConditioncheck") == 0) noConditionCheck = 1;
    if (_wcsicmp(text, L"NoOSCheck") == 0) noOSCheck = 1;

    // Value options: the name is the first piece before "=", the value the last piece after it.
    TextList pieces;
    CUtil::SplitText(text, L"=", pieces);
    if (pieces.empty()) return;
    const std::wstring& name = pieces.back();
    std::wstring value = pieces.size() > 1 ? pieces.front() : std::wstring();

    if (_wcsicmp(name.c_str(), extractPathOption.c_str()) == 0)
        extractPathValue = value;
    else if (_wcsicmp(name.c_str(), autolaunchOption.c_str()) == 0)
        autolaunchValue = value;
    else if (_wcsicmp(name.c_str(), setupLanguageOption.c_str()) == 0)
        setupLanguageValue = value;
    else if (_wcsicmp(name.c_str(), passwordOption.c_str()) == 0)
        passwordValue = value;
}
