#include "package/QirvaInitalizer.h"

#include <windows.h>

#include <cmath>
#include <ctime>

#include "app/AppMessageBox.h"
#include "app/RunMode.h"
#include "checks/OSValidator.h"
#include "log/BuildLogFile.h"
#include "log/SystemInformation.h"
#include "package/AttachedFiles.h"
#include "package/ExtractorValidator.h"
#include "package/Languages.h"
#include "package/Settings.h"
#include "package/TextFileCheck.h"
#include "package/UiText.h"
#include "util/Handles.h"
#include "util/Util.h"

CQirvaInitalizer theInitializer;

TextList TempFolderDrives(const std::vector<DriveFacts>& drives, int64_t requiredBytes) {
    TextList roots;
    for (const auto& drive : drives)
        if (drive.fixed && static_cast<int64_t>(drive.freeBytes) >= requiredBytes) roots.push_front(drive.root);
    return roots;
}

namespace {

const wchar_t* LogFolderFormat() {
    return COSValidator::GetMajorVersion() >= 6 ? L"%s\\Velmora\\Automation\\Logfiles"
                                                : L"%s\\Application Data\\Velmora\\Automation\\Logfiles";
}

// A name that is safe as one file name: the part after any folder separator, with characters
// that file names cannot hold replaced.
std::wstring PlainFileName(const std::wstring& name) {
    size_t slash = name.find_last_of(L"\\/");
    std::wstring plain = slash == std::wstring::npos ? name : name.substr(slash + 1);
    for (auto& c : plain)
        if (wcschr(L":*?\"<>|", c) || c < 32) c = L'_';
    return plain;
}

// Moves an earlier extraction log aside under a name with its modification date and time.
void MoveOldLogAside(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
    FILETIME local;
    SYSTEMTIME when;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &when);
    static const wchar_t* const months[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                            L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    std::wstring date = FormatWide(L"%02u%s%04u", when.wDay, months[(when.wMonth + 11) % 12], when.wYear);
    std::wstring time = FormatWide(L"%02u-%02u-%02u", when.wHour, when.wMinute, when.wSecond);
    size_t slash = path.find_last_of(L'\\');
    std::wstring folder = path.substr(0, slash + 1);
    std::wstring name = path.substr(slash + 1);
    size_t dot = name.find_last_of(L'.');
    std::wstring stem = dot == std::wstring::npos ? name : name.substr(0, dot);
    std::wstring target = dot == std::wstring::npos
                              ? FormatWide(L"%s%s_%s_%s", folder, stem, date, time)
                              : FormatWide(L"%s%s_%s_%s.%s", folder, stem, date, time, name.substr(dot + 1));
    MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// True for a missing or empty file and for one whose last byte is a line feed.
bool EndsWithLineBreak(const std::wstring& path) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return true;
    char last = '\n';
    DWORD read = 0;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
        SetFilePointer(file.Get(), -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER)
        ReadFile(file.Get(), &last, 1, &read, nullptr);
    return last == '\n';
}

}  // namespace

std::wstring CQirvaInitalizer::GetLogFolder() {
    return CUtil::ExpandEnvironmentPath(FormatWide(LogFolderFormat(), L"%ALLUSERSPROFILE%"));
}

