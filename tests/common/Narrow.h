#pragma once
// Wide text as the tests compare it with the log and show it in their messages.

#include <string>

// ASCII text as the log stores it: each wide character cut to its low byte.
inline std::string ToNarrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}
