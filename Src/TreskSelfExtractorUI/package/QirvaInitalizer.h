#pragma once
// What the program knows about its package: where its files are, what the settings and the
// command line say, and the run state that extraction and launching share.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/RunMode.h"
#include "util/PathList.h"
#include "util/Util.h"

// What the start-up knows of a drive when it looks for room for its temporary folder.
struct DriveFacts {
    std::wstring root;  // "C:\\"
    bool fixed = false;
    uint64_t freeBytes = 0;
};
// The drives that can take the package temporary folder, nearest to Z: first.
TextList TempFolderDrives(const std::vector<DriveFacts>& drives, int64_t requiredBytes);

// What initialisation tells the application to do: show the wizard (with the default folder
// usable or not), run without it (Silent and Unattended), or end.
enum InitOutcome : int {
    INIT_FAILED = -1,
    INIT_WIZARD_FOLDER_UNUSABLE = 0,
    INIT_WIZARD = 1,
    INIT_WITHOUT_WIZARD = 520,
};

struct CInitArguments {
    int debug = 0;
    int noConditionCheck = 0;
    int noOSCheck = 0;
    std::wstring extractPath;
    std::wstring autolaunch;
    std::wstring setupLanguage;
    int runMode = MODE_FULL_GUI;
};

class CQirvaInitalizer {
public:
    // Start-up: master log, package temporary folder, attached files, initialisation.
    // A fresh master log for this run (an earlier run's log is deleted).
    void OpenMasterLog(int levelFlag);
    // The master log of a run that is refused because another instance runs: its lines are
    // appended, so the running instance's log stays whole.
    void AppendToMasterLog(int levelFlag);
    std::wstring CretaeAndValidateQirvaTempDir();
    int SetQirvaTempDir();
    int64_t SetAppFileSize();
    int ExtractIntermediateFiles();
    int Init(const CInitArguments& arguments);
    int InitDisplay(const CInitArguments& arguments);
    void CreateExtractionLogFile(const std::wstring& name, int debug);
    void InitAutolaunch();
    void SetWaitForAutoLaunchParam();
    void SetBufferSize();
    void InitCommandLineForNoOSCheck(int commandLineNoOSCheck);
    void SetMultiPart();
    int ValidateAndCheckExtractPath();

    // The folder that holds the log files, below the machine-wide application data folder.
    static std::wstring GetLogFolder();
    // The extraction log's path for a [LogFiles] ExtractLogFileName value.
    std::wstring ExtractionLogPath(const std::wstring& name) const;

    int GetRunMode() const { return runMode; }
    // Known from the command line before initialisation; Init sets it again.
    void SetRunMode(int mode) { runMode = mode; }
    const std::wstring& GetTempFolder() const { return tempFolder; }
    void SetTempFolder(const std::wstring& folder);
    const std::wstring& GetSettingsPath() const { return settingsPath; }
    const std::wstring& GetPackageTitle() const { return packageTitle; }
    const std::wstring& GetExtractPath() const { return extractPath; }
    void SetExtractPath(const std::wstring& path) { extractPath = path; }
    const std::wstring& GetOSMessage() const { return osMessage; }
    void SetOSMessage(const std::wstring& message) { osMessage = message; }
    int GetSetupLanguage() const { return setupLanguage; }
    void SetSetupLanguage(int language) { setupLanguage = language; }
    int GetNoOSCheck() const { return noOSCheck; }
    int IsAutolaunchEnabled() const { return autolaunchEnabled; }
    void SetAutolaunchEnabled(int enabled) { autolaunchEnabled = enabled; }
    int GetWaitForAutolaunchFinish() const { return waitForAutolaunchFinish; }
    int GetExitOnAutolaunchFailure() const { return exitOnAutolaunchFailure; }
    // [Runtime] ReturnSetupExitCode=1: the last setup's own code becomes the process exit code.
    bool GetReturnSetupExitCode() const { return returnSetupExitCode; }
    int GetFrameDeletesOnExit() const { return frameDeletesOnExit; }
    void SetFrameDeletesOnExit(int value) { frameDeletesOnExit = value; }
    int GetConditionCheckSuppressed() const { return conditionCheckSuppressed; }
    int GetFileCount() const { return fileCount; }
    int IsMultiPart() const { return multiPart; }
    uint16_t GetCabinetSetId() const { return cabinetSetId; }
    void SetCabinetSetId(uint16_t setId) { cabinetSetId = setId; }
    int GetPackageResultCode() const { return packageResultCode; }
    void SetPackageResultCode(int code) { packageResultCode = code; }
    // Set when the run ends without the package extracted because of an error (not the user's
    // cancel, not unmet conditions); it makes the exit code -1.
    bool IsRunFailed() const { return runFailed; }
    void SetRunFailed() { runFailed = true; }
    int GetSetupReturnCodeValid() const { return setupReturnCodeValid; }
    void SetSetupReturnCodeValid(int valid) { setupReturnCodeValid = valid; }
    const std::wstring& GetLastCabinetName() const { return lastCabinetName; }
    void SetLastCabinetName(const std::wstring& name) { lastCabinetName = name; }

    // Files and folders that extraction wrote, newest first; the clean-up works from them. One
    // entry per file of the package: kept compact (util/PathList.h), the two lists of files in one
    // store, so a file that is on both is kept once.
    std::shared_ptr<CPathStore> fileStore = std::make_shared<CPathStore>();
    CPathList writtenFiles{fileStore};
    CPathList packageFiles{fileStore};
    CPathList createdFolders;
    CPathList packageFolders;

private:
    // The package's [Conditions] for Silent and Unattended runs: 1 when fulfilled.
    int EvaluateStartupConditions();

    std::wstring masterLogPath;
    std::wstring extractPath;
    int runMode = MODE_FULL_GUI;
    std::wstring tempFolder;
    std::wstring settingsPath;
    std::wstring packageName;
    std::wstring packageTitle;
    std::wstring osMessage;
    int fileCount = 0;
    int allowChangeTarget = 0;
    int autolaunchEnabled = 0;
    int packageResultCode = 0;
    bool runFailed = false;
    uint16_t cabinetSetId = 0;
    int setupLanguage = 1033;
    std::wstring lastCabinetName;
    int multiPart = 0;
    int conditionCheckSuppressed = 0;
    int noOSCheck = 0;
    int waitForAutolaunchFinish = 1;
    int exitOnAutolaunchFailure = 0;
    bool returnSetupExitCode = false;
    int setupReturnCodeValid = 0;
    int frameDeletesOnExit = 0;
};

// The one package initialiser of the process.
extern CQirvaInitalizer theInitializer;
