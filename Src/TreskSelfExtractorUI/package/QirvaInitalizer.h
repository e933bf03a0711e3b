#pragma once
// What the program knows about its package: where its files are, what the settings and the
// command line say, and the run state that extraction and launching share.

#include <cstdint>
#include <string>

struct CInitArguments {
    int debug = 0;
    int noConditionCheck = 0;
    int noOSCheck = 0;
    std::wstring extractPath;
    std::wstring autolaunch;
    std::wstring setupLanguage;
    int runMode = 0;
};

class CQirvaInitalizer {
public:
    // Start-up: master log, package temporary folder, attached files, initialisation.
    void OpenMasterLog(int levelFlag);
    std::wstring CretaeAndValidateQirvaTempDir();
    int SetQirvaTempDir();
    int64_t SetAppFileSize();
    int ExtractIntermediateFiles();
    int Init(const CInitArguments& arguments);
    int InitDisplay(const CInitArguments& arguments);

    // The folder that holds the log files, below the machine-wide application data folder.
    static std::wstring GetLogFolder();
    const std::wstring& GetMasterLogPath() const { return masterLogPath; }

    int GetRunMode() const { return runMode; }
    const std::wstring& GetTempFolder() const { return tempFolder; }
    void SetTempFolder(const std::wstring& folder);
    const std::wstring& GetSettingsPath() const { return settingsPath; }
    const std::wstring& GetPackageName() const { return packageName; }
    const std::wstring& GetPackageTitle() const { return packageTitle; }
    int GetSetupLanguage() const { return setupLanguage; }
    void SetSetupLanguage(int language) { setupLanguage = language; }
    int GetNoOSCheck() const { return noOSCheck; }
    int IsAutolaunchEnabled() const { return autolaunchEnabled; }
    int GetWaitForAutolaunchFinish() const { return waitForAutolaunchFinish; }
    int GetFrameDeletesOnExit() const { return frameDeletesOnExit; }
    int GetPackageResultCode() const { return packageResultCode; }
    void SetPackageResultCode(int code) { packageResultCode = code; }
    int GetSetupReturnCodeValid() const { return setupReturnCodeValid; }
    void SetSetupReturnCodeValid(int valid) { setupReturnCodeValid = valid; }

private:
    std::wstring masterLogPath;
    int runMode = 510;
    std::wstring tempFolder;
    std::wstring settingsPath;
    std::wstring packageName;
    std::wstring packageTitle;
    int setupLanguage = 1033;
    int noOSCheck = 0;
    int autolaunchEnabled = 0;
    int waitForAutolaunchFinish = 1;
    int frameDeletesOnExit = 0;
    int packageResultCode = 0;
    int setupReturnCodeValid = 0;
};

// The one package initialiser of the process.
extern CQirvaInitalizer theInitializer;
