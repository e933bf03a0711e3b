#include "wizard/DirChangePage.h"

#include <commctrl.h>
#include <shlobj.h>

#include "WinGui/Gdi.h"
#include "WinGui/Window.h"
#include "app/WorkerMessages.h"
#include "log/BuildLogFile.h"
#include "package/ExtractorValidator.h"
#include "package/Languages.h"
#include "package/QirvaInitalizer.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "res/resource.h"
#include "wizard/ButtonFace.h"
#include "wizard/Folderdelete.h"
#include "wizard/QirvaSheet.h"
#include "wizard/WizardLog.h"

namespace {

constexpr int kBrowseWidth = 120;
constexpr int kBrowseHeight = 30;
constexpr int kNextId = 12324;

// The folder browser's window title and button captions come from the language file.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM) {
    if (message != BFFM_INITIALIZED) return 0;
    const std::wstring title = GetText(501), ok = GetText(405), cancel = GetText(406);
    if (!title.empty()) SetWindowTextW(browser, title.c_str());
    if (!ok.empty()) SetDlgItemTextW(browser, IDOK, ok.c_str());
    if (!cancel.empty()) SetDlgItemTextW(browser, IDCANCEL, cancel.c_str());
    return 0;
}

void ApplyChange(HWND control, ControlChange change) {
    if (change == SHOW) ShowWindow(control, SW_SHOW);
    if (change == HIDE) ShowWindow(control, SW_HIDE);
}

}  // namespace

CDirChangePage::CDirChangePage(CQirvaSheet& sheet) : CQirvaPage(sheet, IDD_DIRCHANGE_PAGE, PAGE_DIRCHANGE) {}

CDirChangePage::~CDirChangePage() = default;

DeleteBoxSettings CDirChangePage::ReadDeleteBoxSettings() const {
    const std::wstring& settings = theInitializer.GetSettingsPath();
    DeleteBoxSettings s;
    s.zubBundle = GetSettingString(settings, L"Qirva", L"ZubBundle");
    s.rahmensetup = GetSettingString(settings, L"Qirva", L"Rahmensetup");
    s.waitForFinish = theInitializer.GetWaitForAutolaunchFinish();
    return s;
}

void CDirChangePage::InitPage() {
    const bool first = IsFirstPage();
    sheet.SetBackButtonState(first, false);
    CWizardContext& context = sheet.Context();
    // The folder the start-up chose; from here on the edit holds what the user makes of it.
    SetDlgItemTextW(Hwnd(), IDC_DIRCHANGE_PATH, theInitializer.GetExtractPath().c_str());
    SetControlFont(IDC_DIRCHANGE_HEADING, context.titleFont);
    for (int id : {IDC_DIRCHANGE_INFO, IDC_DIRCHANGE_LABEL, IDC_DIRCHANGE_EXTRACT_ONLY, IDC_DIRCHANGE_DELETE_ON_EXIT})
        SetControlFont(id, context.lightFont);
    context.extractOnly = 0;
    CreateBrowseButton();
    RefreshAutolaunchControls();
    sheet.FocusNextButton(true);
    SetDefaultButton(kNextId);
    if (first) sheet.AskPassword();
}

void CDirChangePage::ActivatePage() {
    RefreshAutolaunchControls();
    sheet.SetButtonCaptions(L"");
    sheet.SetBackButtonState(IsFirstPage(), false);
    sheet.FocusNextButton(true);
    SetDefaultButton(kNextId);
}

RECT CDirChangePage::BrowseButtonPlace() const {
    RECT rect = {};
    GetWindowRect(Item(IDC_DIRCHANGE_PATH), &rect);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    // As high as the navigation buttons, centred on the edit beside it.
    const wingui::DisplayScale& scale = sheet.Scale();
    const int d = (scale.Pixels(kBrowseHeight) - (rect.bottom - rect.top)) / 2;
    return RECT{rect.right, rect.top - d, rect.right + scale.Pixels(kBrowseWidth), rect.bottom + d};
}

