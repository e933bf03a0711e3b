#include "wizard/UnattendedExtracter.h"

#include <commctrl.h>

#include "app/AppMessageBox.h"
#include "app/TreskSelfExtractorUIApp.h"
#include "app/WorkerMessages.h"
#include "app/WorkerThread.h"
#include "extract/ExtractionDriver.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/UiText.h"
#include "res/resource.h"

CUnattendedExtracter::~CUnattendedExtracter() {
    if (statusFont) DeleteObject(statusFont);
}

INT_PTR CUnattendedExtracter::DoModal() {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_UNATTENDED), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CUnattendedExtracter::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CUnattendedExtracter*>(lParam)->window = window;
    }
    auto* self = reinterpret_cast<CUnattendedExtracter*>(GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR CUnattendedExtracter::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return TRUE;
        case WM_EXTRACT_PROGRESS:
            OnProgress(wParam, lParam);
            SetWindowLongPtrW(window, DWLP_MSGRESULT, 1);
            return TRUE;
        case WM_WORKER_LOG:
            SetWindowLongPtrW(window, DWLP_MSGRESULT, HandleWorkerLog(wParam));
            return TRUE;
        case WM_EXTRACT_DONE:
            OnExtractDone();
            return TRUE;
        case WM_EXTRACT_FAILED:
        case WM_UNATTENDED_END:
            EndDialog(window, IDOK);
            return TRUE;
        case WM_CLOSE:
            OnClose();
            return TRUE;
        case WM_COMMAND:
            // Enter and Esc act as Tab and never close the window; only closing it by hand asks
            // to cancel.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                SendMessageW(window, WM_NEXTDLGCTL, 0, FALSE);
                return TRUE;
            }
            return FALSE;
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
            return FALSE;
    }
}

void CUnattendedExtracter::OnInitDialog() {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    const CLogFontSpec& light = theApp.GetStatusLogFont();
    LOGFONTW font = {};
    font.lfHeight = light.height;
    font.lfWeight = light.weight;
    wcsncpy(font.lfFaceName, light.face.c_str(), LF_FACESIZE - 1);
    statusFont = CreateFontIndirectW(&font);
    SendDlgItemMessageW(window, IDC_UNATTENDED_STATUS, WM_SETFONT, reinterpret_cast<WPARAM>(statusFont), TRUE);

    if (visible) {
        SetWindowTextW(window, theInitializer.GetPackageTitle().c_str());
        SendDlgItemMessageW(window, IDC_UNATTENDED_PROGRESS, PBM_SETRANGE32, 0, 100);
        SendDlgItemMessageW(window, IDC_UNATTENDED_PROGRESS, PBM_SETPOS, 1, 0);
        SetDlgItemTextW(window, IDC_UNATTENDED_STATUS, GetText(507).c_str());
    }
    workerStopFlag = 0;
    theLog.Log(LOG_INFO, L"ExtractPath", L" %s", theInitializer.GetExtractPath());
    theApp.GetWorkerThread().Start(window, ExtractionThreadProc);
    stepCount = 1;
    deletePhase = 0;
}

void CUnattendedExtracter::OnProgress(WPARAM command, LPARAM argument) {
    HWND bar = GetDlgItem(window, IDC_UNATTENDED_PROGRESS);
    switch (command) {
        case PROGRESS_STEP:
            ++stepCount;
            // A window that is never shown has nothing to redraw.
            if (visible) SendMessageW(bar, PBM_SETPOS, stepCount, 0);
            break;
        case PROGRESS_SET_POSITION:
            SendMessageW(bar, PBM_SETPOS, 2, 0);
            break;
        case PROGRESS_SET_RANGE: {
            int count = static_cast<int>(argument);
            if (deletePhase) {
                int share = (3 * count) / 100;
                SendMessageW(bar, PBM_SETRANGE32, 0, stepCount + count + share);
                SendMessageW(bar, PBM_SETPOS, share, 0);
                stepCount = static_cast<unsigned short>(share);
            } else {
                SendMessageW(bar, PBM_SETRANGE32, 1, stepCount + count);
            }
            SendMessageW(bar, PBM_SETSTEP, 1, 0);
            SetDlgItemTextW(window, IDC_UNATTENDED_STATUS, GetText(508).c_str());
            break;
        }
        case PROGRESS_EMPTY_FOLDER:
            deletePhase = 1;
            SendMessageW(bar, PBM_SETRANGE32, 0, 100);
            SendMessageW(bar, PBM_SETPOS, 1, 0);
            SetDlgItemTextW(window, IDC_UNATTENDED_STATUS, GetText(514).c_str());
            break;
        default:
            break;
    }
}

void CUnattendedExtracter::OnExtractDone() {
    if (theInitializer.IsAutolaunchEnabled() == 1) {
        ShowWindow(window, SW_HIDE);
        HandleLaunchSetup();
        EndDialog(window, 0);
        return;
    }
    EndDialog(window, IDOK);
}

void CUnattendedExtracter::OnClose() {
    WorkerThread& worker = theApp.GetWorkerThread();
    theLog.Log(LOG_INFO, L"OnClose", L"Extraction paused");
    worker.Suspend();
    if (AppMessageBox(GetText(113), MB_YESNO) == IDYES) {
        extractionCancelledFlag = 1;
        // The worker must not go on writing while its files are removed: it stops at the next
        // file, and one that does not end in time stays frozen until the process ends.
        workerStopFlag = 1;
        worker.StopAndHold(1000);
        theInitializer.SetPackageResultCode(11);
        theApp.Quit(-1, 6, L"");
    }
    worker.Resume();
}
