#include "checks/OSValidator.h"

#include "util/Text.h"
#include "log/BuildLogFile.h"

COSValidator theOSValidator;

COSValidator::COSValidator() : productName(L"Unknown Product") {}

int COSValidator::EvaluateVersion(const OSVersionData& data, const Section& osSection, int logOnly) {
    const wchar_t* function = L"OSVersion";
    // The section only gains keys: a key already read keeps its first value.
    for (const auto& entry : osSection) osSettings.emplace(entry.first, entry.second);
    majorVersion = data.major;
    minorVersion = data.minor;

    OSIdentity id = IdentifyOS(data);
    displayName = id.displayName;
    matchName = id.matchName;
    versionCode = id.versionCode;
    versionName = id.versionName;
    editionCode = id.editionCode;
    productName = id.productName;
    is64 = id.is64;
    if (id.status != 0) {
        theLog.Log(LOG_ERROR, L"GetProcAddress", L"Failed to get the OS information");
        return OS_SUPPORTED;
    }

    if (logOnly) {
        std::wstring version = FormatWide(L"%u.%u.%u.%u", data.major, data.minor, data.build, data.platformId);
        theLog.Log(LOG_INFO, function, L"OS Version : %s", version);
        theLog.Log(LOG_INFO, function, L"Major Version : %u", data.major);
        theLog.Log(LOG_INFO, function, L"Minor Version : %u", data.minor);
        theLog.Log(LOG_INFO, function, L"Product Type : %u", data.productType);
        return -1;
    }

    servicePackText = data.servicePackText;
    servicePackNumber = ServicePackNumber(data.servicePackText, data.servicePackMajor);
    osName = matchName;
    theLog.Log(LOG_INFO, function, L"Operating System : %s", osName);
    theLog.Log(LOG_INFO, function, L"Operating System Edition : %s", productName);
    theLog.Log(LOG_INFO, function, L"Operating System ServicePack : %s", servicePackText);
    // The rules compare lower-cased names with lower-cased keys of the [OS] section.
    matchName = textutil::Lower(matchName);
    versionCode = textutil::Lower(versionCode);
    productTag = ProductTag(data.productType);
    return ApplyOSRules();
}

std::wstring FormatOSNameText(const std::wstring& osName) {
    if (!textutil::EndsWith(osName, L"64")) return osName;
    return textutil::ReplaceAll(osName, L"64", L" 64 Bit");
}

std::wstring FormatServicePackText(const std::wstring& servicePackNumber, const std::wstring& noServicePackText) {
    if (servicePackNumber.empty()) return std::wstring();
    if (servicePackNumber == L"0") return noServicePackText;
    return L"SP" + servicePackNumber;
}

std::wstring ComposeOSMessage(const std::wstring& message, const std::wstring& osNameText, const std::wstring& edition,
                              const std::wstring& servicePackText, const std::wstring& supportedText) {
    using textutil::ReplaceAll;
    std::wstring text = ReplaceAll(message, L"[OSNAME]", osNameText);
    text = ReplaceAll(text, L"[OSEDITION]", edition);
    text = ReplaceAll(text, L"[OSSERVICEPACK]", servicePackText);
    text = ReplaceAll(text, L"[MsgSupportedOS]", supportedText);
    text = ReplaceAll(text, L"[NEWLINE]", L"\n");
    return ReplaceAll(text, L"[TAB]", L"\t");
}
