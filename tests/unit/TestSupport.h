#pragma once
// Small helpers for the Windows-side tests: scratch folders in the prefix and file reads.

#include <windows.h>

#include <string>
#include <vector>

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

inline std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

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

// The lines of a log or text file written with CR LF line ends, without them.
inline std::vector<std::string> SplitCrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

inline bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
