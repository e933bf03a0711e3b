#include "launch/Launcher.h"

#include <commctrl.h>

#include "app/AppMessageBox.h"
#include "app/RunMode.h"
#include "app/ReturnCodes.h"
#include "app/WorkerThread.h"
#include "checks/OSValidator.h"
#include "launch/AutolaunchList.h"
#include "launch/LaunchApplication.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/ResultCode.h"
#include "package/Settings.h"

std::atomic<int> setupReturnedFlag{1};

namespace {

// [Runtime] Multilaunch as it was before the launch removed the package temporary folder (and
// the settings file in it).
std::wstring launchMultilaunch;

HWND WizardWindow(CLaunchWizard* wizard) {
    HWND window = wizard ? wizard->GetWizardWindow() : nullptr;
    return window && IsWindow(window) ? window : nullptr;
}

HWND AutolaunchPage(CLaunchWizard* wizard) {
    HWND page = wizard ? wizard->GetAutolaunchPageWindow() : nullptr;
    return page && IsWindow(page) ? page : nullptr;
}

// Lets the window thread handle what is waiting for it before the first setup blocks it.
void DispatchPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int WizardReturnsAfterLaunch(size_t entryCount, int waitForFinish, const std::wstring& installationDialogFlag) {
    return entryCount == 1 && (waitForFinish != 0 || installationDialogFlag == L"1") ? 1 : 0;
}

int HandleLaunchSetup(CLaunchHost& host, CLaunchWizard* wizard) {
    const wchar_t* function = L"HandleLaunchSetup";
    const std::wstring& settings = theInitializer.GetSettingsPath();
    const std::wstring dialogFlag = GetSettingString(settings, L"Runtime", L"AutoLaunchInstallationDialog");
    SetLaunchCheckAdmin(GetSettingString(settings, L"Runtime", L"CheckAdmin"));
    launchMultilaunch = GetSettingString(settings, L"Runtime", L"Multilaunch");

    const int language = theInitializer.GetSetupLanguage();
    const std::wstring languageSection = FormatWide(L"%d", language);
    TextList launchList, parameterList;
    GetAutolaunchApps(languageSection, theInitializer.GetRunMode(), host.GetDeleteOnExit(), &host.GetReturnCodes(), launchList,
                      parameterList);

    int result = 0;
    bool aborted = false;
    bool closeWizard = false;
    HWND window = WizardWindow(wizard);
    if (launchList.empty() || theInitializer.GetPackageResultCode() != 0) {
        result = LAUNCH_NOTHING_LAUNCHED;
    } else {
        if (window) ShowWindow(window, dialogFlag == L"1" ? SW_SHOW : SW_HIDE);
        if (theInitializer.GetNoOSCheck() != 1) {
            const int verdict = host.GetOsVerdict();
            const bool fullGui = theInitializer.GetRunMode() == MODE_FULL_GUI;
            if (verdict == OS_NOT_SUPPORTED) {
                if (fullGui) {
                    if (window) ShowWindow(window, SW_HIDE);
                    theOSValidator.CheckOS(OS_NOT_SUPPORTED, language, 1);
                    theInitializer.SetOSMessage(theOSValidator.GetOSMessage());
                    AppMessageBox(theInitializer.GetOSMessage(), MB_OK | MB_ICONSTOP);
                }
                result = LAUNCH_CLOSE_WIZARD;
                aborted = true;
            } else if (verdict == OS_WARNING && fullGui) {
                if (window) ShowWindow(window, SW_HIDE);
                theOSValidator.CheckOS(OS_WARNING, language, 1);
                theInitializer.SetOSMessage(theOSValidator.GetOSMessage());
                if (AppMessageBox(theInitializer.GetOSMessage(), MB_YESNO | MB_ICONEXCLAMATION) == IDNO) {
                    theLog.Log(LOG_ERROR, function, L"Current operating system  not supported");
                    theInitializer.SetPackageResultCode(RESULT_CANCELLED);
                    result = LAUNCH_CLOSE_WIZARD;
                    aborted = true;
                }
            }
            if (!aborted) theLog.LogUnnamed(LOG_INFO, L"Current OS is supported");
        }
        if (!aborted) {
            // The setups must not find the package's own files; the settings file goes with them.
            host.DeletePackageTempFolder();
            result = LaunchMultipleApplications(host, languageSection, launchList, parameterList, dialogFlag, wizard);
            if (WizardReturnsAfterLaunch(launchList.size(), theInitializer.GetWaitForAutolaunchFinish(), dialogFlag)) {
                if (window) ShowWindow(window, SW_SHOW);
            } else {
                result = LAUNCH_CLOSE_WIZARD;
                closeWizard = true;
            }
        }
    }
    if (window && wizard->GetLaunchImmediately() == 1 && !aborted && !closeWizard) wizard->MoveToFinishPage();
    return result;
}

int LaunchMultipleApplications(CLaunchHost& host, const std::wstring& languageSection, const TextList& launchList,
                               const TextList& parameterList, const std::wstring& installationDialogFlag,
                               CLaunchWizard* wizard) {
    (void)languageSection;  // the return-code messages were loaded with the list
    const wchar_t* function = L"LaunchMultipleApplications";
    HWND page = AutolaunchPage(wizard);
    if (installationDialogFlag == L"1" && page) DispatchPendingMessages();

    const int count = static_cast<int>(launchList.size());
    const int step = count > 0 ? 100 / count : 0;
    int position = step;
    int result = 0;
    const int wait = theInitializer.GetWaitForAutolaunchFinish();

    auto launch = launchList.rbegin();
    auto parameters = parameterList.rbegin();
    for (; launch != launchList.rend() && parameters != parameterList.rend(); ++launch, ++parameters) {
        size_t colon = launch->find(L':');
        std::wstring launchKey = colon == std::wstring::npos ? *launch : launch->substr(0, colon);
        std::wstring launchPath = colon == std::wstring::npos ? std::wstring() : launch->substr(colon + 1);
        theLog.Log(LOG_INFO, function, L"Launching - %s", launchPath);
        if (!CUtil::FileExists(launchPath)) {
            theInitializer.SetPackageResultCode(RESULT_LAUNCH_FAILED);
            theLog.Log(LOG_ERROR, L"File for launching the setup not found : ", L"%s", launchPath);
            result = -1;
            continue;
        }

        std::wstring arguments = *parameters;
        std::wstring errorText;
        setupReturnedFlag = 0;
        int exitCode = LaunchApplication(launchPath, arguments, errorText, wait);
        setupReturnedFlag = 1;

        if (WorkerShouldStop()) {
            theLog.Log(LOG_ERROR, function, L"Launch process is stopped");
            if (wizard) wizard->OnLaunchFinished();
            return result;
        }
        if (installationDialogFlag == L"1" && theInitializer.GetRunMode() == MODE_FULL_GUI && page) {
            HWND bar = wizard->GetAutolaunchProgressBar();
            if (bar) SendMessageW(bar, PBM_SETPOS, position, 0);
            position += step;
        }
        if (errorText.empty()) {
            if (wait != 0 || launchMultilaunch == L"0") {
                theLog.Log(LOG_INFO, function, L"Finished - %s", launchPath);
                theLog.Log(LOG_INFO, function, L"Return code of - %s is %d", launchPath, exitCode);
            }
        } else {
            theInitializer.SetPackageResultCode(RESULT_LAUNCH_FAILED);
            exitCode = -1;
            theLog.Log(LOG_ERROR, function, L"%s", errorText);
        }
        if (host.GetReturnCodes().SetFinishMessage(exitCode, launchKey) == -1 &&
            theInitializer.GetExitOnAutolaunchFailure() == 1) {
            theInitializer.SetSetupReturnCodeValid(1);
            break;
        }
    }
    return result;
}
