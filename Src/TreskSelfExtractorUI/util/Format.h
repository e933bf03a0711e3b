#pragma once
// printf-style formatting of wide strings with the Windows C runtime's meaning of the format:
// %s takes a wide string (std::wstring or wchar_t*), %d an int.

#include <cstdarg>
#include <string>
#include <type_traits>

std::wstring FormatWideV(const wchar_t* format, va_list args);
std::wstring FormatWideRaw(const wchar_t* format, ...);

namespace formatdetail {
// Lets callers pass std::wstring to the printf-style functions; everything else passes unchanged.
inline const wchar_t* Pass(const std::wstring& s) { return s.c_str(); }
template <typename T>
inline T Pass(T value) {
    static_assert(!std::is_class<T>::value, "pass strings as std::wstring or const wchar_t*");
    return value;
}
}  // namespace formatdetail

template <typename... Args>
std::wstring FormatWide(const wchar_t* format, const Args&... args) {
    return FormatWideRaw(format, formatdetail::Pass(args)...);
}
