#include "package/ExtractorValidator.h"

#include <windows.h>

#include <vector>

#include "app/AppMessageBox.h"
#include "checks/ConditionCheck.h"
#include "checks/OSValidator.h"
#include "extract/CabDecompressor.h"
#include "extract/FileHash.h"
#include "log/BuildLogFile.h"
#include "package/Languages.h"
#include "package/QirvaInitalizer.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "util/Util.h"

CExtractorValidator theValidator;

namespace {
const wchar_t* const kCommandLine = L"Command Line Parameters";

std::wstring SizeText(int64_t bytes) {
    double value = 0;
    std::wstring unit;
    CUtil::GetSizeUnit(bytes, value, unit);
    return FormatWide(L"%.02f %s", value, unit);
}
}  // namespace

bool HasEnoughSpace(uint64_t availableBytes, int64_t requiredBytes) {
    return requiredBytes <= 0 || availableBytes >= static_cast<uint64_t>(requiredBytes);
}

int64_t CExtractorValidator::GetRequiredSpace(const std::wstring& tempFolder, const std::wstring& candidateFolder,
                                              int multiPart) {
    int64_t size = CUtil::ToInt64(GetSettingString(settingsPath, L"Size", L"PackageSize"));
    theLog.Log(LOG_DETAIL, L"PackageSize", L"%s", FormatWide(L"%I64d", size));
    // The drive is compared in the folder's normal form: "\\?\C:\Pkg" lies on C: too.
    const std::wstring candidate = NormalizeFolderText(candidateFolder);
    if (multiPart == 0 && tempFolder.size() >= 2 && candidate.size() >= 2 &&
        _wcsnicmp(tempFolder.c_str(), candidate.c_str(), 2) == 0)
        size += CUtil::ToInt64(GetSettingString(settingsPath, L"Size", L"CabSize"));
    return size;
}

std::wstring FolderRefusalReason(int code) {
    switch (code) {
        case PATH_INVALID: return L"not a valid folder path";
        case PATH_TOO_LONG: return L"the path is too long";
        case PATH_NOT_WRITABLE: return L"the folder cannot be created or written";
        case PATH_NETWORK_NOT_WRITABLE: return L"the network folder cannot be created or written";
        case FOLDER_NO_SPACE: return L"not enough free space on its drive";
        case FOLDER_VARIABLE_NOT_SET: return L"its environment variable is not set";
        default: return FormatWide(L"error %d", code);
    }
}

std::wstring CExtractorValidator::GetFinalExtractPathParam(const std::wstring& commandLineFolder,
                                                           const std::wstring& packageName,
                                                           const std::wstring& tempFolder, int multiPart) {
    const wchar_t* function = L"GetFinalExtractPathParam";
    // 0 when the candidate is usable (then result holds it), else why it is not.
    auto usable = [&](const std::wstring& candidate, std::wstring& result) {
        std::wstring folder = CUtil::ExpandEnvironmentPath(candidate);
        if (folder.empty()) return static_cast<int>(FOLDER_VARIABLE_NOT_SET);
        // The attached cabinet needs room too when it is unpacked on the candidate's drive.
        int code = ValidatePathAndSpaceAvailable(folder, 0, GetRequiredSpace(tempFolder, folder, multiPart));
        if (code == 0) result = folder;
        return code;
    };
    auto choose = [&]() {
        std::wstring result;
        std::wstring osFolder = theOSValidator.GetOSExtractPath();
        if (!osFolder.empty()) {
            theLog.Log(LOG_INFO, function, L"Extract path for the OS : %s", CUtil::ExpandEnvironmentPath(osFolder));
            if (usable(osFolder, result) == 0) return result;
        }
        std::wstring packageFolder = GetSettingString(settingsPath, L"Runtime", L"ExtractPath");
        if (!packageFolder.empty()) {
            theLog.Log(LOG_INFO, function, L"Extract path from the Web Package properties : %s", packageFolder);
            if (usable(packageFolder, result) == 0) return result;
        }
        if (usable(FormatWide(L"%s\\%s", L"%TEMP%", packageName), result) == 0) return result;
        return std::wstring();
    };
    if (commandLineFolder.empty()) return choose();

    const std::wstring& given = commandLineFolder;
    theLog.Log(LOG_INFO, function, L"Extract path from command line : %s", given);
    std::wstring result;
    int refused = usable(given, result);
    if (refused == 0) return result;
    // The administrator asked for this folder: the log says plainly that it is not used, why, and
    // where the files go instead.
    result = choose();
    std::wstring asked = NormalizeFolderText(given);
    if (result.empty())
        theLog.Log(LOG_WARNING, function, L"The folder from the command line is not used (%s) : %s. No other folder is usable",
                   FolderRefusalReason(refused), asked);
    else
        theLog.Log(LOG_WARNING, function, L"The folder from the command line is not used (%s) : %s. Extracting to : %s",
                   FolderRefusalReason(refused), asked, result);
    return result;
}

