#include "checks/OSValidator.h"

#include <windows.h>

int COSValidator::GetMajorVersion() {
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
