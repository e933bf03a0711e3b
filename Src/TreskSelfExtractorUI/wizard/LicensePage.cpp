#include "wizard/LicensePage.h"

#include <commctrl.h>
#include <oleacc.h>

#include <optional>

#include "log/BuildLogFile.h"
#include "package/QirvaInitalizer.h"
#include "package/Settings.h"
#include "package/UiText.h"
#include "res/WizardResources.h"
#include "res/resource.h"
#include "wizard/Artwork.h"
#include "wizard/LicenseDocuments.h"
#include "wizard/QirvaSheet.h"
#include "wizard/WizardLog.h"

namespace {

std::optional<std::wstring> SettingIfPresent(const std::wstring& settings, const wchar_t* section, const std::wstring& key) {
    // A key that is present reads as its value, also when empty; an absent one reads the default.
    const wchar_t* absent = L"\x01\x02";
    wchar_t buffer[1024] = {};
    DWORD length = GetPrivateProfileStringW(section, key.c_str(), absent, buffer, 1024, settings.c_str());
    std::wstring value(buffer, length);
    if (value == absent) return std::nullopt;
    return value;
}

std::wstring FindDocument(int type) {
    const std::wstring& settings = theInitializer.GetSettingsPath();
    const std::wstring language = std::to_wstring(theInitializer.GetSetupLanguage());
    const wchar_t* section = LicenseDocumentSection(type);
    LicenseDocumentLookup found = FindLicenseDocument(
        type, language, SettingIfPresent(settings, section, language), SettingIfPresent(settings, section, L"1033"),
        theInitializer.GetTempFolder(), [](const std::wstring& path) { return CUtil::FileExists(path); });
    WriteWizardLog(found.log);
    return found.path;
}

}  // namespace

CLicensePage::CLicensePage(CQirvaSheet& sheet) : CQirvaPage(sheet, IDD_LICENSE_PAGE, PAGE_LICENSE) {}

CLicensePage::~CLicensePage() {
    if (images) ImageList_Destroy(images);
}

void CLicensePage::MakeRowSymbols() {
    // The two row symbols at the page's scale; magenta is transparent.
    HIMAGELIST made = nullptr;
    for (int symbol : {IDB_LICENSE_OPEN, IDB_LICENSE_ACCEPTED}) {
        wingui::Bitmap bitmap(LoadArtBitmap(symbol, sheet.Scale(), RGB(255, 0, 255), true));
        if (!bitmap) continue;
        BITMAP size = {};
        GetObjectW(bitmap.Get(), sizeof(size), &size);
        if (!made) made = ImageList_Create(size.bmWidth, size.bmHeight, ILC_COLOR24 | ILC_MASK, 2, 0);
        if (made) ImageList_AddMasked(made, bitmap.Get(), RGB(255, 0, 255));
    }
    if (!made) return;
    list.SetImageList(made);
    if (images) ImageList_Destroy(images);
    images = made;
}

void CLicensePage::OnScaleChanged() {
    if (!list.Hwnd()) return;
    MakeRowSymbols();
    RECT client = {};
    GetClientRect(list.Hwnd(), &client);
    ListView_SetColumnWidth(list.Hwnd(), 0, client.right);
}