int CExtractorValidator::ValidatePathAndSpaceAvailable(std::wstring& folder, int showMessage, int64_t requiredSpace) {
    const wchar_t* function = L"ValidatePathAndSpaceAvailable";
    // Every spelling Windows accepts is validated, logged and stored in its normal form.
    folder = NormalizeFolderText(folder);
    theLog.Log(LOG_INFO, function, L"Validating the Extract path : %s", folder);
    std::wstring maxText = GetSettingString(settingsPath, L"Runtime", L"ExtractPathMaxLength");
    int maxLength = CUtil::ToInt(maxText);

    std::wstring root;
    int error = theUtil.ValidatePath(folder, root);
    if (error != 0) {
        ErrorMessagesForInvalidPath(error, folder, showMessage);
        return error;
    }
    if (maxLength > 0 && static_cast<int>(folder.size()) > maxLength) {
        theLog.Log(LOG_ERROR, function, L"Extract path length exceeded. Maximum path length is : %s", maxText);
        ErrorMessagesForInvalidPath(206, folder, showMessage);
        return 206;
    }
    std::vector<wchar_t> full(1024, L'\0');
    DWORD length = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length > 0 && length < full.size()) folder.assign(full.data(), length);
    theLog.Log(LOG_INFO, function, L"Checking the space availability in : %s", folder);

    std::wstring message;
    if (CheckFreeSpace(folder, requiredSpace, message)) {
        CUtil::AddTrailingBackslash(folder);
        theLog.Log(LOG_INFO, function, L"Extract Path : %s", folder);
        return 0;
    }
    if (showMessage == 1) AppMessageBox(message, MB_OK);
    return -1;
}

