#pragma once
// Variables of the test process's environment, the user's temporary folder among them.

#include <windows.h>

#include <string>

// The variable's value; empty when it is not set (or longer than a path may be).
inline std::wstring EnvironmentVariable(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

// The user's temporary folder as %TEMP% names it, without a trailing backslash: where packages
// that say %TEMP% extract.
inline std::wstring TempFolder() {
    return EnvironmentVariable(L"TEMP");
}
