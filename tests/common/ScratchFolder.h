#pragma once
// A scratch folder of a Windows-side test, owned by the test for its lifetime.

#include <windows.h>

#include <string>

#include "util/Util.h"

// A fresh folder below the user's temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& tag = L"tresk") {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + tag + L"_" + CUtil::NewGuidText();
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~ScratchFolder() { CUtil::DeleteTree(path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder without trailing backslash, or a path below it.
    std::wstring operator/(const std::wstring& name) const { return path + L"\\" + name; }
    const std::wstring& Path() const { return path; }

private:
    std::wstring path;
};
