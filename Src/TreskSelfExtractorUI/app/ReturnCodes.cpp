#include "app/ReturnCodes.h"

#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/ResultCode.h"
#include "package/Settings.h"
#include "util/Util.h"

namespace {
bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    size_t length = wcslen(prefix);
    return text.size() >= length && _wcsnicmp(text.c_str(), prefix, length) == 0;
}
}  // namespace

void CReturnCodeMessages::LoadReturnCodeMessages(const std::wstring& launchKey) {
    const std::wstring& settings = theInitializer.GetSettingsPath();
    std::wstring language = FormatWide(L"%d", theInitializer.GetSetupLanguage());
    if (!launchKey.empty()) {
        SectionMap section;
        ReadSettingsSection(settings, launchKey.c_str(), section);
        for (const auto& entry : section) {
            if (!StartsWithNoCase(entry.first, L"ReturnCode_") || entry.second.empty()) continue;
            returnCodeMessages[CUtil::ToLower(FormatWide(L"%s:%s", launchKey, entry.first))] =
                GetMessageFromLangSection(entry.second, language);
        }
    }
    if (finishMessages.find(L"MessageOnFinish") == finishMessages.end())
        finishMessages[L"MessageOnFinish"] = GetSettingString(settings, language.c_str(), L"MessageOnFinish");
}

std::wstring CReturnCodeMessages::GetMessageFromLangSection(const std::wstring& value, const std::wstring& languageSection) {
    const wchar_t* function = L"GetMessageFromLangSection";
    std::wstring prefix;
    if (StartsWithNoCase(value, L"error:"))
        prefix = value.substr(0, 6);
    else if (StartsWithNoCase(value, L"success:"))
        prefix = value.substr(0, 8);
    std::wstring reference = value.substr(prefix.size());
    theLog.Log(LOG_INFO, function, L"Checking message part : %s ", reference);
    reference = CUtil::Trim(reference);
    std::wstring text;
    if (reference.empty()) {
        theLog.Log(LOG_INFO, function, L"Message part not provided");
    } else if (reference.front() == L'{' && reference.back() == L'}') {
        size_t begin = reference.find_first_not_of(L'{');
        size_t end = reference.find_last_not_of(L'}');
        std::wstring key = begin == std::wstring::npos ? std::wstring() : reference.substr(begin, end - begin + 1);
        if (!key.empty())
            text = GetSettingString(theInitializer.GetSettingsPath(), languageSection.c_str(), key.c_str());
    }
    return prefix + text;
}

int CReturnCodeMessages::SetFinishMessage(int returnCode, const std::wstring& launchKey) {
    const wchar_t* function = L"SetFinishMessage";
    lastReturnCodeSet = true;
    lastReturnCode = returnCode;
    std::wstring key = CUtil::ToLower(FormatWide(L"%s:%s%d", launchKey, L"ReturnCode_", returnCode));
    auto found = returnCodeMessages.find(key);
    if (found == returnCodeMessages.end() || found->second.empty()) {
        theLog.Log(LOG_INFO, function, L"Return Code is not Configured");
        finishMessages[L"NOTSET"] = L"Return code not Configured";
        return 0;
    }
    std::wstring message = found->second;
    if (StartsWithNoCase(message, L"error:")) {
        theInitializer.SetPackageResultCode(RESULT_SETUP_ERROR);
        message = message.substr(6);
        theLog.Log(LOG_ERROR, function, L"Error while installation. Message Configuerd : %s", message);
        finishMessages[L"ERROR"] = message;
        setupReturnCode = returnCode;
        return -1;
    }
    if (StartsWithNoCase(message, L"success:")) {
        message = message.substr(8);
        theLog.Log(LOG_INFO, function, L"Message Configuerd : %s", message);
        finishMessages[L"SUCCESS"] = message;
    }
    return 0;
}

std::wstring CReturnCodeMessages::GetFinishMessage() const {
    auto error = finishMessages.find(L"ERROR");
    if (error != finishMessages.end()) return error->second;
    auto success = finishMessages.find(L"SUCCESS");
    if (success != finishMessages.end() && finishMessages.find(L"NOTSET") == finishMessages.end()) return success->second;
    auto closing = finishMessages.find(L"MessageOnFinish");
    return closing != finishMessages.end() ? closing->second : std::wstring();
}

bool CReturnCodeMessages::IsResultNotConfigured() const {
    return finishMessages.find(L"ERROR") == finishMessages.end() && finishMessages.find(L"NOTSET") != finishMessages.end();
}
