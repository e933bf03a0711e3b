#pragma once
// The settings file and the language files are read as Unicode only in UTF-16LE with byte-order
// mark; any other form is read in the system's 8-bit code page, where characters outside ASCII
// come out wrong without a word. This says so in the log.

#include <string>

// Logs a warning under function when the file at path (what names it: "settings file") exists
// and is not UTF-16LE with byte-order mark. Returns whether it warned.
bool WarnIfNotUtf16(const std::wstring& path, const wchar_t* what, const wchar_t* function);
