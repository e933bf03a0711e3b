// Asks the system for the paths the emptying guard decides on: the final form of a folder and the
// system's well-known folders.
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "extract/EmptyingGuard.h"
#include "util/Handles.h"

namespace {

std::wstring WithoutLongPrefix(const std::wstring& path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
    return path;
}

// Calls a function of the (buffer, size) kind that returns the length it needs when the buffer
// is too small, as GetFullPathNameW and its relatives do.
template <typename Call>
std::wstring GrowingRead(Call call) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
    return std::wstring();
}

std::wstring Environment(const wchar_t* name) {
    return GrowingRead([&](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(name, buffer, size); });
}

std::wstring Expanded(const std::wstring& text) {
    std::vector<wchar_t> buffer(32768);
    DWORD length = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    return (length == 0 || length > buffer.size()) ? text : std::wstring(buffer.data());
}

std::wstring ParentOf(const std::wstring& path) {
    std::wstring text = path;
    while (text.size() > 3 && text.back() == L'\\') text.pop_back();
    size_t slash = text.find_last_of(L'\\');
    return slash == std::wstring::npos || slash < 2 ? std::wstring() : text.substr(0, slash);
}

std::wstring RegistryText(HKEY key, const wchar_t* value) {
    wchar_t data[2048] = {};
    DWORD type = 0, bytes = sizeof(data) - sizeof(wchar_t);
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS)
        return std::wstring();
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::wstring();
    std::wstring text(data, bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return type == REG_EXPAND_SZ ? Expanded(text) : text;
}

// The profiles folder and every profile the system knows, from both registry views.
void AddProfiles(std::vector<std::wstring>& profileParents, std::vector<std::wstring>& folders) {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        RegistryKey list;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", 0,
                          KEY_READ | view, list.Receive()) != ERROR_SUCCESS)
            continue;
        profileParents.push_back(RegistryText(list.Get(), L"ProfilesDirectory"));
        for (const wchar_t* value : {L"Public", L"ProgramData", L"Default"})
            folders.push_back(RegistryText(list.Get(), value));
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(list.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            RegistryKey profile;
            if (RegOpenKeyExW(list.Get(), name, 0, KEY_READ | view, profile.Receive()) != ERROR_SUCCESS) continue;
            std::wstring path = RegistryText(profile.Get(), L"ProfileImagePath");
            if (!path.empty()) folders.push_back(path);
        }
    }
}

}  // namespace

std::wstring ResolveFinalFolderPath(const std::wstring& path) {
    if (path.empty()) return std::wstring();
    std::wstring full = GrowingRead(
        [&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
    if (full.empty()) full = path;
    KernelHandle handle(CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle) {
        std::wstring final = GrowingRead([&](wchar_t* buffer, DWORD size) {
            return GetFinalPathNameByHandleW(handle.Get(), buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        });
        handle.Reset();
        if (!final.empty()) return WithoutLongPrefix(final);
    }
    std::wstring longName =
        GrowingRead([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
    return WithoutLongPrefix(longName.empty() ? full : longName);
}

CFolderGuard CollectProtectedFolders(const std::wstring& programFolder, const std::wstring& packageTempFolder) {
    CFolderGuard guard;
    std::vector<std::wstring> trees, parents, folders;

    trees.push_back(GrowingRead([](wchar_t* buffer, DWORD size) { return GetWindowsDirectoryW(buffer, size); }));
    trees.push_back(GrowingRead([](wchar_t* buffer, DWORD size) { return GetSystemWindowsDirectoryW(buffer, size); }));
    trees.push_back(Environment(L"SystemRoot"));
    trees.push_back(Environment(L"windir"));

    folders.push_back(GrowingRead([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); }));
    folders.push_back(GrowingRead([](wchar_t* buffer, DWORD size) { return GetSystemWow64DirectoryW(buffer, size); }));
    folders.push_back(GrowingRead([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); }));
    for (const wchar_t* name :
         {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"CommonProgramFiles", L"CommonProgramFiles(x86)",
          L"CommonProgramW6432", L"ProgramData", L"ALLUSERSPROFILE", L"PUBLIC", L"USERPROFILE", L"APPDATA",
          L"LOCALAPPDATA", L"TEMP", L"TMP"})
        folders.push_back(Environment(name));
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                      CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA, CSIDL_COMMON_DOCUMENTS,
                      CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS,
                      CSIDL_COMMON_STARTUP, CSIDL_COMMON_MUSIC, CSIDL_COMMON_PICTURES, CSIDL_COMMON_VIDEO,
                      CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
                      CSIDL_FAVORITES, CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO, CSIDL_STARTMENU,
                      CSIDL_PROGRAMS, CSIDL_STARTUP, CSIDL_SENDTO, CSIDL_TEMPLATES}) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) folders.push_back(path);
    }
    AddProfiles(parents, folders);
    // The folder that holds the profiles, also where the registry does not say.
    parents.push_back(ParentOf(Environment(L"USERPROFILE")));
    parents.push_back(ParentOf(Environment(L"PUBLIC")));
    folders.push_back(programFolder);
    folders.push_back(packageTempFolder);

    // Each path as given and resolved, so an alias of either form is caught.
    auto add = [](std::vector<std::wstring>& to, const std::vector<std::wstring>& from) {
        for (const auto& path : from) {
            if (path.empty()) continue;
            to.push_back(path);
            std::wstring resolved = ResolveFinalFolderPath(path);
            if (!resolved.empty() && FolderComparisonForm(resolved) != FolderComparisonForm(path)) to.push_back(resolved);
        }
    };
    add(guard.wholeTrees, trees);
    add(guard.withChildren, parents);
    add(guard.folders, folders);
    return guard;
}
