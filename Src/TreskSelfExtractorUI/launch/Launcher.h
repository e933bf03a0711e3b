#pragma once
// Starting the setups that the package carries, after extraction: the launch list is built, the
// operating system checked once more, the package temporary folder removed, and the programs
// started one after the other with their exit codes recorded as finish messages.

#include <windows.h>

#include <atomic>
#include <string>

#include "util/Util.h"

class CReturnCodeMessages;

// What the launch needs of the application that runs it.
class CLaunchHost {
public:
    virtual ~CLaunchHost() = default;
    // The operating-system verdict of start-up (300 supported, 301 warning, 302 not supported).
    virtual int GetOsVerdict() = 0;
    // 1 when the user asked to delete the extracted files on exit.
    virtual int GetDeleteOnExit() = 0;
    // The messages the package attaches to the setups' return codes.
    virtual CReturnCodeMessages& GetReturnCodes() = 0;
    // Removes the package temporary folder before the setups start.
    virtual void DeletePackageTempFolder() = 0;
};

// What the launch needs of the wizard that runs it. The wizard implements it; Unattended and
// Silent runs launch without one.
class CLaunchWizard {
public:
    virtual ~CLaunchWizard() = default;
    // The wizard's window; null when it has none.
    virtual HWND GetWizardWindow() = 0;
    // The autolaunch page's window and its progress bar; null when the page has no window.
    virtual HWND GetAutolaunchPageWindow() = 0;
    virtual HWND GetAutolaunchProgressBar() = 0;
    // The autolaunch page's handler for a launch that ended (also after a cancel).
    virtual void OnLaunchFinished() = 0;
    // 1 when the wizard moves to its finish page as soon as the launch is done.
    virtual int GetLaunchImmediately() = 0;
    virtual void MoveToFinishPage() = 0;
};

// 0 while a started program is waited for, 1 once it returned.
extern std::atomic<int> setupReturnedFlag;

// Results of HandleLaunchSetup besides LaunchMultipleApplications' 0 and -1.
constexpr int LAUNCH_NOTHING_LAUNCHED = -1;
constexpr int LAUNCH_CLOSE_WIZARD = 10;

// Builds the launch list and starts it. Returns -1 when nothing was launched (empty list, or the
// package result code was not 0), 10 when the caller closes the wizard (an unsupported system,
// a refused warning, several entries, or one entry neither waited for nor shown with the
// installation dialog), otherwise the launch loop's result (0, or -1 for a missing program).
int HandleLaunchSetup(CLaunchHost& host, CLaunchWizard* wizard = nullptr);

// The launch loop: from the oldest entry to the newest, each program is started, waited for when
// the package says so, and its exit code recorded. Stops after a cancel and after a failure that
// the package marks as final. Returns 0, or -1 when a program was missing.
int LaunchMultipleApplications(CLaunchHost& host, const std::wstring& languageSection, const TextList& launchList,
                               const TextList& parameterList, const std::wstring& installationDialogFlag,
                               CLaunchWizard* wizard = nullptr);

// What the wizard does once the launch loop is done: 1 when it shows itself again (one entry,
// waited for or shown with the installation dialog), 0 when it stays hidden and is closed.
int WizardReturnsAfterLaunch(size_t entryCount, int waitForFinish, const std::wstring& installationDialogFlag);