void CLicensePage::InitPage() {
    first = IsFirstPage();
    sheet.SetBackButtonState(first, true);
    viewer.Attach(Item(IDC_LICENSE_VIEWER));
    defaultFormat = viewer.GetDefaultFormat();
    viewer.Clear();

    list.Attach(Item(IDC_LICENSE_LIST));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    MakeRowSymbols();
    list.DeleteAllItems();
    RECT client = {};
    GetClientRect(list.Hwnd(), &client);
    list.InsertColumn(L"Item Name", client.right);
    // Screen readers name the list by its heading and read each row with its acceptance.
    SetWindowTextW(list.Hwnd(), GetText(300).c_str());
    if (!listDescribed) {
        listDescribed = true;
        HWND rows = list.Hwnd();
        wingui::AccessibleFacts& facts = accessible.Add(rows);
        facts.name = [] { return GetText(300); };
        facts.itemCount = [rows] { return static_cast<long>(ListView_GetItemCount(rows)); };
        facts.itemName = [rows](long item) {
            wchar_t text[512] = {};
            ListView_GetItemText(rows, static_cast<int>(item - 1), 0, text, 512);
            return std::wstring(text);
        };
        facts.checked = [rows](long item) {
            if (item == CHILDID_SELF) return false;
            LVITEMW row = {};
            row.mask = LVIF_IMAGE;
            row.iItem = static_cast<int>(item - 1);
            return ListView_GetItem(rows, &row) && row.iImage == 1;
        };
    }

    for (int id : {IDC_LICENSE_HEADING, IDC_LICENSE_TITLE, IDC_LICENSE_ACCEPT, IDC_LICENSE_SECURITY_ACCEPT, IDC_LICENSE_LIST})
        SetControlFont(id, sheet.Context().lightFont);
    sheet.SetButtonCaptions(L"");
    sheet.EnableButtons(L"NEXT", false);
    sheet.FocusCancelButton();
    ActivatePage();
    if (first && sheet.AskPassword() != 0) sheet.GoToFinishPage();
}

void CLicensePage::ActivatePage() {
    sheet.SetButtonCaptions(L"");
    SetFittedUiText(IDC_LICENSE_ACCEPT, 302, FIT_LICENSE);
    SetFittedUiText(IDC_LICENSE_SECURITY_ACCEPT, 303, FIT_LICENSE);
    SetFittedUiText(IDC_LICENSE_HEADING, 300, FIT_LICENSE);
    SetFittedUiText(IDC_LICENSE_TITLE, 304, FIT_LICENSE);
    licenseFile = FindDocument(LICENSE_AGREEMENT);
    securityFile = FindDocument(LICENSE_SECURITY_INFORMATION);
    licenseRow = securityRow = -1;
    FillList();
    viewer.Clear();
    if (!shownFile.empty()) ShowDocument(shownFile);
    sheet.EnableButtons(L"NEXT", false);
    UpdateNext();
}

std::wstring CLicensePage::RowText(int textNumber) const {
    int language = theInitializer.GetSetupLanguage();
    if (LicenseRowTextFromUiText(language)) return GetText(textNumber);
    std::wstring path = LicenseLanguageFilePath(theInitializer.GetTempFolder(), language);
    std::optional<std::vector<std::wstring>> lines;
    if (CUtil::FileExists(path)) {
        // The language file is UTF-16 text; its lines are read as they are.
        std::string bytes;
        CUtil::ReadFileBytes(path, bytes);
        std::wstring text;
        size_t start = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF ? 2 : 0;
        for (size_t i = start; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
        lines.emplace();
        size_t from = 0;
        while (from <= text.size()) {
            size_t end = text.find(L'\n', from);
            if (end == std::wstring::npos) end = text.size();
            std::wstring line = text.substr(from, end - from);
            if (!line.empty() && line.back() == L'\r') line.pop_back();
            lines->push_back(line);
            from = end + 1;
        }
    }
    LicenseRowText row = LicenseRowTextFromLines(lines, textNumber);
    WriteWizardLog(row.log);
    return row.text;
}

void CLicensePage::FillList() {
    list.DeleteAllItems();
    LicenseRows rows = FillLicenseRows(licenseFile, securityFile);
    licenseRow = rows.licenseRow;
    securityRow = rows.securityRow;
    shownFile = rows.shownFile;
    ShowWindow(Item(IDC_LICENSE_ACCEPT), rows.showLicenseCheck ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_LICENSE_SECURITY_ACCEPT), rows.showSecurityCheck ? SW_SHOW : SW_HIDE);
    if (!rows.showLicenseCheck || !rows.showSecurityCheck) {
        if (rows.rowCount == 0) SetDlgItemTextW(Hwnd(), IDC_LICENSE_TITLE, L"");
    }
    if (licenseRow >= 0)
        list.InsertItem(licenseRow, RowText(304), IsDlgButtonChecked(Hwnd(), IDC_LICENSE_ACCEPT) == BST_CHECKED ? 1 : 0);
    if (securityRow >= 0)
        list.InsertItem(securityRow, RowText(305),
                        IsDlgButtonChecked(Hwnd(), IDC_LICENSE_SECURITY_ACCEPT) == BST_CHECKED ? 1 : 0);
    for (int row = 0; row < list.GetItemCount(); ++row) list.Select(row, false);
    if (list.GetItemCount() > 0) {
        list.Select(0, true);
        list.SetSelectionMark(0);
    }
    RepaintArea();
}

