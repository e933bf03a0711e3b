#include "wizard/PasswordRules.h"

bool MustAskPassword(const std::wstring& passwordRequired, int passwordAccepted) {
    return passwordRequired == L"1" && passwordAccepted == 0;
}

bool PasswordOkEnabled(const std::wstring& typed) { return !typed.empty(); }

bool PasswordMatches(const std::wstring& typed, const std::wstring& expected) { return typed == expected; }

std::wstring InvalidPasswordText(const std::wstring& uiText) {
    const size_t at = uiText.find(L"\\n");
    if (at == std::wstring::npos) return uiText;
    return uiText.substr(0, at) + L"\n" + uiText.substr(at + 2);
}
