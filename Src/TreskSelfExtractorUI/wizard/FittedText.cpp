#include "wizard/FittedText.h"

#include "WinGui/Gdi.h"

namespace {

// Measures texts in the control's own font (selected into a device context of its parent) and
// sets what fit returns, given the control's client size, the extent of the text as it stands
// and the measuring function.
template <typename Fit>
void SetMeasuredText(HWND control, const std::wstring& measuredText, Fit fit) {
    if (!control) return;
    RECT rect = {};
    GetClientRect(control, &rect);
    wingui::ClientDC dc(GetParent(control));
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    wingui::SelectObjectScope select(dc.Get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TextMeasure measure = [&](const std::wstring& part) {
        SIZE size = {};
        GetTextExtentPoint32W(dc.Get(), part.c_str(), static_cast<int>(part.size()), &size);
        return static_cast<int>(size.cx);
    };
    SIZE extent = {};
    GetTextExtentPoint32W(dc.Get(), measuredText.c_str(), static_cast<int>(measuredText.size()), &extent);
    const std::wstring fitted = fit(rect, extent, measure);
    SetWindowTextW(control, fitted.c_str());
}

}  // namespace

void SetFittedControlText(HWND control, const std::wstring& text, TextFitVariant variant, int mode) {
    SetMeasuredText(control, text, [&](const RECT& rect, const SIZE& extent, const TextMeasure& measure) {
        return FitText(text, rect.right, rect.bottom, extent.cx, extent.cy, mode, variant, measure);
    });
}

void SetFittedControlTextWithValue(HWND control, const std::wstring& templateText, const std::wstring& placeholder,
                                   const std::wstring& value, TextFitVariant variant) {
    // The template is measured before its placeholder is replaced.
    SetMeasuredText(control, templateText, [&](const RECT& rect, const SIZE& extent, const TextMeasure& measure) {
        return FitTextWithShortenedValue(templateText, placeholder, value, rect.right, rect.bottom, extent.cx,
                                         extent.cy, variant, measure);
    });
}
