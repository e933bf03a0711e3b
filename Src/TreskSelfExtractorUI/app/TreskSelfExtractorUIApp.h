#pragma once
// The program's entry and exit: start-up checks in a fixed order, the front end of the run mode,
// and the clean-up that ends in the process exit code.

#include <windows.h>

#include <string>

#include "WinGui/Gdi.h"
#include "app/ReturnCodes.h"
#include "app/WorkerThread.h"
#include "launch/Launcher.h"
#include "util/Handles.h"

class CExtractorCommandOpt;

class CTreskSelfExtractorUIApp : public CLaunchHost {
public:
    int InitInstance();
    int ExitInstance();
    [[noreturn]] void Quit(int levelFlag, int exitCode, const std::wstring& message);

    int GetRunMode() const;

    std::wstring CreateQirvaTempDir();
    int GetCheckAdmin();
    int CheckPassword(const std::wstring& commandLinePassword);
    void PrepareExtractionPassword(const std::wstring& stored);
    void ValidateOSBeforeExtraction();
    void RunWizard(int defaultPathUsable);
    void RunUnattended();

    void LockSettingsFile();
    void UnlockSettingsFile();
    void DeletePackageTempFolder() override;
    void ReleaseAppResources();
    void EndSession();

    CReturnCodeMessages& GetReturnCodes() override { return returnCodes; }
    int GetOsVerdict() override { return osVerdict; }
    int GetDeleteOnExit() override { return deleteOnExit; }
    void SetDeleteOnExit(int value) { deleteOnExit = value; }
    int GetSetupReturnCode() const { return returnCodes.GetSetupReturnCode(); }

private:
    void CopyBandImage(const wchar_t* key, std::wstring& copyPath);

    int silentFlag = 0;
    int unattendedFlag = 0;
    int anotherInstance = 0;
    ULONG_PTR gdiplusToken = 0;
    bool oleInitialized = false;
    std::wstring displayName;
    // The heading and status fonts, handed to the windows.
    wingui::Font headingFont;
    wingui::Font statusFont;
    std::wstring topImagePath;
    std::wstring bottomImagePath;
    KernelHandle settingsLock;
    std::wstring extractionPassword;
    std::wstring passwordRequired;
    std::wstring settingsHash;
    int osVerdict = 300;
    int osCheckedBeforeExtraction = 0;
    int requirementsPassed = 0;
    int deleteOnExit = 0;
    int tempFolderDeleted = 0;
    WorkerThread workerThread;
    CReturnCodeMessages returnCodes;
};

// What the program makes of a password stored rotated by number within the printable codes.
std::wstring UnscramblePassword(const std::wstring& stored, int number);

extern CTreskSelfExtractorUIApp theApp;
