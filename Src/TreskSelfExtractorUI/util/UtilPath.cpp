#include <windows.h>
#include <shlobj.h>

#include <cwctype>
#include <vector>

#include "util/Handles.h"
#include "util/Util.h"

namespace {

const wchar_t* const kReservedNames[] = {L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4", L"COM5",
                                         L"COM6", L"COM7", L"COM8", L"COM9", L"CON",  L"LPT1", L"LPT2", L"LPT3",
                                         L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};

const wchar_t kForbiddenCharacters[] = L"\"/*?<>|";

bool IsValidComponent(const std::wstring& component) {
    if (component == L"..") return true;
    for (const wchar_t* reserved : kReservedNames)
        if (_wcsicmp(component.c_str(), reserved) == 0) return false;
    return component.find_first_not_of(L'.') != std::wstring::npos;
}

std::wstring FullPath(const std::wstring& path) {
    std::vector<wchar_t> buffer(1024, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) return std::wstring();
    return std::wstring(buffer.data(), length);
}

bool IsNetworkPath(const std::wstring& path) {
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
}

bool IsDrivePath(const std::wstring& path) {
    return path.size() > 2 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
}

// Splits a network path into its root (\\server\share\) and checks the server name.
bool NetworkRoot(const std::wstring& path, std::wstring& root) {
    size_t serverEnd = path.find(L'\\', 2);
    if (serverEnd == std::wstring::npos) return false;
    size_t shareEnd = path.find(L'\\', serverEnd + 1);
    // An empty server or share name can never be reached.
    if (shareEnd == std::wstring::npos || serverEnd == 2 || shareEnd == serverEnd + 1) return false;
    wchar_t first = path[2];
    if (!(iswalnum(first) && first < 128) && first != L'.') return false;
    root = path.substr(0, shareEnd + 1);
    return true;
}

}  // namespace

int CUtil::ValidatePath(std::wstring path, std::wstring& root) {
    root.clear();
    AddTrailingBackslash(path);
    if (path.find_first_of(kForbiddenCharacters) != std::wstring::npos) return PATH_INVALID;

    TextList components;
    SplitText(path, L"\\", components);
    for (const auto& component : components)
        if (!IsValidComponent(component)) return PATH_INVALID;

    if (path.size() > 255) return PATH_TOO_LONG;

    if (!IsNetworkPath(path) && !IsDrivePath(path)) {
        bool relative = path.compare(0, 3, L"..\\") == 0 || path.compare(0, 4, L"\\..\\") == 0;
        if (!relative) return PATH_INVALID;
        path = FullPath(path);
        AddTrailingBackslash(path);
    }

    bool network = false;
    std::wstring rest;
    if (IsNetworkPath(path)) {
        if (!NetworkRoot(path, root)) return PATH_INVALID;
        path = FullPath(path);
        AddTrailingBackslash(path);
        if (path.compare(0, root.size(), root) != 0) return PATH_INVALID;
        rest = path.substr(root.size());
        network = true;
    } else if (IsDrivePath(path)) {
        path = FullPath(path);
        if (path.size() < 2) return PATH_INVALID;
        root = path.substr(0, 2);
        rest = path.substr(2);
    } else {
        return PATH_INVALID;
    }

    UINT driveType = network ? DRIVE_REMOTE : GetDriveTypeW((root + L"\\").c_str());
    if (driveType != DRIVE_REMOVABLE && driveType != DRIVE_FIXED && driveType != DRIVE_REMOTE)
        return PATH_INVALID;
    const int notWritable = network ? PATH_NETWORK_NOT_WRITABLE : PATH_NOT_WRITABLE;

    // Create the missing folders one level at a time, remembering the first one this call made.
    std::wstring created;
    bool creationFailed = false;
    AddTrailingBackslash(rest);
    for (size_t i = 1; i < rest.size() && !creationFailed; ++i) {
        if (rest[i] != L'\\') continue;
        std::wstring level = rest.substr(0, i);
        if (level.find_first_not_of(L'\\') == std::wstring::npos) continue;
        std::wstring folder = root + level;
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            if (created.empty()) created = folder;
        } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
            creationFailed = true;
        }
    }

    int writable = creationFailed ? 0 : CanCreateFile(path, L"");
    // The test leaves nothing behind, whether it succeeded or not; the record stays so that the
    // clean-up at exit knows the folder.
    if (!created.empty()) {
        testCreatedFolder = created;
        RemoveFolderTree(created);
    }
    return writable ? PATH_OK : notWritable;
}

