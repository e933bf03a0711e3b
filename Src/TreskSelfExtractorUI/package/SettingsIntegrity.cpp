#include "package/SettingsIntegrity.h"

#include "extract/FileHash.h"
#include "log/BuildLogFile.h"

int IsParameterFileNotCorrupt(const std::wstring& settingsPath, const std::wstring& settingsHash) {
    const wchar_t* function = L"IsParameterFileNotCorrupt";
    theLog.Log(LOG_INFO, function, L"Generating hash code for  : %s", settingsPath);
    std::wstring hash, errorText;
    unsigned long code = ComputeFileHash(settingsPath, hash, errorText);
    if (code != 0) {
        // A file that cannot be hashed now (it is gone after the launch) passes.
        theLog.Log(LOG_WARNING, function, L"%s : Return Code : %d", errorText, static_cast<int>(code));
        return 1;
    }
    if (hash != settingsHash) {
        theLog.Log(LOG_ERROR, function, L"Settings have been corrupted. Please start the package again.");
        return 0;
    }
    return 1;
}
