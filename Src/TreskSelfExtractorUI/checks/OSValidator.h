#pragma once
// Identification of the running Windows and the package's supported-OS rules.
//
// The object holds the names of the running system and the [OS] section of the package
// settings. OSVersion asks the platform for the version data and hands it to EvaluateVersion,
// which decides everything from plain values; tests call EvaluateVersion and the rule steps
// directly with tables of systems and sections.

#include <cstdint>
#include <map>
#include <string>

#include "checks/OSIdentity.h"

// Verdicts of the supported-OS rules.
enum : int {
    OS_SUPPORTED = 300,      // listed, no exclusion or warning matched (also: identification failed)
    OS_WARNING = 301,        // listed, a warning rule matched
    OS_NOT_SUPPORTED = 302,  // no list, not listed, or an exclusion rule matched
};

class COSValidator {
public:
    using Section = std::map<std::wstring, std::wstring>;

    COSValidator();
    virtual ~COSValidator() = default;

    // Major version of the running Windows as the kernel reports it (not subject to the
    // compatibility shims that GetVersionEx applies).
    static int GetMajorVersion();

    void SetSettingsFile(const std::wstring& path) { settingsFile = path; }

    // Identifies the running system. With logOnly set: logs the raw version and returns -1.
    // Without: logs the names and returns the verdict of the package rules (300, 301, 302).
    // 300 also when the platform cannot be asked, so the package runs as on a supported system.
    int OSVersion(int logOnly);

    // Extraction folder the [OS] section names for this system, or empty.
    std::wstring GetOSExtractPath();

    // Composes the warning or refusal text for a verdict in the language's section of the
    // settings file, keeps it (GetOSMessage) and returns the verdict unchanged.
    int CheckOS(int result, int languageId, int logFlag);
    const std::wstring& GetOSMessage() const { return osMessage; }

    // What OSVersion does once it has the platform's data and the [OS] section.
    int EvaluateVersion(const OSVersionData& data, const Section& osSection, int logOnly);
    // The running system's version data; false when the version query fails.
    static bool QueryVersionData(OSVersionData& data);

    // The supported-OS rules over the current identification and [OS] section.
    int ApplyOSRules();
    int CheckOSVariantsForExclusion();
    int CheckOSVariantsForWarning();
    bool IsOSInAllowedList(const std::wstring& list, const std::wstring& name) const;
    static std::wstring GetOSVersionCode(const std::wstring& name);
    bool CheckOSVariant(const std::wstring& key);
    int GetOSVariantConditionResult(const std::wstring& variant);
    std::wstring ValiodateOSVariants(const std::wstring& operand, const std::wstring& text);
    static std::wstring ReduceVariantExpression(const std::wstring& text);
    static int EvaluateVariantChain(const std::wstring& text, const std::wstring& op);

    const std::wstring& GetOSName() const { return osName; }
    const std::wstring& GetProductName() const { return productName; }
    const std::wstring& GetMatchName() const { return matchName; }
    const std::wstring& GetVersionCode() const { return versionCode; }
    const std::wstring& GetEditionCode() const { return editionCode; }
    const std::wstring& GetServicePackNumber() const { return servicePackNumber; }
    const std::wstring& GetServicePackText() const { return servicePackText; }
    const std::wstring& GetProductTag() const { return productTag; }
    const std::wstring& GetDisplayName() const { return displayName; }
    const std::wstring& GetVersionName() const { return versionName; }
    uint32_t GetMajor() const { return majorVersion; }
    uint32_t GetMinor() const { return minorVersion; }
    int Is64Bit() const { return is64; }
    const Section& GetOSSettings() const { return osSettings; }

private:
    // One pass over the allowed list for the exclusion or warning keys (suffix), giving hit
    // when a key matches.
    int CheckOSVariants(const wchar_t* suffix, int hit);

    std::wstring osName;
    std::wstring productName;
    std::wstring matchName;
    std::wstring versionCode;
    std::wstring editionCode;
    std::wstring servicePackNumber;
    std::wstring productTag;
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    int is64 = 0;
    std::wstring settingsFile;
    Section osSettings;
    std::wstring servicePackText;
    std::wstring displayName;
    std::wstring versionName;
    std::wstring osMessage;
};

// Texts of the OS message and of the start-up's confirmation prompt.
// The OS name with " 64 Bit" for "64" when it ends in "64" (Windows1064 gives Windows10 64 Bit).
std::wstring FormatOSNameText(const std::wstring& osName);
// Empty without service pack, noServicePackText for "0", else "SP" and the number.
std::wstring FormatServicePackText(const std::wstring& servicePackNumber, const std::wstring& noServicePackText);
// The message with its placeholders replaced; [MsgSupportedOS] goes in after the OS
// placeholders, so the supported-OS text keeps any of them as written.
std::wstring ComposeOSMessage(const std::wstring& message, const std::wstring& osNameText, const std::wstring& edition,
                              const std::wstring& servicePackText, const std::wstring& supportedText);

// The one OS identification of the process.
extern COSValidator theOSValidator;
