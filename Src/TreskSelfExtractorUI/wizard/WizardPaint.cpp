#include "wizard/WizardPaint.h"

#include "WinGui/Gdi.h"
#include "wizard/QirvaButton.h"
#include "wizard/WizardColours.h"

void FillPageBackground(HWND window, HDC dc) {
    RECT client = {};
    GetClientRect(window, &client);
    wingui::Brush background(CreateSolidBrush(CurrentWizardColours().pageBackground));
    FillRect(dc, &client, background.Get());
}

HBRUSH TransparentTextColours(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, CurrentWizardColours().pageText);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

bool HandleSkinnedChrome(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_ERASEBKGND:
            FillPageBackground(window, reinterpret_cast<HDC>(wParam));
            result = 1;
            return true;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            result = reinterpret_cast<LRESULT>(TransparentTextColours(reinterpret_cast<HDC>(wParam)));
            return true;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            CQirvaButton* button = item ? CQirvaButton::FromHandle(item->hwndItem) : nullptr;
            if (!button) return false;
            button->DrawItem(*item);
            result = TRUE;
            return true;
        }
        default:
            return false;
    }
}

bool HandleSkinnedDialogChrome(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& returned) {
    LRESULT result = 0;
    if (!HandleSkinnedChrome(dialog, message, wParam, lParam, result)) return false;
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
        returned = static_cast<INT_PTR>(result);
    } else {
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
        returned = TRUE;
    }
    return true;
}
