#include "wizard/FinishPage.h"

#include "app/AppMessageBox.h"
#include "app/ReturnCodes.h"
#include "launch/LaunchApplication.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "package/Languages.h"
#include "package/QirvaInitalizer.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "wizard/FinishOutcome.h"
#include "wizard/QirvaSheet.h"

CFinishPage::CFinishPage(CQirvaSheet& sheet) : CQirvaPage(sheet, IDD_FINISH_PAGE, PAGE_FINISH) {}

void CFinishPage::InitPage() {
    sheet.EnableCloseCommand(SW_SHOW);
    SetControlFont(IDC_FINISH_OUTCOME, sheet.Context().titleFont);
    SetControlFont(IDC_FINISH_MESSAGE, sheet.Context().lightFont);
    SetControlFont(IDC_FINISH_OPEN_FOLDER, sheet.Context().lightFont);
    WriteOutcome();
    OfferToOpenFolder();
    sheet.ShowButtons(L"FINISH", SW_SHOW);
    sheet.ShowButtons(L"BACK,NEXT,CANCEL", SW_HIDE);
    sheet.EnableButtons(L"FINISH", true);
    sheet.EnableButtons(L"BACK,NEXT,CANCEL", false);
    sheet.SetButtonCaptions(L"FINISH");
    SetDefaultButton(12325);
    sheet.FocusFinishButton();
}

void CFinishPage::ActivatePage() {
    sheet.FocusFinishButton();
    SetDefaultButton(12325);
}

void CFinishPage::WriteOutcome() {
    CReturnCodeMessages& returnCodes = sheet.Context().host->GetReturnCodes();
    FinishOutcomeInputs inputs;
    inputs.resultCode = theInitializer.GetPackageResultCode();
    inputs.launchImmediately = sheet.GetLaunchImmediately();
    inputs.extractOnly = sheet.Context().extractOnly;
    inputs.autolaunchEnabled = theInitializer.IsAutolaunchEnabled();
    inputs.resultNotConfigured = returnCodes.IsResultNotConfigured();
    FinishOutcome outcome = DecideFinishOutcome(inputs);
    errorShown = outcome.errorShown;

    std::wstring fileName = theInitializer.GetLastCabinetName();
    std::wstring text = ComposeFinishOutcomeText(outcome, [](int id) { return GetText(id); },
                                                 theInitializer.GetPackageTitle(), fileName);
    if (outcome.fitted)
        SetFittedText(IDC_FINISH_OUTCOME, text, FIT_FINISH_PAGE);
    else
        SetDlgItemTextW(Hwnd(), IDC_FINISH_OUTCOME, text.c_str());
    SetPicture(IDC_FINISH_PICTURE, outcome.picture);
    if (outcome.showFinishMessage) {
        std::wstring message = returnCodes.GetFinishMessage();
        if (!message.empty()) SetFittedText(IDC_FINISH_MESSAGE, message, FIT_FINISH_PAGE);
    }
    RepaintArea();
}

void CFinishPage::OfferToOpenFolder() {
    const std::wstring& settings = theInitializer.GetSettingsPath();
    OpenFolderOfferInputs inputs;
    inputs.openExtractionLocation = GetSettingString(settings, L"Runtime", L"OpenExtractionLocation");
    inputs.multilaunch = GetSettingString(settings, L"Runtime", L"Multilaunch");
    inputs.autoLaunch = GetSettingString(settings, L"Runtime", L"AutoLaunch");
    inputs.autoLaunch1 = GetSettingString(settings, L"Runtime", L"AutoLaunch1");
    inputs.errorShown = errorShown;
    inputs.userIsAdministrator = CUtil::IsUserAdmin(0) == 1;
    inputs.extractOnly = sheet.Context().extractOnly;
    inputs.resultCode = theInitializer.GetPackageResultCode();
    inputs.launchImmediately = sheet.GetLaunchImmediately();
    inputs.waitForFinish = theInitializer.GetWaitForAutolaunchFinish() != 0;
    if (!OfferToOpenExtractionFolder(inputs)) return;
    SetDlgItemTextW(Hwnd(), IDC_FINISH_OPEN_FOLDER, GetText(609).c_str());
    CheckDlgButton(Hwnd(), IDC_FINISH_OPEN_FOLDER, BST_UNCHECKED);
    ShowWindow(Item(IDC_FINISH_OPEN_FOLDER), SW_SHOW);
}

bool CFinishPage::OnWizardFinish() {
    const wchar_t* function = L"CFinishPage::OnWizardNext";
    const std::wstring path = theInitializer.GetExtractPath();
    const std::wstring bare = path.substr(0, path.find_last_not_of(L'\\') + 1);
    const DWORD attributes = GetFileAttributesW(bare.c_str());
    const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const bool ticked = IsWindowVisible(Item(IDC_FINISH_OPEN_FOLDER)) &&
                        IsDlgButtonChecked(Hwnd(), IDC_FINISH_OPEN_FOLDER) == BST_CHECKED;
    const bool writable = ticked && isFolder && CUtil::CanCreateFile(path, L"Tre") == 1;
    switch (DecideFinishAction(ticked, isFolder, writable, sheet.Context().extractOnly, sheet.GetLaunchImmediately())) {
        case FINISH_OPEN_FOLDER: {
            std::wstring arguments, errorText;
            LaunchApplication(path, arguments, errorText, 0);
            if (!errorText.empty()) theLog.Log(LOG_ERROR, function, L"%s", errorText);
            break;
        }
        case FINISH_REPORT_NO_PERMISSION:
            ShowWindow(sheet.Hwnd(), SW_HIDE);
            AppMessageBox(ReplaceAll(GetText(414), L"[INVALIDPATH]", path), MB_OK | MB_ICONERROR);
            theLog.Log(LOG_ERROR, function, L"Please check the permission of the path: %s", path);
            break;
        case FINISH_REPORT_MISSING_FOLDER:
            ShowWindow(sheet.Hwnd(), SW_HIDE);
            AppMessageBox(ReplaceAll(GetText(107), L"[PATH]", path), MB_OK | MB_ICONERROR);
            theLog.Log(LOG_ERROR, function, L"Extration path does not exist : %s", path);
            break;
        case FINISH_LAUNCH_SETUP:
            if (HandleLaunchSetup(*sheet.Context().host, &sheet) == LAUNCH_CLOSE_WIZARD) sheet.CloseWizard();
            break;
        case FINISH_NOTHING:
            break;
    }
    return true;
}
