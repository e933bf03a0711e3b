#include <windows.h>

#include <vector>

#include "util/Util.h"

std::wstring CUtil::GetSystemErrorText(unsigned long code) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = (length && text) ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    return result;
}

int CUtil::GetUserUILanguage() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return -1;
    using GetLanguageFunction = LANGID(WINAPI*)();
    auto function = reinterpret_cast<GetLanguageFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetUserDefaultUILanguage")));
    return function ? function() : -1;
}

std::wstring CUtil::GetLogonName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(name, &size)) return std::wstring();
    return name;
}

std::wstring CUtil::AddUserNameToFileName(const std::wstring& filePath) {
    size_t slash = filePath.find_last_of(L'\\');
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : filePath.substr(0, slash);
    std::wstring name = slash == std::wstring::npos ? filePath : filePath.substr(slash + 1);
    size_t dot = name.find_last_of(L'.');
    std::wstring stem = dot == std::wstring::npos ? name : name.substr(0, dot);
    std::wstring extension = dot == std::wstring::npos ? std::wstring() : name.substr(dot);
    std::wstring newName = stem + L"_" + GetLogonName() + extension;
    return slash == std::wstring::npos ? newName : folder + L"\\" + newName;
}

int CUtil::GetMajorVersion() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto function = ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                                reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                          : nullptr;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (function && function(&info) == 0) return static_cast<int>(info.dwMajorVersion);
    return 0;
}

int CUtil::IsUserAdmin(int flag) {
    if (flag == 1 && GetMajorVersion() > 5) return 1;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, &administrators))
        return 0;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member ? 1 : 0;
}
