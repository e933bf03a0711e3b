#include "wizard/AutoLaunchSilentPage.h"

#include "app/WorkerMessages.h"
#include "app/WorkerThread.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/ResultCode.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "wizard/CompletionDecision.h"
#include "wizard/QirvaSheet.h"

namespace {

// The wizard whose launch the worker runs; one wizard runs per process.
CQirvaSheet* launchingSheet = nullptr;
// What HandleLaunchSetup returned on the worker, read by the page when WM_LAUNCH_DONE arrives.
std::atomic<int> launchResult{LAUNCH_NOTHING_LAUNCHED};

DWORD WINAPI LaunchSetupThread(LPVOID holder) {
    auto* worker = static_cast<WorkerThread*>(holder);
    HWND page = worker->GetWindow();
    theLog.Log(LOG_INFO, L"LaunchSetupThread", L"Started the Launch process");
    launchResult = launchingSheet ? HandleLaunchSetup(*launchingSheet->Context().host, launchingSheet)
                                  : LAUNCH_NOTHING_LAUNCHED;
    worker->Stop();
    if (page && IsWindow(page)) PostMessageW(page, WM_LAUNCH_DONE, 0, 0);
    return 0;
}

}  // namespace

CAutoLaunchSilentPage::CAutoLaunchSilentPage(CQirvaSheet& sheet)
    : CQirvaPage(sheet, IDD_AUTOLAUNCH_PAGE, PAGE_AUTOLAUNCH) {}

void CAutoLaunchSilentPage::InitPage() {
    SetControlFont(IDC_AUTOLAUNCH_HEADING, sheet.Context().titleFont);
    SetControlFont(IDC_AUTOLAUNCH_STATUS, sheet.Context().lightFont);
    bar.Attach(Item(IDC_AUTOLAUNCH_BAR));
    bar.SetRange(0, 100);
    bar.SetPos(1);
    SetDefaultButton(12324);
    if (started) return;
    started = true;
    launchingSheet = &sheet;
    int error = sheet.Worker().Start(Hwnd(), LaunchSetupThread);
    if (error != 0) {
        theLog.Log(LOG_ERROR, L"LaunchSetupThread", L"The launch could not be started : %s",
                   CUtil::GetSystemErrorText(static_cast<unsigned long>(-error)));
        // No setup ran: the finish page says the installation is not complete, as for a setup
        // that could not be started, and the run ends as failed.
        theInitializer.SetPackageResultCode(RESULT_LAUNCH_FAILED);
        theInitializer.SetRunFailed();
        sheet.GoToFinishPage();
    }
}

void CAutoLaunchSilentPage::OnCancelConfirmed() {
    cancelConfirmed = true;
    OnLaunchFinished();
}

void CAutoLaunchSilentPage::OnLaunchDone() {
    if (AutolaunchClosesWizard(launchResult.load(), cancelConfirmed)) {
        // The launch refused the system, was refused at the warning, or ran several setups with
        // the wizard hidden: the run ends here, as after a launch from the other pages.
        sheet.Worker().Stop();
        sheet.CloseWizard();
        return;
    }
    // The launch may have hidden the wizard for its question; the outcome is shown on the finish page.
    if (!IsWindowVisible(sheet.Hwnd())) ShowWindow(sheet.Hwnd(), SW_SHOW);
    OnLaunchFinished();
}

void CAutoLaunchSilentPage::ActivatePage() {
    sheet.SetButtonCaptions(L"");
    SetFittedUiText(IDC_AUTOLAUNCH_HEADING, 513);
    SetFittedUiText(IDC_AUTOLAUNCH_STATUS, 512);
    RepaintArea();
    sheet.FocusCancelButton();
    SetDefaultButton(2);
}

void CAutoLaunchSilentPage::OnLaunchFinished() {
    if (setupReturnedFlag.load() == 1) {
        sheet.Worker().Stop();
        PostMessageW(Hwnd(), WM_GOTO_FINISH, 0, 0);
        return;
    }
    // A setup still runs: the worker waits for it and ends by itself, posting WM_LAUNCH_DONE again.
    theLog.Log(LOG_INFO, L"OnLaunchSetupFinish", L"Disabling the Cancel button");
    sheet.EnableCloseCommand(SW_HIDE);
    sheet.EnableButtons(L"CANCEL", false);
    SetFittedUiText(IDC_AUTOLAUNCH_STATUS, 613);
}

INT_PTR CAutoLaunchSilentPage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_WORKER_LOG:
            SetResult(HandleWorkerLog(wParam));
            return TRUE;
        case WM_LAUNCH_DONE:
            OnLaunchDone();
            return TRUE;
        case WM_RUN_LAUNCH_FINISHED:
            OnLaunchFinished();
            return TRUE;
        case WM_GOTO_FINISH:
            sheet.GoToFinishPage();
            return TRUE;
        default:
            return CQirvaPage::DialogProc(message, wParam, lParam);
    }
}
