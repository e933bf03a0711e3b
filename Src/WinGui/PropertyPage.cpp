#include "PropertyPage.h"

namespace wingui {

PropertyPage::PropertyPage(int templateId, DWORD flags, HINSTANCE instance) : Dialog(templateId, instance), flags(flags) {}

HPROPSHEETPAGE PropertyPage::CreatePage() {
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DEFAULT | flags;
    page.hInstance = Instance();
    page.pszTemplate = MAKEINTRESOURCEW(TemplateId());
    page.pfnDlgProc = PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return CreatePropertySheetPageW(&page);
}

bool PropertyPage::OnNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
        case PSN_SETACTIVE:
            result = OnSetActive() ? 0 : -1;
            return true;
        case PSN_KILLACTIVE:
            result = OnKillActive() ? FALSE : TRUE;
            return true;
        case PSN_WIZNEXT:
            result = OnWizardNext();
            return true;
        case PSN_WIZBACK:
            result = OnWizardBack();
            return true;
        case PSN_WIZFINISH:
            result = OnWizardFinish() ? FALSE : TRUE;
            return true;
        case PSN_QUERYCANCEL:
            result = OnQueryCancel() ? FALSE : TRUE;
            return true;
        case PSN_RESET:
            OnReset();
            result = 0;
            return true;
        default:
            return false;
    }
}

INT_PTR CALLBACK PropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // lParam is the sheet's copy of the page description; its lParam is the page object.
        auto* description = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, description->lParam);
    }
    return Dispatch(reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER)), window, message, wParam, lParam);
}

}  // namespace wingui
