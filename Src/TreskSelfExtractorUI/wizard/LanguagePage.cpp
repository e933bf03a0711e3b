#include "wizard/LanguagePage.h"

#include "package/Languages.h"
#include "package/QirvaInitalizer.h"
#include "package/Settings.h"
#include "package/SettingsIntegrity.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "wizard/QirvaSheet.h"
#include "wizard/WizardLog.h"

CLanguagePage::CLanguagePage(CQirvaSheet& sheet) : CQirvaPage(sheet, IDD_LANGUAGE_PAGE, PAGE_LANGUAGE) {}

void CLanguagePage::InitPage() {
    sheet.SetBackButtonState(IsFirstPage(), false);
    // The package's languages in the order the package lists them.
    TextList languages = GetSetupLanguages();
    languageList.assign(languages.rbegin(), languages.rend());
    defaultLanguage = DefaultSetupLanguage(sheet.Context().userUiLanguage, languageList);
    theInitializer.SetSetupLanguage(defaultLanguage);
    LoadLanguageFile(defaultLanguage, theInitializer.GetTempFolder());

    LanguageRadios radios = BuildLanguageRadios(
        languageList, [](int lcid) { return IsValidLocale(static_cast<LCID>(lcid), LCID_INSTALLED) != FALSE; },
        [](int lcid) { return GetRadioButtonText(lcid); }, [](int lcid) { return GetLanguageName(lcid); });
    WriteWizardLog(radios.log);
    slots = radios.slots;
    for (const auto& slot : slots) {
        HWND radio = Item(slot.controlId);
        SetWindowTextW(radio, slot.text.c_str());
        ShowWindow(radio, SW_SHOW);
        EnableWindow(radio, slot.enabled ? TRUE : FALSE);
    }
    LanguageRadioMark mark = SelectCurrentLanguageRadio(slots, theInitializer.GetSetupLanguage());
    WriteWizardLog(mark.log);
    if (mark.controlId) CheckDlgButton(Hwnd(), mark.controlId, BST_CHECKED);

    SetControlFont(IDC_LANGUAGE_HEADING, sheet.Context().titleFont);
    for (int id : LANGUAGE_RADIO_IDS) SetControlFont(id, sheet.Context().lightFont);
    sheet.SetButtonCaptions(L"");
    SetHeading();
    sheet.FocusNextButton(true);
    SetDefaultButton(12324);
}

void CLanguagePage::ActivatePage() {
    sheet.SetBackButtonState(IsFirstPage(), false);
    SetHeading();
    sheet.FocusNextButton(true);
    SetDefaultButton(12324);
    sheet.SetButtonCaptions(L"");
}

void CLanguagePage::SetHeading() {
    SetFittedText(IDC_LANGUAGE_HEADING,
                  ReplaceAll(GetText(208), L"[PACKAGEDISPLAYNAME]", theInitializer.GetPackageTitle()), FIT_LANGUAGE);
}

bool CLanguagePage::OnCommand(int id, int code, HWND) {
    for (int radio : LANGUAGE_RADIO_IDS) {
        if (id == radio && code == BN_CLICKED) {
            OnRadioClicked();
            return true;
        }
    }
    return false;
}

void CLanguagePage::OnRadioClicked() {
    std::vector<WizardLogLine> log;
    int language = LanguageAfterRadioClick(
        slots, [&](int controlId) { return IsDlgButtonChecked(Hwnd(), controlId) == BST_CHECKED; },
        [](int lcid) { return LoadLanguageFile(lcid, theInitializer.GetTempFolder()) != -1; }, log);
    WriteWizardLog(log);
    theInitializer.SetSetupLanguage(language);
    // The page and the buttons show the new language at once.
    SetHeading();
    sheet.SetButtonCaptions(L"");
}

LRESULT CLanguagePage::OnWizardNext() {
    if (!IsParameterFileNotCorrupt(theInitializer.GetSettingsPath(), sheet.Context().settingsHash)) return IDD_FINISH_PAGE;
    if ((IsFirstPage() ||
         GetSettingString(theInitializer.GetSettingsPath(), L"Dialogs", L"LanguageDialog") == L"1") &&
        sheet.AskPassword() != 0)
        return -1;
    return 0;
}
