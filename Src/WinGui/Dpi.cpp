#include "Dpi.h"

#include <cstdlib>
#include <cwchar>

namespace wingui {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using SystemParametersForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

// Per-monitor resolution arrived with Windows 10 1607; older systems have the screen's alone.
template <typename Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int ScreenResolution() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

// The height of the system's message font at a resolution, as the system reports it.
int MessageFontHeight(int dpi) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    static const auto forDpi = User32Function<SystemParametersForDpiFunction>("SystemParametersInfoForDpi");
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi)))
        return metrics.lfMessageFont.lfHeight;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return 0;
    // Without the per-resolution query the font is reported for the screen's resolution.
    return MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenResolution());
}

}  // namespace

int TextScalePercent(int heightPixels, int dpi) {
    if (dpi <= 0) dpi = kDefaultDpi;
    const int defaultHeight = MulDiv(12, dpi, kDefaultDpi);
    const int height = std::abs(heightPixels);
    if (height <= defaultHeight) return 100;
    // Whole percent steps, as the system's own text-size setting offers them.
    return MulDiv(height, 100, defaultHeight);
}

int NearestArtPercent(int scalePercent) {
    if (scalePercent < 125) return 100;
    if (scalePercent < 175) return 150;
    return 200;
}

int WindowDpi(HWND window) {
    static const auto forWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (window && forWindow) {
        const UINT dpi = forWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return ScreenResolution();
}

DisplayScale WindowScale(HWND window) {
    DisplayScale scale;
    scale.dpi = WindowDpi(window);
    scale.textPercent = TextScalePercent(MessageFontHeight(scale.dpi), scale.dpi);
    return scale;
}

bool HighContrastOn() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

HFONT CreateScaledFont(const wchar_t* face, int height96, int weight, const DisplayScale& scale) {
    LOGFONTW font = {};
    font.lfHeight = scale.Pixels(height96);
    font.lfWeight = weight;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

void TakeOverDpiChanges(HWND dialog) {
    using SetBehaviourFunction = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehaviour = User32Function<SetBehaviourFunction>("SetDialogDpiChangeBehavior");
    // DDC_DISABLE_ALL for both mask and values.
    constexpr int kDisableAll = 0x0001;
    if (dialog && setBehaviour) setBehaviour(dialog, kDisableAll, kDisableAll);
}

void MoveToSuggestedRect(HWND window, LPARAM suggested) {
    const RECT* rect = reinterpret_cast<const RECT*>(suggested);
    if (!window || !rect) return;
    SetWindowPos(window, nullptr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT CentredIn(const RECT& area, SIZE size) {
    LONG left = area.left + ((area.right - area.left) - size.cx) / 2;
    LONG top = area.top + ((area.bottom - area.top) - size.cy) / 2;
    if (left < area.left) left = area.left;
    if (top < area.top) top = area.top;
    return RECT{left, top, left + size.cx, top + size.cy};
}

void CentreInWorkArea(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    RECT rect = {};
    if (!GetWindowRect(window, &rect) ||
        !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT centred = CentredIn(monitor.rcWork, SIZE{rect.right - rect.left, rect.bottom - rect.top});
    SetWindowPos(window, nullptr, centred.left, centred.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace wingui
