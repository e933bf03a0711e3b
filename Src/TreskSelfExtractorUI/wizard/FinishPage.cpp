#include "wizard/FinishPage.h"

#include "app/ReturnCodes.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
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
    inputs.extractOnly = 0;
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
    HBITMAP picture = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(outcome.picture));
    HBITMAP previous = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageW(Hwnd(), IDC_FINISH_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (previous && previous != picture) DeleteObject(previous);
    if (outcome.showFinishMessage) {
        std::wstring message = returnCodes.GetFinishMessage();
        if (!message.empty()) SetFittedText(IDC_FINISH_MESSAGE, message, FIT_FINISH_PAGE);
    }
    RepaintArea();
}
