// The platform side of the OS identification: the version data of the running system and the
// reads of the package settings file. The decisions are made in OSValidator.cpp and OSRules.cpp.
#include <windows.h>

#include "checks/OSValidator.h"
#include "log/BuildLogFile.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "util/Util.h"

namespace {

// UI text for "[OSSERVICEPACK]" on a system without service pack.
constexpr int TEXT_NO_SERVICE_PACK = 422;

FARPROC KernelFunction(const char* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

}  // namespace

int COSValidator::GetMajorVersion() { return CUtil::GetMajorVersion(); }

bool COSValidator::QueryVersionData(OSVersionData& data) {
    // The program's manifest declares every system up to Windows 10, so the version query
    // reports the true version.
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
    data.major = info.dwMajorVersion;
    data.minor = info.dwMinorVersion;
    data.build = info.dwBuildNumber;
    data.platformId = info.dwPlatformId;
    data.servicePackText = info.szCSDVersion;
    data.servicePackMajor = info.wServicePackMajor;
    data.suiteMask = info.wSuiteMask;
    data.productType = info.wProductType;

    // The native architecture: a 32-bit program on 64-bit Windows must see x64, not x86.
    SYSTEM_INFO system = {};
    using NativeInfoFunction = void(WINAPI*)(SYSTEM_INFO*);
    auto native = reinterpret_cast<NativeInfoFunction>(reinterpret_cast<void*>(KernelFunction("GetNativeSystemInfo")));
    if (native) {
        native(&system);
    } else {
        GetSystemInfo(&system);
    }
    data.architecture = system.wProcessorArchitecture;
    data.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;

    if (data.major >= 6) {
        using ProductInfoFunction = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);
        auto productInfo =
            reinterpret_cast<ProductInfoFunction>(reinterpret_cast<void*>(KernelFunction("GetProductInfo")));
        data.productInfoAvailable = productInfo != nullptr;
        DWORD type = 0;
        if (productInfo) productInfo(data.major, data.minor, 0, 0, &type);
        data.productInfo = type;
    }
    return true;
}

int COSValidator::OSVersion(int logOnly) {
    editionCode = L"Unknown Product";
    productName = L"Unknown Product";
    OSVersionData data;
    if (!QueryVersionData(data)) {
        theLog.Log(LOG_ERROR, L"OSVersion", L"GetVersionEx() failed");
        return OS_SUPPORTED;
    }
    SectionMap section;
    // Without a settings file there is no [OS] section (an empty file name would make the
    // profile functions read a file of the Windows folder).
    if (!settingsFile.empty()) ReadSettingsSection(settingsFile, L"OS", section);
    return EvaluateVersion(data, section, logOnly);
}

std::wstring COSValidator::GetOSExtractPath() {
    std::wstring key = displayName + L"ExtractPath";
    std::wstring value = GetSettingString(settingsFile, L"OS", key.c_str());
    theLog.Log(LOG_INFO, L"", L"%s : %s", key, value);
    if (value.empty()) {
        key = versionName + L"ExtractPath";
        value = GetSettingString(settingsFile, L"OS", key.c_str());
        theLog.Log(LOG_INFO, L"", L"%s : %s", key, value);
    }
    return value;
}

int COSValidator::CheckOS(int result, int languageId, int logFlag) {
    std::wstring section = std::to_wstring(languageId);
    std::wstring supported = GetSettingString(settingsFile, section.c_str(), L"MsgSupportedOS");
    std::wstring message;
    if (result == OS_WARNING) message = GetSettingString(settingsFile, section.c_str(), L"MsgOSWarning");
    if (result == OS_NOT_SUPPORTED) message = GetSettingString(settingsFile, section.c_str(), L"MsgOSError");
    message = ComposeOSMessage(message, FormatOSNameText(osName), productName,
                               FormatServicePackText(servicePackNumber, GetText(TEXT_NO_SERVICE_PACK)), supported);
    if (logFlag && (result == OS_WARNING || result == OS_NOT_SUPPORTED))
        theLog.Log(LOG_INFO, L"CheckOS", L"Message to be displayed : %s", message);
    osMessage = message;
    return result;
}