int CUtil::CanCreateFile(const std::wstring& folder, const std::wstring& prefix) {
    wchar_t name[MAX_PATH + 1] = {};
    if (GetTempFileNameW(folder.c_str(), prefix.c_str(), 0, name) == 0) return 0;
    KernelHandle file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    bool created = static_cast<bool>(file);
    file.Reset();  // closed before it is deleted
    DeleteFileW(name);
    return created ? 1 : 0;
}

int CUtil::CreateDirectoryPath(const std::wstring& folder, std::wstring& outcome) {
    int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    const wchar_t* format = nullptr;
    switch (result) {
        case ERROR_SUCCESS: format = L"Folder Created:\t\t %s"; break;
        case ERROR_PATH_NOT_FOUND: format = L"Path Not Found:\t\t %s"; break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: format = L"Folder exists:\t\t %s"; break;
        case ERROR_BAD_PATHNAME: format = L"Bad Path Name:\t\t\t %s"; break;
        case ERROR_FILENAME_EXCED_RANGE: format = L"Exceeds Range:\t\t\t %s"; break;
        default: break;
    }
    outcome.clear();
    if (format) {
        std::vector<wchar_t> text(folder.size() + 32);
        _snwprintf(text.data(), text.size(), format, folder.c_str());
        outcome = text.data();
    }
    return 1;
}

int CUtil::CreateFolderOfFile(const std::wstring& filePath) {
    size_t last = filePath.find_last_of(L'\\');
    if (last == std::wstring::npos) return 0;
    std::wstring folder = filePath.substr(0, last);
    size_t position = folder.size() > 3 ? folder.find(L'\\', 3) : std::wstring::npos;
    while (true) {
        std::wstring level = position == std::wstring::npos ? folder : folder.substr(0, position);
        if (!level.empty() && !CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return -1;
        if (position == std::wstring::npos) return 0;
        position = folder.find(L'\\', position + 1);
    }
}

bool CUtil::ReadFileBytes(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    bool ok = true;
    char block[65536];
    for (DWORD read = 0; (ok = ReadFile(file.Get(), block, sizeof(block), &read, nullptr) != 0) && read > 0;)
        bytes.append(block, read);
    return ok;
}

bool CUtil::FileExists(const std::wstring& path) {
    // A wildcard would make the search report some other file as this one.
    if (path.empty() || path.size() > 255 || path.find_first_of(L"*?") != std::wstring::npos) return false;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(path.c_str(), &data));
    return static_cast<bool>(find);
}

int CUtil::CheckPathLength(const std::wstring& path, const std::wstring& limitText) {
    return static_cast<int64_t>(path.size()) < ToInt(limitText) ? 1 : -1;
}

void CUtil::AddTrailingBackslash(std::wstring& path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
}

std::wstring CUtil::GetProgramPath() {
    std::vector<wchar_t> buffer(1024, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length < buffer.size() ? length : 0);
}

std::wstring CUtil::GetProgramFolder() {
    std::wstring path = GetProgramPath();
    size_t last = path.find_last_of(L'\\');
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last);
}

std::wstring CUtil::GetProgramFileName() {
    std::wstring path = GetProgramPath();
    size_t last = path.find_last_of(L'\\');
    return last == std::wstring::npos ? path : path.substr(last + 1);
}

std::wstring CUtil::GetDriveName(const std::wstring& path) {
    if (IsNetworkPath(path)) {
        size_t serverEnd = path.find(L'\\', 2);
        return serverEnd == std::wstring::npos ? path : path.substr(0, serverEnd + 1);
    }
    return path.substr(0, 2);
}
