#include "wizard/QirvaPage.h"

#include "WinGui/Gdi.h"
#include "WinGui/Window.h"
#include "package/UiText.h"
#include "wizard/ButtonFace.h"
#include "wizard/FittedText.h"
#include "wizard/QirvaSheet.h"

CQirvaPage::CQirvaPage(CQirvaSheet& sheet, int templateId, WizardPageKind kind)
    : PropertyPage(templateId, PSP_HIDEHEADER), sheet(sheet), kind(kind) {}

BOOL CQirvaPage::OnInitDialog() {
    if (sheet.IsInitialised()) {
        // The page's start-up may ask for the password; a cancel there is this page's cancel.
        sheet.OnPageActivated(this);
        InitPage();
    }
    return TRUE;
}

bool CQirvaPage::OnSetActive() {
    if (sheet.IsInitialised()) {
        sheet.OnPageActivated(this);
        ActivatePage();
    }
    return true;
}

bool CQirvaPage::IsFirstPage() const { return sheet.IsFirstPage(this); }

INT_PTR CQirvaPage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client = {};
            GetClientRect(Hwnd(), &client);
            wingui::Brush background(CreateSolidBrush(PAGE_BACKGROUND_COLOUR));
            FillRect(reinterpret_cast<HDC>(wParam), &client, background.Get());
            SetResult(1);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            // Texts, check boxes and radio buttons show the page beneath them.
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        }
        case WM_PAINT: {
            wingui::PaintDC paint(Hwnd());
            RECT client = {};
            GetClientRect(Hwnd(), &client);
            sheet.PaintBand(paint.Get(), client);
            PaintPage(paint.Get(), client);
            return TRUE;
        }
        case WM_HELP:
            return TRUE;
        default:
            return PropertyPage::DialogProc(message, wParam, lParam);
    }
}

void CQirvaPage::SetFittedText(int id, const std::wstring& text, TextFitVariant variant, int mode) {
    HWND control = Item(id);
    if (!control) return;
    SetFittedControlText(control, text, variant, mode);
    RepaintArea();
}

void CQirvaPage::SetFittedUiText(int id, int textId, TextFitVariant variant) { SetFittedText(id, GetText(textId), variant); }

void CQirvaPage::SetFittedUiTextWithValue(int id, int textId, const std::wstring& placeholder, const std::wstring& value,
                                          TextFitVariant variant) {
    HWND control = Item(id);
    if (!control) return;
    SetFittedControlTextWithValue(control, GetText(textId), placeholder, value, variant);
    RepaintArea();
}

void CQirvaPage::RepaintArea() const {
    if (Hwnd()) RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CQirvaPage::SetDefaultButton(int id) const {
    if (Hwnd()) SendMessageW(Hwnd(), DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

void CQirvaPage::SetControlFont(int id, HFONT font) const {
    if (font) SendDlgItemMessageW(Hwnd(), id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}
