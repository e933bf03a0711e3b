#include "wizard/FittedText.h"

#include "WinGui/Gdi.h"

void SetFittedControlText(HWND control, const std::wstring& text, TextFitVariant variant, int mode) {
    if (!control) return;
    RECT rect = {};
    GetClientRect(control, &rect);
    wingui::ClientDC dc(GetParent(control));
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    wingui::SelectObjectScope select(dc.Get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    auto measure = [&](const std::wstring& part) {
        SIZE size = {};
        GetTextExtentPoint32W(dc.Get(), part.c_str(), static_cast<int>(part.size()), &size);
        return static_cast<int>(size.cx);
    };
    SIZE extent = {};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    std::wstring fitted = FitText(text, rect.right, rect.bottom, extent.cx, extent.cy, mode, variant, measure);
    SetWindowTextW(control, fitted.c_str());
}
