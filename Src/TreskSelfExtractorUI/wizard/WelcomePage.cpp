#include "wizard/WelcomePage.h"

#include "log/BuildLogFile.h"
#include "package/Languages.h"
#include "package/QirvaInitalizer.h"
#include "package/Settings.h"
#include "package/SettingsIntegrity.h"
#include "package/UiText.h"
#include "res/WizardResources.h"
#include "res/resource.h"
#include "wizard/QirvaSheet.h"
#include "wizard/WizardColours.h"

CWelcomePage::CWelcomePage(CQirvaSheet& sheet) : CQirvaPage(sheet, IDD_WELCOME_PAGE, PAGE_WELCOME) {}

void CWelcomePage::InitPage() {
    sheet.SetButtonCaptions(L"");
    SetControlFont(IDC_WELCOME_TEXT, sheet.Context().titleFont);
    if (GetSettingString(theInitializer.GetSettingsPath(), L"Runtime", L"DisplayWelcomeImage") == L"1") {
        theLog.Log(LOG_INFO, L"DisplayWelcomeImage", L"Displaying the Welcome image");
        welcomePicture.LoadResource(GetModuleHandleW(nullptr), IDR_WELCOME_PNG, L"PNG");
    }
    ActivatePage();
}

void CWelcomePage::ActivatePage() {
    sheet.ShowButtons(L"BACK", SW_HIDE);
    sheet.EnableButtons(L"NEXT,CANCEL", true);
    // Coming back after choosing a language shows that language.
    LoadLanguageFile(theInitializer.GetSetupLanguage(), theInitializer.GetTempFolder());
    sheet.SetButtonCaptions(L"");
    const std::wstring& title = theInitializer.GetPackageTitle();
    SetWindowTextW(Hwnd(), title.c_str());
    SetDlgItemTextW(Hwnd(), IDC_WELCOME_TEXT, ReplaceAll(GetText(200), L"[PACKAGEDISPLAYNAME]", title).c_str());
    RepaintArea();
    sheet.FocusNextButton(true);
    SetDefaultButton(12324);
}

LRESULT CWelcomePage::OnWizardNext() {
    const CWizardContext& context = sheet.Context();
    if (!IsParameterFileNotCorrupt(theInitializer.GetSettingsPath(), context.settingsHash)) return IDD_FINISH_PAGE;
    // Without a language page the password is asked here.
    if (GetSettingString(theInitializer.GetSettingsPath(), L"Dialogs", L"LanguageDialog") != L"1" &&
        sheet.AskPassword() != 0)
        return -1;
    return 0;
}

void CWelcomePage::PaintPage(HDC dc, const RECT& client) {
    if (!welcomePicture.IsLoaded() || !CurrentWizardColours().drawPictures) return;
    const int band = sheet.Scale().Pixels(60);
    RECT picture = {0, band, client.right, band + client.bottom};
    welcomePicture.Draw(dc, picture);
}