int CExtractorValidator::CheckFreeSpace(const std::wstring& folder, int64_t requiredSpace, std::wstring& message) {
    const wchar_t* function = L"CheckFreeSpace";
    // The folder itself may not exist yet: ask for the volume it would be created on.
    std::wstring volume = folder;
    CUtil::AddTrailingBackslash(volume);
    std::vector<wchar_t> root(volume.size() + 2, L'\0');
    ULARGE_INTEGER available, total, free;
    if (!GetVolumePathNameW(volume.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
        !GetDiskFreeSpaceExW(root.data(), &available, &total, &free)) {
        message = FormatWide(L"Please check the path : %s", folder);
        return 0;
    }
    std::wstring availableText = SizeText(static_cast<int64_t>(available.QuadPart));
    std::wstring line1 = ReplaceAll(ReplaceAll(GetText(407), L"[DRIVENAME]", folder), L"[AVALSPACEIN]", availableText);
    theLog.Log(LOG_INFO, function, L"Drive %s.  Available space : %s", folder, availableText);
    std::wstring requiredText = SizeText(requiredSpace);
    std::wstring line2 = ReplaceAll(GetText(408), L"[REQSPACEIN]", requiredText);
    theLog.Log(LOG_INFO, function, L"Required space : %s", requiredText);
    theLog.Log(LOG_INFO, function, L"Comparing Available space : %I64d Bytes and Required space  %I64d Bytes",
               static_cast<int64_t>(available.QuadPart), requiredSpace);
    if (!HasEnoughSpace(available.QuadPart, requiredSpace)) {
        message = FormatWide(L"%s\n%s", ReplaceAll(GetText(409), L"[DRIVENAME]", folder), line2);
        theLog.Log(LOG_WARNING, function, L"Space on drive %s is not sufficient", folder);
        return 0;
    }
    message = FormatWide(L"%s\n%s", line1, line2);
    return 1;
}

std::wstring CExtractorValidator::ErrorMessagesForInvalidPath(int code, const std::wstring& folder, int showMessage) {
    const wchar_t* function = L"ErrorMessagesForInvalidPath";
    std::wstring message;
    switch (code) {
        case 161:
            message = ReplaceAll(GetText(413), L"[INVALIDPATH]", folder);
            theLog.Log(LOG_WARNING, function, L"Invalid path : %s", folder);
            break;
        case 5:
            message = ReplaceAll(GetText(414), L"[INVALIDPATH]", folder);
            theLog.Log(LOG_WARNING, function, L"Please check the permission of the path : %s", folder);
            break;
        case 82:
            message = ReplaceAll(ReplaceAll(GetText(415), L"[INVALIDPATH]", folder), L"[NEWLINE]", L"\n");
            theLog.Log(LOG_WARNING, function, L"You cannot extract in the folder : %s", folder);
            break;
        case 206:
        case 400:
            message = ReplaceAll(GetText(412), L"[NEWLINE]", L"\n");
            theLog.Log(LOG_WARNING, function, L"The path you have specified is too long.");
            break;
        default:
            break;
    }
    if (showMessage == 1) AppMessageBox(message, MB_OK);
    return message;
}

void CExtractorValidator::ValidateAndSetAutolaunchFromCommandLine(const std::wstring& autolaunchValue) {
    const wchar_t* function = L"ValidateAndSetAutolaunchFromCommandLine";
    if (autolaunchValue.empty()) return;
    theLog.Log(LOG_INFO, kCommandLine, L"Command line parameter for Autolaunch : %s", autolaunchValue);
    const wchar_t* key = GetSettingString(settingsPath, L"Runtime", L"Multilaunch") == L"1" ? L"AutoLaunch1" : L"AutoLaunch";
    if (GetSettingString(settingsPath, L"Runtime", key).empty()) {
        theLog.Log(LOG_INFO, function, L"Autolaunch is not enabled for the Web Package");
        return;
    }
    if (_wcsicmp(autolaunchValue.c_str(), L"no") == 0) {
        theInitializer.SetAutolaunchEnabled(0);
        theLog.Log(LOG_INFO, function, L"Autolaunch disabled");
    } else if (_wcsicmp(autolaunchValue.c_str(), L"yes") == 0) {
        theInitializer.SetAutolaunchEnabled(1);
        theLog.Log(LOG_INFO, function, L"Autolaunch enabled");
    } else {
        theInitializer.SetAutolaunchEnabled(1);
        theLog.Log(LOG_INFO, function, L"Invalid value for Autolaunch. Autolaunch is enabled by default");
    }
}

void CExtractorValidator::ValidateSetupLangPassedFromCommandLine(const std::wstring& setupLanguageValue) {
    int language = 1033;
    if (!setupLanguageValue.empty()) {
        theLog.Log(LOG_INFO, L"ValidateSetupLangPassedFromCommandLine", L"Command line parameter for SetupLanguage : %s",
                   setupLanguageValue);
        int value = CUtil::ToInt(setupLanguageValue);
        if (value != 0)
            language = value;
        else
            theLog.Log(LOG_INFO, kCommandLine,
                       L"Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage");
    }
    SetLanguaeForProgressBar(language);
}

void CExtractorValidator::SetLanguaeForProgressBar(int language) {
    const wchar_t* function = L"SetLanguaeForProgressBar";
    if (!IsSetupLanguage(language)) {
        theLog.Log(LOG_WARNING, function, L"Language not supported. Default English taken as Setup language");
        language = 1033;
    }
    if (!IsValidLocale(static_cast<LCID>(language), LCID_INSTALLED)) {
        theLog.Log(LOG_WARNING, function, L"Language : %d not supported by OS. Default English taken as Setup language",
                   language);
        language = 1033;
    }
    theInitializer.SetSetupLanguage(language);
    LoadLanguageFile(language, theInitializer.GetTempFolder());
}

std::wstring CExtractorValidator::PartName(int number) const {
    return partPattern.empty() ? std::wstring() : partPattern + FormatWide(L"%03d", number);
}

std::wstring CExtractorValidator::GetValidPartName(std::wstring& missingPart, TextList& status) {
    std::wstring folder = CUtil::GetProgramFolder();
    CUtil::AddTrailingBackslash(folder);
    std::wstring base = GetSettingString(settingsPath, L"Package", L"MultipartFileName");
    partPattern = base + L".";
    std::wstring candidate = folder + base + L".001";
    std::wstring accepted;
    if (CUtil::FileExists(candidate) && CCabDecompressor().GetCabinetSetId(candidate) == theInitializer.GetCabinetSetId()) {
        accepted = candidate;
    } else {
        // The package and its parts may have been renamed after download: the parts then carry
        // the program's file name without its last five characters.
        std::wstring program = CUtil::GetProgramFileName();
        std::wstring alternativeBase = program.size() > 5 ? program.substr(0, program.size() - 5) : std::wstring();
        std::wstring alternative = folder + alternativeBase + L".001";
        if (!alternativeBase.empty() && CUtil::FileExists(alternative) && theInitializer.GetCabinetSetId() != 0) {
            accepted = alternative;
            partPattern = alternativeBase + L".";
        }
    }
    if (accepted.empty()) {
        missingPart = candidate;
        partPattern.clear();
        status.push_front(FormatWide(L"Multi part File not found : %s", candidate));
    }
    firstPartName = PartName(1);
    return accepted;
}

int CExtractorValidator::ValidateParts(std::wstring& missingPart, TextList& status) {
    if (GetValidPartName(missingPart, status).empty()) return -2;
    std::wstring folder = CUtil::GetProgramFolder();
    CUtil::AddTrailingBackslash(folder);
    // The listed parts that are there are hashed first, side by side.
    std::vector<std::wstring> present;
    for (int n = 1; !GetSettingString(settingsPath, L"PartFileIno", FormatWide(L"%03d", n).c_str()).empty(); ++n)
        if (CUtil::FileExists(folder + PartName(n))) present.push_back(folder + PartName(n));
    // Packages that record the parts' SHA-256 as well have both hashes checked.
    const bool checkSha256 = HasSettingsEntries(settingsPath, L"HashCode256");
    std::vector<CFileHash> hashes = ComputeFileHashes(present, checkSha256);
    size_t hashed = 0;
    int result = 0;
    for (int n = 1;; ++n) {
        std::wstring key = FormatWide(L"%03d", n);
        if (GetSettingString(settingsPath, L"PartFileIno", key.c_str()).empty()) break;
        std::wstring path = folder + PartName(n);
        status.push_front(FormatWide(L"Validating cabinet : %s", path));
        if (hashed >= hashes.size() || present[hashed] != path) {
            result = -2;
            missingPart = path;
            status.push_front(FormatWide(L"Multi part File not found : %s", path));
            continue;
        }
        const CFileHash& hash = hashes[hashed++];
        if (hash.code != 0) {
            status.push_front(FormatWide(L"%s : Return Code : %d", hash.errorText, static_cast<int>(hash.code)));
        } else {
            std::wstring expected = GetSettingString(settingsPath, L"HashCode", key.c_str());
            status.push_front(FormatWide(L"Hash code for : %s is :%s", path, expected));
            bool corrupt = hash.hash != expected;
            if (!corrupt && checkSha256) {
                std::wstring expected256 = GetSettingString(settingsPath, L"HashCode256", key.c_str());
                status.push_front(FormatWide(L"SHA-256 Hash code for : %s is :%s", path, expected256));
                corrupt = hash.sha256 != expected256;
            }
            if (corrupt) {
                result = -5;
                missingPart = path;
                status.push_front(FormatWide(L"File is corrupt  : %s", path));
                continue;
            }
        }
        if (!CCabDecompressor().ValidateCabinetFile(path)) {
            result = -3;
            missingPart = path;
            status.push_front(FormatWide(L"Could not get the file status of the file : %s", path));
        }
    }
    return result;
}

int CExtractorValidator::CheckConditions(int language) {
    return ::CheckConditions(settingsPath, language, conditionMessageKeys);
}
