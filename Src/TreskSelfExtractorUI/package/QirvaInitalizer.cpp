#include "package/QirvaInitalizer.h"

#include <windows.h>

#include "app/RunMode.h"
#include "checks/OSValidator.h"
#include "log/BuildLogFile.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "util/Util.h"

CQirvaInitalizer theInitializer;

std::wstring CQirvaInitalizer::GetLogFolder() {
    const wchar_t* format = COSValidator::GetMajorVersion() >= 6
                                ? L"%ALLUSERSPROFILE%\\Velmora\\Automation\\Logfiles"
                                : L"%ALLUSERSPROFILE%\\Application Data\\Velmora\\Automation\\Logfiles";
    return CUtil::ExpandEnvironmentPath(format);
}

void CQirvaInitalizer::OpenMasterLog(int levelFlag) {
    int threshold = levelFlag == 1 ? LOG_THRESHOLD_DEBUG : LOG_THRESHOLD_NORMAL;
    masterLogPath = GetLogFolder() + L"\\Qirva.log";
    CUtil::CreateFolderOfFile(masterLogPath);
    theLog.InitLog(masterLogPath, threshold);
    if (CUtil::FileExists(masterLogPath) && theLog.DeleteLogFile() != 0) {
        // Another process holds the old log: this run writes under the logon name instead.
        masterLogPath = CUtil::AddUserNameToFileName(masterLogPath);
        CUtil::CreateFolderOfFile(masterLogPath);
        theLog.InitLog(masterLogPath, threshold);
        theLog.DeleteLogFile();
    }
    theLog.WriteHeader();
}

void CQirvaInitalizer::SetTempFolder(const std::wstring& folder) {
    tempFolder = folder;
    CUtil::AddTrailingBackslash(tempFolder);
}

std::wstring CQirvaInitalizer::CretaeAndValidateQirvaTempDir() {
    const wchar_t* function = L"CretaeAndValidateQirvaTempDir";
    int result = SetQirvaTempDir();
    if (result == 0) return std::wstring();
    if (result == ERROR_HANDLE_DISK_FULL) {
        theLog.Log(LOG_ERROR, function, L"Unable to find a volume with enough disk space for file extraction.");
        return GetText(104);
    }
    if (result == ERROR_ACCESS_DENIED) {
        theLog.Log(LOG_ERROR, function,
                   L"Unable to find a volume for file extraction.Please verify that you have proper permissions.");
        return GetText(106);
    }
    std::wstring message = FormatWide(L"Error : %s", CUtil::GetSystemErrorText(static_cast<unsigned long>(result)));
    theLog.Log(LOG_ERROR, function, L"%s", message);
    return message;
}

int CQirvaInitalizer::SetQirvaTempDir() {
    const wchar_t* function = L"SetQirvaTempDir";
    int64_t required = SetAppFileSize();
    theLog.Log(LOG_INFO, function, L"Searching space for extraction of Setting files");

    // Fixed drives with room, nearest to Z: first.
    std::wstring candidates[26];
    int count = 0;
    DWORD drives = GetLogicalDrives();
    for (int letter = 25; letter >= 0; --letter) {
        if (!(drives & (1u << letter))) continue;
        std::wstring root = FormatWide(L"%c:\\", L'A' + letter);
        ULARGE_INTEGER freeToCaller, total, freeTotal;
        if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED) continue;
        if (!GetDiskFreeSpaceExW(root.c_str(), &freeToCaller, &total, &freeTotal)) continue;
        if (static_cast<int64_t>(freeTotal.QuadPart) < required) continue;
        candidates[count++] = root;
    }
    if (count == 0) {
        theLog.Log(LOG_ERROR, function, L"Unable to find a volume with enough disk space for file extraction.");
        return ERROR_HANDLE_DISK_FULL;
    }
    int lastError = 0;
    for (int i = 0; i < count; ++i) {
        std::wstring folder = candidates[i] + CUtil::NewGuidText() + L"\\";
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            theLog.Log(LOG_INFO, function, L"Required Space found in Drive : %s", candidates[i]);
            theLog.Log(LOG_INFO, function, L"Directory created : %s", folder);
            SetTempFolder(folder);
            return 0;
        }
        lastError = static_cast<int>(GetLastError());
    }
    return lastError;
}

int64_t CQirvaInitalizer::SetAppFileSize() {
    const wchar_t* function = L"SetAppFileSize";
    std::wstring program = CUtil::GetProgramPath();
    theLog.Log(LOG_INFO, function, L"Opening file : %s", program);
    int64_t size = 4294967296LL;
    HANDLE file = CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER length;
    if (file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &length)) {
        size = length.QuadPart;
        CloseHandle(file);
        theLog.Log(LOG_INFO, function, L"File closed successfully");
    } else {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        theLog.Log(LOG_ERROR, function, L"Error in opening the file");
    }
    double value = 0;
    std::wstring unit;
    CUtil::GetSizeUnit(size, value, unit);
    theLog.Log(LOG_INFO, function, L"Space required for Extraction of Setting files: %s",
               FormatWide(L"%.02f %s", value, unit));
    return size;
}

int CQirvaInitalizer::ExtractIntermediateFiles() {
    // The attached-file reader is not part of this build yet: the run goes on without package
    // files, and every setting reads as missing.
    theLog.Log(LOG_INFO, L"ExtractIntermediateFiles", L"No attached package files are read by this build");
    return 0;
}

int CQirvaInitalizer::Init(const CInitArguments& arguments) {
    const wchar_t* function = L"CQirvaInitalizer::Init";
    runMode = arguments.runMode;
    settingsPath = tempFolder + SETTINGS_FILE_NAME;
    const wchar_t* modeName = runMode == MODE_SILENT ? L"Silent" : runMode == MODE_UNATTENDED ? L"Unattended" : L"Full GUI";
    theLog.Log(LOG_INFO, L"GUI Mode", L"%s", modeName);
    theLog.Log(LOG_INFO, function, L"Initializing the package settings");
    packageName = GetSettingString(settingsPath, L"Package", L"Name");
    theLog.Log(LOG_INFO, L"PackageName", L"%s", packageName);
    packageTitle = GetSettingString(settingsPath, L"Package", L"NameDispl") + L" " +
                   GetSettingString(settingsPath, L"Package", L"VersionString");
    return InitDisplay(arguments);
}

int CQirvaInitalizer::InitDisplay(const CInitArguments& /*arguments*/) {
    // The extraction folder and the conditions are not validated by this build yet: the default
    // folder counts as usable and Silent and Unattended runs go on.
    theLog.Log(LOG_INFO, L"CQirvaInitalizer::InitDisplay", L"Extraction path and conditions are not checked by this build");
    return runMode == MODE_FULL_GUI ? 1 : 520;
}
