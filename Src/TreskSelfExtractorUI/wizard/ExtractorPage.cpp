#include "wizard/ExtractorPage.h"

#include "app/ReturnCodes.h"
#include "app/WorkerMessages.h"
#include "app/WorkerThread.h"
#include "checks/OSValidator.h"
#include "extract/CabDecompressor.h"
#include "extract/ExtractionDriver.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/ResultCode.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "wizard/CompletionDecision.h"
#include "wizard/FileOverwrite.h"
#include "wizard/QirvaSheet.h"

CExtractorPage::CExtractorPage(CQirvaSheet& sheet)
    : CQirvaPage(sheet, IDD_PROGRESS_PAGE, PAGE_PROGRESS), CExtractionWindow(PROGRESS_OWNER_PAGE) {}

void CExtractorPage::SetTexts(int statusText) {
    SetFittedUiText(IDC_PROGRESS_HEADING, PROGRESS_HEADING_TEXT);
    SetFittedUiText(IDC_PROGRESS_STATUS, statusText);
}

void CExtractorPage::InitPage() {
    SetControlFont(IDC_PROGRESS_HEADING, sheet.Context().titleFont);
    SetControlFont(IDC_PROGRESS_STATUS, sheet.Context().lightFont);
    sheet.SetButtonCaptions(L"");
    SetTexts(PROGRESS_READING_TEXT);
    sheet.ShowButtons(L"NEXT,BACK", SW_HIDE);
    bar.Attach(Item(IDC_PROGRESS_BAR));
    bar.SetRange(0, 100);
    bar.SetPos(1);
    sheet.FocusCancelButton();
    SetDefaultButton(2);
    StartWorker();
}

void CExtractorPage::StartWorker() {
    if (started) return;
    started = true;
    // A protected package never extracts without its password, whichever page came first; a
    // cancelled prompt leaves the destination untouched and the wizard on its way to the finish page.
    if (sheet.AskPassword() != 0) return;
    workerStopFlag = 0;
    theLog.Log(LOG_INFO, L"ExtractPath", L" %s", theInitializer.GetExtractPath());
    int error = sheet.Worker().Start(Hwnd(), ExtractionThreadProc);
    if (error != 0) {
        theLog.Log(LOG_ERROR, L"CExtractorPage", L"The extraction could not be started : %s",
                   CUtil::GetSystemErrorText(static_cast<unsigned long>(-error)));
        theInitializer.SetPackageResultCode(RESULT_FAILED);
        theInitializer.SetRunFailed();
        sheet.GoToFinishPage();
    }
}

void CExtractorPage::ActivatePage() {
    sheet.SetButtonCaptions(L"");
    sheet.ShowButtons(L"NEXT,BACK", SW_HIDE);
    SetTexts(PROGRESS_READING_TEXT);
    sheet.FocusCancelButton();
    SetDefaultButton(2);
}

void CExtractorPage::ShowProgress(int, const ProgressUpdate& update) {
    if (update.setRange) bar.SetRange(update.rangeLow, update.rangeHigh);
    if (update.setPosition) bar.SetPos(update.position);
    if (update.step) bar.SetStep(update.step);
    if (update.headingText) SetFittedUiText(IDC_PROGRESS_HEADING, update.headingText);
    if (update.statusText) SetFittedUiText(IDC_PROGRESS_STATUS, update.statusText);
}

void CExtractorPage::OnExtractDone() {
    CLaunchHost& host = *sheet.Context().host;
    host.GetReturnCodes().LoadReturnCodeMessages(L"");
    const std::wstring& settings = theInitializer.GetSettingsPath();
    ExtractCompletionInputs inputs;
    inputs.autolaunchEnabled = theInitializer.IsAutolaunchEnabled();
    inputs.waitForFinish = theInitializer.GetWaitForAutolaunchFinish();
    inputs.extractOnly = sheet.Context().extractOnly;
    inputs.osVerdict = host.GetOsVerdict();
    inputs.osValidatedBeforeExtraction = sheet.Context().osCheckedBeforeExtraction == 1;
    inputs.osCheckSuppressed = theInitializer.GetNoOSCheck() == 1;
    inputs.autoLaunchInstallationDialog = GetSettingString(settings, L"Runtime", L"AutoLaunchInstallationDialog");
    inputs.autolaunch = GetSettingString(settings, L"Runtime", L"Autolaunch");
    inputs.multilaunch = GetSettingString(settings, L"Runtime", L"Multilaunch");
    ExtractCompletion completion = DecideExtractCompletion(inputs);
    if (completion.recheckOs) {
        theOSValidator.CheckOS(OS_NOT_SUPPORTED, theInitializer.GetSetupLanguage(), 1);
        theInitializer.SetOSMessage(theOSValidator.GetOSMessage());
    }
    switch (completion.step) {
        case COMPLETE_AUTOLAUNCH_PAGE:
            sheet.GoToAutolaunchPage();
            break;
        case COMPLETE_FINISH_DEFERRED:
            sheet.SetLaunchImmediately(0);
            sheet.GoToFinishPage();
            break;
        case COMPLETE_LAUNCH_NOW:
            sheet.SetLaunchImmediately(1);
            // The launch moves the wizard to its finish page itself, unless it closes it.
            if (HandleLaunchSetup(host, &sheet) == LAUNCH_CLOSE_WIZARD) sheet.CloseWizard();
            break;
        case COMPLETE_FINISH:
            sheet.SetLaunchImmediately(completion.launchImmediately);
            sheet.GoToFinishPage();
            break;
        case COMPLETE_STAY:
            break;
    }
}

int CExtractorPage::AskOverwrite() {
    // The prompt is owned by the wizard, which stays disabled until it is answered: the worker
    // waits inside its send for the answer.
    CFileOverwrite prompt(GetCurrentFilePath());
    prompt.DoModal(sheet.Hwnd());
    return prompt.GetAnswer();
}

void CExtractorPage::OnExtractEnded() { sheet.GoToFinishPage(); }

INT_PTR CExtractorPage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The Unattended window's end message has no meaning here.
    LRESULT result = 0;
    if (message != WM_UNATTENDED_END && HandleExtractionMessage(message, wParam, lParam, result)) {
        SetResult(result);
        return TRUE;
    }
    return CQirvaPage::DialogProc(message, wParam, lParam);
}