std::wstring CQirvaInitalizer::ExtractionLogPath(const std::wstring& name) const {
    return CUtil::ExpandEnvironmentPath(FormatWide(LogFolderFormat(), L"%ALLUSERSPROFILE%") + L"\\" + name);
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

void CQirvaInitalizer::AppendToMasterLog(int levelFlag) {
    masterLogPath = GetLogFolder() + L"\\Qirva.log";
    CUtil::CreateFolderOfFile(masterLogPath);
    theLog.InitLog(masterLogPath, levelFlag == 1 ? LOG_THRESHOLD_DEBUG : LOG_THRESHOLD_NORMAL);
    // The running instance's log may end with its end banner, which has no line break of its own.
    if (!EndsWithLineBreak(masterLogPath)) theLog.WriteRaw(L"\n");
    theLog.WriteHeader();
}

void CQirvaInitalizer::SetTempFolder(const std::wstring& folder) {
    tempFolder = folder;
    CUtil::AddTrailingBackslash(tempFolder);
    settingsPath = tempFolder + SETTINGS_FILE_NAME;
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

    std::vector<DriveFacts> drives;
    DWORD mask = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(mask & (1u << letter))) continue;
        DriveFacts drive;
        drive.root = FormatWide(L"%c:\\", L'A' + letter);
        drive.fixed = GetDriveTypeW(drive.root.c_str()) == DRIVE_FIXED;
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
        if (drive.fixed &&
            GetDiskFreeSpaceW(drive.root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
            drive.freeBytes = uint64_t(sectorsPerCluster) * bytesPerSector * freeClusters;
        drives.push_back(drive);
    }
    TextList candidates = TempFolderDrives(drives, required);
    if (candidates.empty()) {
        theLog.Log(LOG_ERROR, function, L"Unable to find a volume with enough disk space for file extraction.");
        return ERROR_HANDLE_DISK_FULL;
    }
    int lastError = 0;
    for (const auto& root : candidates) {
        std::wstring folder = root + CUtil::NewGuidText() + L"\\";
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            theLog.Log(LOG_INFO, function, L"Required Space found in Drive : %s", root);
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
    KernelHandle file(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER length;
    bool measured = file && GetFileSizeEx(file.Get(), &length);
    file.Reset();
    if (measured) {
        size = length.QuadPart;
        theLog.Log(LOG_INFO, function, L"File closed successfully");
    } else {
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
    const wchar_t* function = L"ExtractIntermediateFiles";
    theLog.WriteRaw(
        L"------------------------------------------ Extraction ------------------------------------------\n");
    CExtractor reader;
    int result = reader.ExtractFile(CUtil::GetProgramPath(), tempFolder, ATTACHED_SUPPORT_FILE, GetPayloadOffset(),
                                    5242880);
    if (result != 0) {
        std::wstring text = GetText(602);
        theLog.Log(LOG_ERROR, function, L"An error occured during extraction of Setting files");
        if (runMode == MODE_FULL_GUI) AppMessageBox(text, MB_OK | MB_ICONERROR);
        return result;
    }
    theLog.Log(LOG_INFO, function, L"Extracted Setting files to %s", tempFolder);
    return 0;
}

void CQirvaInitalizer::CreateExtractionLogFile(const std::wstring& /*name*/, int debug) {
    const wchar_t* function = L"CreateExtractionLogFile";
    theLog.Log(LOG_INFO, function, L"Creating Extraction Log File");
    std::wstring name = GetSettingString(settingsPath, L"LogFiles", L"ExtractLogFileName");
    if (name.empty()) {
        // Without a configured name the log is named after the package.
        std::wstring package = GetSettingString(settingsPath, L"Package", L"Name");
        name = package.empty() ? L"Extraction.log" : package + L".log";
    }
    name = PlainFileName(name);
    theLog.Log(LOG_INFO, function, (std::wstring(LogFolderFormat()) + L"\\%s").c_str(), L"%ALLUSERSPROFILE%", name);
    std::wstring path = ExtractionLogPath(name);

    if (CUtil::FileExists(path)) {
        // Only a look whether another process holds the file: closed again before it is moved aside.
        KernelHandle probe(
            CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!probe) path = CUtil::AddUserNameToFileName(path);
    }
    if (CUtil::FileExists(path)) MoveOldLogAside(path);

    theLog.Log(LOG_INFO, function, L"Extraction Log File : %s", path);
    theLog.WriteRaw(L"%s", LOG_END_BANNER);

    CUtil::CreateFolderOfFile(path);
    theLog.InitLog(path, debug == 1 ? LOG_THRESHOLD_DEBUG : LOG_THRESHOLD_NORMAL);
    theLog.DeleteLogFile();
    theLog.WriteHeader();
    theLog.Log(LOG_INFO, function, L"Master Log File : %s", masterLogPath);
}

int CQirvaInitalizer::Init(const CInitArguments& arguments) {
    const wchar_t* function = L"CQirvaInitalizer::Init";
    runMode = arguments.runMode;
    CreateExtractionLogFile(packageName, arguments.debug);
    theLog.Log(LOG_INFO, L"Qirva Masterframe Version", L"%s", GetSettingString(settingsPath, L"Qirva", L"FrameVersion"));
    const wchar_t* modeName =
        runMode == MODE_SILENT ? L"Silent" : runMode == MODE_UNATTENDED ? L"Unattended" : L"Full GUI";
    theLog.Log(LOG_INFO, L"GUI Mode", L"%s", modeName);
    theLog.Log(LOG_INFO, function, L"Initializing the package settings");
    WarnIfNotUtf16(settingsPath, L"settings file", function);

    conditionCheckSuppressed = arguments.noConditionCheck;
    if (conditionCheckSuppressed == 1)
        theLog.Log(LOG_INFO, L"Command Line Parameters",
                   L"Condition check will not be done as NoConditioncheck command line parameter has been passed");

    packageName = GetSettingString(settingsPath, L"Package", L"Name");
    theLog.Log(LOG_INFO, L"PackageName", L"%s", packageName);
    theValidator.SetSettingsPath(settingsPath);
    WriteSystemInformation();
    SetBufferSize();
    fileCount = GetSettingInt(settingsPath, L"FileCount", L"Count", 0);
    allowChangeTarget = _wcsicmp(GetSettingString(settingsPath, L"Runtime", L"AllowChangeTarget").c_str(), L"1") == 0;
    exitOnAutolaunchFailure =
        _wcsicmp(GetSettingString(settingsPath, L"Runtime", L"ExitOnAutolaunchFailure").c_str(), L"1") == 0;
    // Read now: the settings file is removed before the setups start.
    returnSetupExitCode = GetSettingFlag(settingsPath, L"Runtime", L"ReturnSetupExitCode");
    if (returnSetupExitCode)
        theLog.Log(LOG_INFO, function, L"ReturnSetupExitCode is set. The exit code of the last setup will be returned");
    InitAutolaunch();
    if (autolaunchEnabled == 1) InitCommandLineForNoOSCheck(arguments.noOSCheck);
    SetMultiPart();
    cabinetSetId = static_cast<uint16_t>(CUtil::ToInt(GetSettingString(settingsPath, L"Qirva", L"GUID2")));
    packageTitle = FormatWide(L"%s %s", GetSettingString(settingsPath, L"Package", L"NameDispl"),
                              GetSettingString(settingsPath, L"Package", L"VersionString"));
    return InitDisplay(arguments);
}

void CQirvaInitalizer::InitAutolaunch() {
    const wchar_t* function = L"InitAutolaunch";
    const wchar_t* key = GetSettingString(settingsPath, L"Runtime", L"Multilaunch") == L"1" ? L"AutoLaunch1" : L"AutoLaunch";
    if (GetSettingString(settingsPath, L"Runtime", key).empty()) {
        theLog.Log(LOG_INFO, function, L"AutoLaunch is not enabled");
        return;
    }
    autolaunchEnabled = 1;
    theLog.Log(LOG_INFO, function, L"AutoLaunch is enabled");
    SetWaitForAutoLaunchParam();
}

void CQirvaInitalizer::SetWaitForAutoLaunchParam() {
    const wchar_t* function = L"SetWaitForAutoLaunchParam";
    std::wstring value = GetSettingString(settingsPath, L"Runtime", L"WaitForAutolaunchFinish");
    if (value == L"0") {
        waitForAutolaunchFinish = 0;
        theLog.Log(LOG_INFO, function, L"WaitForAutolaunchFinish is not enabled");
    } else if (value == L"1" || value.empty()) {
        waitForAutolaunchFinish = 1;
        theLog.Log(LOG_INFO, function, L"WaitForAutolaunchFinish is enabled");
    } else {
        waitForAutolaunchFinish = 1;
        theLog.Log(LOG_INFO, function,
                   L"Invalid value for WaitForAutolaunchFinish. WaitForAutolaunchFinish is enabled by default");
    }
}

void CQirvaInitalizer::SetBufferSize() {
    const wchar_t* function = L"SetBufferSize";
    int base = GetSettingInt(settingsPath, L"Size", L"128MB", 5242880);
    if (base == 0) base = 5242880;
    theLog.Log(LOG_DETAIL, function, L"BufferSize in ToolSettings : %u", static_cast<unsigned>(base));
    MEMORYSTATUS status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    uint32_t memory = static_cast<uint32_t>(status.dwTotalPhys);
    uint32_t factor = static_cast<uint32_t>(std::ceil(static_cast<double>(memory) / 134217728.0));
    // Reported for the package's makers only: the payload is copied with its own fixed buffer.
    const uint32_t bufferSize = static_cast<uint32_t>(base) * factor;
    theLog.Log(LOG_DETAIL, function, L"Calculated BufferSize : %u", bufferSize);
}

void CQirvaInitalizer::InitCommandLineForNoOSCheck(int commandLineNoOSCheck) {
    const wchar_t* function = L"InitCommandLineForNoOSCheck";
    const wchar_t* commandLine = L"Command Line Parameters";
    if (GetSettingString(settingsPath, L"Package", L"CheckOs") == L"1") {
        theLog.Log(LOG_INFO, function, L"CheckOs is set.OS check will be done before extraction in GUI mode");
        return;
    }
    if (commandLineNoOSCheck == 1) {
        noOSCheck = 1;
        theLog.Log(LOG_INFO, commandLine, L"Setting NoOSCheck from commandline.");
    } else {
        noOSCheck = GetSettingString(settingsPath, L"OS", L"NoOSCheck") == L"1" ? 1 : 0;
        if (noOSCheck == 1) theLog.Log(LOG_INFO, function, L"Setting NoOSCheck from INI file.");
    }
    if (noOSCheck == 1) theLog.Log(LOG_INFO, function, L"NoOSCheck has been set.OS check will not be done.");
}

void CQirvaInitalizer::SetMultiPart() {
    multiPart = GetSettingInt(settingsPath, L"Package", L"MultiPartDownload", 0) == 1 ? 1 : 0;
}

int CQirvaInitalizer::EvaluateStartupConditions() {
    return theValidator.CheckConditions(setupLanguage);
}

int CQirvaInitalizer::InitDisplay(const CInitArguments& arguments) {
    const wchar_t* function = L"CQirvaInitalizer::InitDisplay";
    if (runMode == MODE_FULL_GUI) return ValidateAndCheckExtractPath() == 1 ? INIT_WIZARD : INIT_WIZARD_FOLDER_UNUSABLE;

    int passed = conditionCheckSuppressed == 0 ? EvaluateStartupConditions() : 1;
    if (!passed) {
        theLog.Log(LOG_ERROR, function, L"Condition not satisfied");
        return INIT_FAILED;
    }
    if (runMode == MODE_UNATTENDED) theValidator.ValidateSetupLangPassedFromCommandLine(arguments.setupLanguage);
    theValidator.ValidateAndSetAutolaunchFromCommandLine(arguments.autolaunch);
    if (!arguments.extractPath.empty())
        theLog.Log(LOG_INFO, L"Command Line Parameters", L"Command line parameter for Extract path : %s",
                   arguments.extractPath);
    // The Silent and Unattended folder: the first usable candidate, decided here once.
    extractPath = theValidator.GetFinalExtractPathParam(arguments.extractPath, packageName, tempFolder, multiPart);
    theLog.Log(LOG_INFO, L"File Overwriting", L"Overwriting of the extracted files is enabled in Silent and Unattended mode");
    if (extractPath.empty()) {
        theLog.Log(LOG_ERROR, function, L"Valid Extract path could not be found");
        runFailed = true;
        return INIT_FAILED;
    }
    return INIT_WITHOUT_WIZARD;
}

int CQirvaInitalizer::ValidateAndCheckExtractPath() {
    const wchar_t* function = L"CQirvaInitalizer::ValidateAndCheckExtractPath(";
    extractPath = theOSValidator.GetOSExtractPath();
    if (!extractPath.empty()) {
        theLog.Log(LOG_INFO, function, L"Extract path for the OS : %s", extractPath);
    } else {
        extractPath = GetSettingString(settingsPath, L"Runtime", L"ExtractPath");
        theLog.Log(LOG_INFO, function, L"Extract Path from Web Package : %s", extractPath);
    }
    std::wstring expanded = CUtil::ExpandEnvironmentPath(extractPath);
    if (!expanded.empty()) extractPath = expanded;
    // Tested in the normal form, the one the location page shows and the extraction uses.
    extractPath = NormalizeFolderText(extractPath);
    std::wstring root;
    int error = theUtil.ValidatePath(extractPath, root);
    int64_t required = theValidator.GetRequiredSpace(tempFolder, extractPath, multiPart);
    bool usable = error == 0;
    if (usable) {
        std::wstring message;
        usable = theValidator.CheckFreeSpace(extractPath, required, message) == 1;
    }
    if (!usable) {
        if (allowChangeTarget != 1 && autolaunchEnabled == 1)
            theLog.LogUnnamed(LOG_INFO, L"Extract path is not having enough space or permission");
        return 0;
    }
    // Stored as the location page stores a chosen folder, ending in one backslash: the paths built
    // on it (the launched setups, the hand-over file) need exactly one separator.
    CUtil::AddTrailingBackslash(extractPath);
    return 1;
}
