#include "wizard/ExtractPassword.h"

#include "WinGui/Gdi.h"
#include "WinGui/Window.h"
#include "app/AppMessageBox.h"
#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "wizard/ButtonFace.h"
#include "wizard/CancelRules.h"
#include "wizard/PasswordRules.h"
#include "wizard/QirvaSheet.h"
#include "wizard/WizardPaint.h"

namespace {
// The longest password the prompt takes; the packager refuses longer ones.
constexpr int kPasswordCharacters = 50;
}  // namespace

CExtractPassword::CExtractPassword(CQirvaSheet& sheet) : Dialog(IDD_PASSWORD), sheet(sheet) { ScaleWithMonitor(); }

BOOL CExtractPassword::OnInitDialog() {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetWindowTextW(Hwnd(), theInitializer.GetPackageTitle().c_str());
    SetDlgItemTextW(Hwnd(), IDC_PASSWORD_PROMPT, GetText(419).c_str());
    SetDlgItemTextW(Hwnd(), IDOK, GetText(405).c_str());
    SetDlgItemTextW(Hwnd(), IDCANCEL, GetText(406).c_str());
    SendDlgItemMessageW(Hwnd(), IDC_PASSWORD_EDIT, EM_LIMITTEXT, kPasswordCharacters, 0);
    SetFocus(Item(IDC_PASSWORD_EDIT));
    accessible.Describe(Hwnd());
    return FALSE;
}

void CExtractPassword::OnOk() {
    std::wstring typed = wingui::WindowText(Item(IDC_PASSWORD_EDIT));
    if (PasswordMatches(typed, sheet.Context().expectedPassword)) {
        theLog.Log(LOG_INFO, L"OnBnClickedOk", L"Password provided by user is correct");
        End(IDOK);
        return;
    }
    AppMessageBox(InvalidPasswordText(GetText(420)), MB_OK | MB_ICONSTOP);
    SetDlgItemTextW(Hwnd(), IDC_PASSWORD_EDIT, L"");
    theLog.Log(LOG_ERROR, L"OnBnClickedOk", L"Password provided by user is invalid");
    SetFocus(Item(IDC_PASSWORD_EDIT));
}

void CExtractPassword::OnCancel() {
    // The prompt ends only when the whole wizard is cancelled; the sheet then goes to its finish page.
    if (sheet.ConfirmCancel() == CANCEL_CONFIRMED) {
        sheet.GoToFinishPage();
        End(0);
    }
}

bool CExtractPassword::OnCommand(int id, int code, HWND) {
    if (id == IDC_PASSWORD_EDIT && code == EN_CHANGE) {
        EnableWindow(Item(IDOK), PasswordOkEnabled(wingui::WindowText(Item(IDC_PASSWORD_EDIT))) ? TRUE : FALSE);
        return true;
    }
    if (id == IDOK) {
        if (IsWindowEnabled(Item(IDOK))) OnOk();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

INT_PTR CExtractPassword::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) SetFocus(Item(IDC_PASSWORD_EDIT));
            return FALSE;
        case WM_CLOSE:
            OnCancel();
            return TRUE;
        case WM_ERASEBKGND:
        case WM_CTLCOLORSTATIC: {
            INT_PTR chrome = 0;
            HandleSkinnedDialogChrome(Hwnd(), message, wParam, lParam, chrome);
            return chrome;
        }
        default:
            return Dialog::DialogProc(message, wParam, lParam);
    }
}
