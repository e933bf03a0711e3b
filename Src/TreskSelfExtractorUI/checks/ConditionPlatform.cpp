#include "checks/ConditionPlatform.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "checks/ConditionLogic.h"
#include "log/BuildLogFile.h"
#include "util/Handles.h"

namespace {

HKEY HiveOfRoot(int root) {
    switch (root) {
        case ROOT_CLASSES_ROOT: return HKEY_CLASSES_ROOT;
        case ROOT_CURRENT_USER: return HKEY_CURRENT_USER;
        case ROOT_LOCAL_MACHINE: return HKEY_LOCAL_MACHINE;
        case ROOT_USERS: return HKEY_USERS;
        default: return nullptr;
    }
}

// Text of wide characters up to the first null or the end of the data.
std::wstring TextOfData(const wchar_t* data, size_t characters) {
    size_t length = 0;
    while (length < characters && data[length] != L'\0') ++length;
    return std::wstring(data, length);
}

// Reads the value's data into the buffer; bytes holds its size before and the data's size after.
bool QueryData(HKEY key, const std::wstring& valueName, void* buffer, DWORD& bytes) {
    return RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer), &bytes) ==
           ERROR_SUCCESS;
}

std::wstring ValueAsText(HKEY key, const std::wstring& valueName, DWORD type, DWORD size) {
    switch (type) {
        case REG_DWORD: {
            DWORD number = 0;
            DWORD bytes = sizeof(number);
            if (!QueryData(key, valueName, &number, bytes) || bytes != sizeof(number)) return std::wstring();
            return std::to_wstring(static_cast<int32_t>(number));
        }
        case REG_QWORD: {
            // Shown like REG_DWORD: the signed decimal of the number.
            uint64_t number = 0;
            DWORD bytes = sizeof(number);
            if (!QueryData(key, valueName, &number, bytes) || bytes != sizeof(number)) return std::wstring();
            return std::to_wstring(static_cast<int64_t>(number));
        }
        case REG_MULTI_SZ: {
            std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
            DWORD bytes = static_cast<DWORD>((data.size() - 2) * sizeof(wchar_t));
            if (!QueryData(key, valueName, data.data(), bytes)) return std::wstring();
            return TextOfData(data.data(), bytes / sizeof(wchar_t));
        }
        case REG_BINARY:
            return std::wstring();
        default: {
            // Strings and every other type: text of at most 1024 characters, empty when longer.
            wchar_t data[1024];
            DWORD bytes = sizeof(data);
            if (!QueryData(key, valueName, data, bytes) || bytes == 0) return std::wstring();
            return TextOfData(data, bytes / sizeof(wchar_t));
        }
    }
}

// The version functions live in the system's version.dll, loaded from the system folder only.
struct VersionLibrary {
    using SizeFunction = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFunction = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFunction = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    SizeFunction getSize = nullptr;
    InfoFunction getInfo = nullptr;
    QueryFunction query = nullptr;

    VersionLibrary() {
        wchar_t folder[MAX_PATH] = {};
        UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        HMODULE library = LoadLibraryW((std::wstring(folder, length) + L"\\version.dll").c_str());
        if (!library) return;
        getSize = Function<SizeFunction>(library, "GetFileVersionInfoSizeW");
        getInfo = Function<InfoFunction>(library, "GetFileVersionInfoW");
        query = Function<QueryFunction>(library, "VerQueryValueW");
    }
    bool Ready() const { return getSize && getInfo && query; }

    template <typename FunctionType>
    static FunctionType Function(HMODULE library, const char* name) {
        return reinterpret_cast<FunctionType>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    }
};

const VersionLibrary& Versions() {
    static const VersionLibrary library;
    return library;
}

}  // namespace

int ReadRegistryValue(int root, const std::wstring& keyPath, const std::wstring& valueName, bool is64,
                      std::wstring& value) {
    value.clear();
    HKEY hive = HiveOfRoot(root);
    if (!hive) return REGISTRY_MISSING;
    REGSAM access = is64 ? (KEY_QUERY_VALUE | KEY_WOW64_64KEY) : KEY_READ;
    RegistryKey key;
    if (RegOpenKeyExW(hive, keyPath.c_str(), 0, access, key.Receive()) != ERROR_SUCCESS) return REGISTRY_MISSING;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return REGISTRY_MISSING;
    value = ValueAsText(key.Get(), valueName, type, size);
    return REGISTRY_FOUND;
}

int ReadRegistryPath(const std::wstring& path, bool is64, std::wstring& value) {
    value.clear();
    int root = ROOT_NONE;
    std::wstring key, valueName;
    if (!ParseRegistryPath(path, root, key, valueName)) return REGISTRY_MISSING;
    return ReadRegistryValue(root, key, valueName, is64, value);
}

std::wstring ExpandFilePath(const std::wstring& path) {
    return ExpandFilePath(path, [](const std::wstring& name) {
        DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
        if (size <= 1) return std::wstring();
        std::vector<wchar_t> value(size, L'\0');
        DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), size);
        if (length == 0 || length >= size) return std::wstring();
        return std::wstring(value.data(), length);
    });
}

bool FindFileEntry(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    FindHandle search(FindFirstFileW(path.c_str(), &found));
    return static_cast<bool>(search);
}

std::wstring GetFileVersion(const std::wstring& path) {
    const VersionLibrary& library = Versions();
    if (!library.Ready()) return std::wstring();
    DWORD handle = 0;
    DWORD size = library.getSize(path.c_str(), &handle);
    if (size == 0) return std::wstring();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    void* data = memory ? GlobalLock(memory) : nullptr;
    if (!data) {
        if (memory) GlobalFree(memory);
        theLog.Log(LOG_ERROR, L"CInstallFile::GetFileVersion()", L"Not enought memory!");
        return std::wstring();
    }
    std::wstring version;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (library.getInfo(path.c_str(), 0, size, data) &&
        library.query(data, L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        version = FormatWide(L"%d.%d.%d.%d", static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
                             static_cast<int>(LOWORD(fixed->dwFileVersionMS)),
                             static_cast<int>(HIWORD(fixed->dwFileVersionLS)),
                             static_cast<int>(LOWORD(fixed->dwFileVersionLS)));
    }
    GlobalUnlock(memory);
    GlobalFree(memory);
    return version;
}
