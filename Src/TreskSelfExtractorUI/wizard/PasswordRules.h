#pragma once
// The extraction password prompt's decisions.

#include <string>

// The password dialog must be shown: the package's password-required flag is exactly "1" and the
// password has not been accepted yet in this run.
bool MustAskPassword(const std::wstring& passwordRequired, int passwordAccepted);

// OK is enabled exactly when the edit holds at least one character.
bool PasswordOkEnabled(const std::wstring& typed);

// The typed password matches the expected one (exact, case-sensitive).
bool PasswordMatches(const std::wstring& typed, const std::wstring& expected);

// The invalid-password message from UI text 420: at the first backslash-n (the two characters) the
// text is split and the parts joined with a line break; a text without one is returned as it is.
std::wstring InvalidPasswordText(const std::wstring& uiText);
