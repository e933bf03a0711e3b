#pragma once
// Helpers of the unit tests: those every Windows-side test shares (scratch folders, whole-file
// reads and writes, log lines) and windows of the test's own class.

#include <windows.h>

#include <string>

#include "../common/FileBytes.h"
#include "../common/LogLines.h"
#include "../common/ScratchFolder.h"
#include "util/Util.h"

// A window of the test's own class (registered on first use): message-only by default, a
// top-level window of 100 x 100 with a style.
inline HWND CreateClassWindow(const wchar_t* className, WNDPROC procedure, DWORD style = 0) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    if (!GetClassInfoW(instance, className, &windowClass)) {
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = className;
        RegisterClassW(&windowClass);
    }
    if (style == 0) return CreateWindowW(className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    return CreateWindowW(className, L"", style, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
}

inline bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