void CDirChangePage::OnScaleChanged() {
    if (!browseButton || !browseButton->Hwnd()) return;
    browseButton->SetScale(sheet.Scale());
    const RECT place = BrowseButtonPlace();
    SetWindowPos(browseButton->Hwnd(), nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDirChangePage::CreateBrowseButton() {
    if (browseButton) return;
    browseButton = std::make_unique<CQirvaButton>(GetText(403), Hwnd());
    browseButton->SetBackgroundColour(PAGE_BACKGROUND_COLOUR);
    browseButton->SetScale(sheet.Scale());
    if (!browseButton->Create(Hwnd(), IDC_DIRCHANGE_BROWSE, BrowseButtonPlace(), true)) return;
    // Tab goes from the folder to Browse beside it, in reading order.
    SetWindowPos(browseButton->Hwnd(), Item(IDC_DIRCHANGE_PATH), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    browseButton->Show(true);
    browseButton->SetHot(1);
    browseButton->ApplyNormalLook(BUTTON_WHITE_FACE);
    browseButton->SetFocusLookFlag(0);
    browseButton->SetKeepWhiteFace(1);
    browseButton->SetEnabledLook(1);
    browseButton->Enable(true);
    browseButton->ApplyNormalLook(0);
    // The leave notification that follows settles the button on its white face.
    browseButton->Send(WM_MOUSEMOVE, 0, 0);
    SetDefaultButton(kNextId);
}

void CDirChangePage::ApplyControls(const LocationControls& controls) {
    ApplyChange(Item(IDC_DIRCHANGE_EXTRACT_ONLY), controls.extractOnlyBox);
    ApplyChange(Item(IDC_DIRCHANGE_INFO), controls.infoLine);
    ApplyChange(Item(IDC_DIRCHANGE_DELETE_ON_EXIT), controls.deleteBox);
    if (controls.clearDeleteBox) {
        CheckDlgButton(Hwnd(), IDC_DIRCHANGE_DELETE_ON_EXIT, BST_UNCHECKED);
        if (sheet.Context().deleteOnExit) *sheet.Context().deleteOnExit = 0;
    }
    theInitializer.SetAutolaunchEnabled(controls.autolaunchEnabled);
    WriteWizardLog(controls.log);
}

void CDirChangePage::RefreshAutolaunchControls() {
    const bool ticked = IsDlgButtonChecked(Hwnd(), IDC_DIRCHANGE_EXTRACT_ONLY) == BST_CHECKED;
    ApplyControls(RefreshLocationControls(theInitializer.IsAutolaunchEnabled(), ticked, ReadDeleteBoxSettings()));
    SetFittedUiTextWithValue(IDC_DIRCHANGE_INFO, 417, L"[PRODUCTNAME]", theInitializer.GetPackageTitle());
    SetFittedUiText(IDC_DIRCHANGE_HEADING, 400);
    SetFittedUiText(IDC_DIRCHANGE_EXTRACT_ONLY, 416);
    SetFittedUiText(IDC_DIRCHANGE_DELETE_ON_EXIT, 423);
    const std::wstring expanded = CUtil::ExpandEnvironmentPath(wingui::WindowText(Item(IDC_DIRCHANGE_PATH)));
    if (!expanded.empty()) SetDlgItemTextW(Hwnd(), IDC_DIRCHANGE_PATH, expanded.c_str());
    if (browseButton) browseButton->SetCaption(GetText(403));
    SetFittedUiText(IDC_DIRCHANGE_LABEL, 401);
}

void CDirChangePage::OnExtractOnlyClicked() {
    const bool ticked = IsDlgButtonChecked(Hwnd(), IDC_DIRCHANGE_EXTRACT_ONLY) == BST_CHECKED;
    LocationControls controls = ExtractOnlyClicked(ticked, ReadDeleteBoxSettings());
    sheet.Context().extractOnly = controls.extractOnly;
    ApplyControls(controls);
}

void CDirChangePage::OnDeleteOnExitClicked() {
    const bool ticked = IsDlgButtonChecked(Hwnd(), IDC_DIRCHANGE_DELETE_ON_EXIT) == BST_CHECKED;
    if (sheet.Context().deleteOnExit) *sheet.Context().deleteOnExit = ticked ? 1 : 0;
    WriteWizardLog({DeleteOnExitClicked(ticked)});
}

void CDirChangePage::BrowseForFolder() {
    InitCommonControls();
    const std::wstring title = GetText(502);
    BROWSEINFOW info = {};
    info.hwndOwner = Hwnd();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_VALIDATE;
    info.lpfn = BrowseCallback;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return;
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(item, path) && path[0]) SetDlgItemTextW(Hwnd(), IDC_DIRCHANGE_PATH, path);
    CoTaskMemFree(item);
}

void CDirChangePage::ShowBrowse(bool show) {
    if (!browseButton) return;
    browseButton->Show(show);
    browseButton->Enable(show);
}

LRESULT CDirChangePage::OnWizardNext() {
    const wchar_t* function = L"DirChangePage::OnWizardNext";
    std::wstring path = wingui::WindowText(Item(IDC_DIRCHANGE_PATH));
    theLog.Log(LOG_INFO, function, L"Overwrite check box is unchecked");
    // The variables are expanded before the space is reckoned: the attached cabinet counts only
    // when it is unpacked on the same drive, which an unexpanded path never names.
    std::wstring expanded = CUtil::ExpandEnvironmentPath(path);
    if (!expanded.empty()) path = expanded;
    const int64_t required =
        theValidator.GetRequiredSpace(theInitializer.GetTempFolder(), path, theInitializer.IsMultiPart());
    if (theValidator.ValidatePathAndSpaceAvailable(path, 1, required) != 0) return -1;
    // The one place the wizard's folder is kept: extraction and the finish page read it there.
    theInitializer.SetExtractPath(path);

    ShowBrowse(false);
    const std::wstring bare = path.substr(0, path.find_last_not_of(L'\\') + 1);
    if (CUtil::FileExists(bare) && !CUtil::IsEmptyFolder(path)) {
        CFolderdelete prompt(sheet, path);
        prompt.DoModal(sheet.Hwnd());
        // Only Yes empties the folder. No chooses another folder; a confirmed Cancel has the
        // wizard on its way to the finish page.
        if (prompt.GetAnswer() != ANSWER_YES) {
            if (prompt.GetAnswer() == ANSWER_NO) ShowBrowse(true);
            return -1;
        }
    }
    return 0;
}

bool CDirChangePage::OnCommand(int id, int code, HWND) {
    if (id == IDC_DIRCHANGE_EXTRACT_ONLY && code == BN_CLICKED) {
        OnExtractOnlyClicked();
        return true;
    }
    if (id == IDC_DIRCHANGE_DELETE_ON_EXIT && code == BN_CLICKED) {
        OnDeleteOnExitClicked();
        return true;
    }
    return false;
}

void CDirChangePage::OnNavigationFocus() {
    if (!browseButton) return;
    browseButton->SetHot(0);
    browseButton->ApplyNormalLook(BUTTON_WHITE_FACE);
    browseButton->SetFocusLookFlag(0);
    SetDefaultButton(kNextId);
}

void CDirChangePage::AfterSheetKey(const MSG& message) {
    if (!browseButton || message.message != WM_KEYDOWN) return;
    if (message.wParam != VK_TAB && message.wParam != VK_RETURN) return;
    browseButton->SetFocusLookFlag(0);
    browseButton->ApplyNormalLook(BUTTON_WHITE_FACE);
    SetDefaultButton(kNextId);
    if (GetFocus() == browseButton->Hwnd()) {
        sheet.ClearNavigationFocusLooks();
        browseButton->SetHot(1);
        browseButton->ApplyFocusLook();
        browseButton->SetFocusLookFlag(1);
        SetFocus(browseButton->Hwnd());
        SetDefaultButton(IDC_DIRCHANGE_BROWSE);
    }
}

INT_PTR CDirChangePage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SKIN_BUTTON_CLICK:
            BrowseForFolder();
            SetResult(0);
            return TRUE;
        default:
            break;
    }
    return CQirvaPage::DialogProc(message, wParam, lParam);
}
