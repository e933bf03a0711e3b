#include "wizard/ConditionCheck.h"

#include "checks/Condition.h"
#include "package/ExtractorValidator.h"
#include "package/QirvaInitalizer.h"
#include "package/ResultCode.h"
#include "package/Settings.h"
#include "package/SettingsIntegrity.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "wizard/QirvaSheet.h"
#include "wizard/RequirementsText.h"
#include "wizard/WizardLog.h"

CConditionCheck::CConditionCheck(CQirvaSheet& sheet) : CQirvaPage(sheet, IDD_REQUIREMENTS_PAGE, PAGE_REQUIREMENTS) {}

void CConditionCheck::InitPage() {
    sheet.SetBackButtonState(IsFirstPage(), false);
    SetControlFont(IDC_REQUIREMENTS_HEADING, sheet.Context().titleFont);
    SetControlFont(IDC_REQUIREMENTS_LIST, sheet.Context().lightFont);
    SetPageTexts();
    sheet.FocusNextButton(true);
    SetDefaultButton(12324);
}

bool CConditionCheck::OnSetActive() {
    // A page that was removed after a successful Retry is not shown again.
    if (passed && !IsFirstPage()) return false;
    return CQirvaPage::OnSetActive();
}

void CConditionCheck::ActivatePage() {
    sheet.SetBackButtonState(IsFirstPage(), false);
    sheet.SetButtonCaptions(L"");
    SetPageTexts();
    sheet.ShowButtons(L"", SW_SHOW);
    sheet.ShowButtons(L"BACK,NEXT,CANCEL", SW_SHOW);
    sheet.EnableButtons(L"BACK,NEXT,CANCEL", true);
    sheet.FocusNextButton(true);
    SetDefaultButton(12324);
}

void CConditionCheck::SetPageTexts() {
    const std::wstring& settings = theInitializer.GetSettingsPath();
    const int language = theInitializer.GetSetupLanguage();
    SetFittedUiTextWithValue(IDC_REQUIREMENTS_HEADING, 802, L"[PACKAGENAME]", theInitializer.GetPackageTitle());

    sheet.SetButtonCaptions(L"RETRY");
    ConditionMessageText list = BuildConditionMessageText(
        GetSettingString(settings, L"LANGUAGES", L"SetupLanguages"), language, theValidator.GetConditionMessageKeys(),
        [&](const std::wstring& key) { return LookupConditionMessage(settings, language, key); });
    WriteWizardLog(list.log);
    SetDlgItemTextW(Hwnd(), IDC_REQUIREMENTS_LIST, list.text.c_str());
    RepaintArea();
}

LRESULT CConditionCheck::OnWizardNext() {
    sheet.SetButtonCaptions(L"RETRY");
    if (!IsParameterFileNotCorrupt(theInitializer.GetSettingsPath(), sheet.Context().settingsHash)) return IDD_FINISH_PAGE;
    if (theValidator.CheckConditions(theInitializer.GetSetupLanguage()) != 1) {
        // Emptied first and refilled after a short pause, so the user sees the list refreshed.
        SetDlgItemTextW(Hwnd(), IDC_REQUIREMENTS_HEADING, L"");
        SetDlgItemTextW(Hwnd(), IDC_REQUIREMENTS_LIST, L"");
        RepaintArea();
        UpdateWindow(Hwnd());
        Sleep(100);
        SetPageTexts();
        theInitializer.SetPackageResultCode(RESULT_FAILED);
        return -1;
    }
    passed = true;
    if (IsFirstPage()) sheet.SetRequirementsPassed();
    return 0;
}
