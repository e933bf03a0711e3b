#include "util/Format.h"

#include <cstdio>
#include <vector>

std::wstring FormatWideV(const wchar_t* format, va_list args) {
    if (!format) return std::wstring();
    va_list measure;
    va_copy(measure, args);
    int length = _vscwprintf(format, measure);
    va_end(measure);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    _vsnwprintf(buffer.data(), buffer.size(), format, args);
    return std::wstring(buffer.data(), static_cast<size_t>(length));
}

std::wstring FormatWideRaw(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideV(format, args);
    va_end(args);
    return text;
}