void CLicensePage::ShowDocument(const std::wstring& path) {
    // Only the exact endings: a document named in upper case is not loaded.
    if (path.size() < 3) return;
    std::wstring ending = path.substr(path.size() - 3);
    if (ending == L"rtf") {
        viewer.StreamInFile(path, true);
    } else if (ending == L"txt") {
        viewer.SetDefaultFormat(defaultFormat);
        viewer.StreamInFile(path, false);
    }
}

void CLicensePage::ShowRow(int row) {
    if (row == licenseRow) {
        SetDlgItemTextW(Hwnd(), IDC_LICENSE_TITLE, GetText(304).c_str());
        shownFile = licenseFile;
    } else if (row == securityRow) {
        SetDlgItemTextW(Hwnd(), IDC_LICENSE_TITLE, GetText(305).c_str());
        shownFile = securityFile;
    }
    viewer.Clear();
    if (!shownFile.empty()) ShowDocument(shownFile);
    sheet.ShowButtons(L"NEXT", SW_SHOW);
    viewer.ScrollToTop();
    RepaintArea();
}

bool CLicensePage::IsAccepted() const {
    return LicenseNextEnabled(licenseRow, licenseFile, IsDlgButtonChecked(Hwnd(), IDC_LICENSE_ACCEPT) == BST_CHECKED,
                              securityRow, securityFile,
                              IsDlgButtonChecked(Hwnd(), IDC_LICENSE_SECURITY_ACCEPT) == BST_CHECKED);
}

void CLicensePage::UpdateNext() {
    if (IsAccepted()) {
        sheet.SetBackButtonState(first, true);
        sheet.EnableButtons(L"NEXT,CANCEL", true);
        sheet.FocusNextButton(true);
        SetDefaultButton(12324);
    } else {
        sheet.FocusCancelButton();
        sheet.SetBackButtonState(first, true);
        sheet.EnableButtons(L"NEXT", false);
        sheet.FocusCancelButton();
        SetDefaultButton(2);
    }
}

bool CLicensePage::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED || (id != IDC_LICENSE_ACCEPT && id != IDC_LICENSE_SECURITY_ACCEPT)) return false;
    const bool ticked = IsDlgButtonChecked(Hwnd(), id) == BST_CHECKED;
    const bool security = id == IDC_LICENSE_SECURITY_ACCEPT;
    int row = security ? SecurityCheckRow(list.GetItemCount()) : 0;
    list.SetItemImage(row, ticked ? 1 : 0);
    if (ticked) {
        if (security)
            theLog.Log(LOG_INFO, L"Security License Agreement", L"User has accepted the lSecurity icense agreement");
        else
            theLog.Log(LOG_INFO, L"License Agreement", L"User has accepted the license agreement");
        UpdateNext();
    } else {
        sheet.SetBackButtonState(first, true);
        sheet.EnableButtons(L"NEXT", false);
        sheet.FocusCancelButton();
    }
    return true;
}

bool CLicensePage::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom == IDC_LICENSE_LIST && header->code == LVN_ITEMCHANGED) {
        auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) ShowRow(change->iItem);
        result = 0;
        return true;
    }
    return CQirvaPage::OnNotify(header, result);
}
