#include "wizard/UnattendedExtracter.h"

#include <commctrl.h>

#include "app/AppMessageBox.h"
#include "app/WorkerMessages.h"
#include "app/WorkerThread.h"
#include "extract/ExtractionDriver.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/ResultCode.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "wizard/ProgressState.h"

CUnattendedExtracter::CUnattendedExtracter(int visible, WorkerThread& worker, CLaunchHost& host)
    : Dialog(IDD_UNATTENDED), CExtractionWindow(PROGRESS_OWNER_UNATTENDED), visible(visible), worker(worker), host(host) {
    ScaleWithMonitor();
}

void CUnattendedExtracter::OnScaleChanged() {
    wingui::Font font(wingui::CreateScaledFont(L"Tahoma", 15, 100, Scale()));
    if (!font) return;
    SendDlgItemMessageW(Hwnd(), IDC_UNATTENDED_STATUS, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    statusFont = std::move(font);
}

INT_PTR CUnattendedExtracter::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = Hwnd();
    // This window asks no overwrite question (it answers none); only the wizard's progress page does.
    LRESULT result = 0;
    if (HandleExtractionMessage(message, wParam, lParam, result)) {
        SetResult(result);
        return TRUE;
    }
    switch (message) {
        case WM_CLOSE:
            OnClose();
            return TRUE;
        case WM_WINDOWPOSCHANGING:
            if (!visible) {
                auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
                position->flags &= ~SWP_SHOWWINDOW;
            }
            return FALSE;
        case WM_PAINT:
            if (!visible) ShowWindow(window, SW_HIDE);
            return FALSE;
        default:
            return Dialog::DialogProc(message, wParam, lParam);
    }
}

bool CUnattendedExtracter::OnCommand(int id, int, HWND) {
    // Enter and Esc act as Tab and never close the window; only closing it by hand asks to cancel.
    if (id == IDOK || id == IDCANCEL) {
        SendMessageW(Hwnd(), WM_NEXTDLGCTL, 0, FALSE);
        return true;
    }
    return false;
}

BOOL CUnattendedExtracter::OnInitDialog() {
    HWND window = Hwnd();
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    OnScaleChanged();

    if (visible) {
        SetWindowTextW(window, theInitializer.GetPackageTitle().c_str());
        SendDlgItemMessageW(window, IDC_UNATTENDED_PROGRESS, PBM_SETRANGE32, 0, 100);
        SendDlgItemMessageW(window, IDC_UNATTENDED_PROGRESS, PBM_SETPOS, 1, 0);
        SetDlgItemTextW(window, IDC_UNATTENDED_STATUS, GetText(507).c_str());
    }
    workerStopFlag = 0;
    theLog.Log(LOG_INFO, L"ExtractPath", L" %s", theInitializer.GetExtractPath());
    worker.Start(window, ExtractionThreadProc);
    progress = ProgressState{};
    return TRUE;
}

void CUnattendedExtracter::OnExtractEnded() { End(IDOK); }

void CUnattendedExtracter::ShowProgress(int command, const ProgressUpdate& update) {
    HWND window = Hwnd();
    HWND bar = GetDlgItem(window, IDC_UNATTENDED_PROGRESS);
    if (update.setRange) SendMessageW(bar, PBM_SETRANGE32, update.rangeLow, update.rangeHigh);
    // A window that is never shown has nothing to redraw for the steps.
    if (update.setPosition && (visible || command != PROGRESS_STEP)) SendMessageW(bar, PBM_SETPOS, update.position, 0);
    if (update.step) SendMessageW(bar, PBM_SETSTEP, update.step, 0);
    if (update.statusText) SetDlgItemTextW(window, IDC_UNATTENDED_STATUS, GetText(update.statusText).c_str());
}

void CUnattendedExtracter::OnExtractDone() {
    if (theInitializer.IsAutolaunchEnabled() == 1) {
        ShowWindow(Hwnd(), SW_HIDE);
        HandleLaunchSetup(host);
        End(0);
        return;
    }
    End(IDOK);
}

void CUnattendedExtracter::OnClose() {
    theLog.Log(LOG_INFO, L"OnClose", L"Extraction paused");
    worker.Suspend();
    if (AppMessageBox(GetText(113), MB_YESNO) == IDYES) {
        extractionCancelledFlag = 1;
        // The worker must not go on writing while its files are removed: it stops at the next
        // file, and one that does not end in time stays frozen until the process ends.
        workerStopFlag = 1;
        worker.StopAndHold(WorkerThread::kCancelWait);
        theInitializer.SetPackageResultCode(RESULT_CANCELLED);
        End(CLOSED_BY_USER);
        return;
    }
    worker.Resume();
}
