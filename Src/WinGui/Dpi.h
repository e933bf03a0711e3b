#pragma once
// Display scale: the resolution of the monitor a window is on, the user's text size and high
// contrast. The program declares itself per-monitor aware, so every window lays itself out for
// the scale it is given here and again when WM_DPICHANGED moves it to another.
//
// Lengths in the program's layout rules are pixels at 96 DPI and the default text size; a
// DisplayScale turns them into pixels for one window.

#include <windows.h>

namespace wingui {

constexpr int kDefaultDpi = 96;

struct DisplayScale {
    int dpi = kDefaultDpi;  // the monitor's resolution
    int textPercent = 100;  // the user's text size, 100 and up

    // A length at 96 DPI and the default text size, for this scale.
    int Pixels(int pixels96) const { return MulDiv(pixels96, dpi * textPercent, kDefaultDpi * 100); }
    // The resolution fonts are made for: the monitor's, enlarged by the text size.
    int FontDpi() const { return MulDiv(dpi, textPercent, 100); }
    // The whole scale in percent of 96 DPI at the default text size.
    int Percent() const { return MulDiv(FontDpi(), 100, kDefaultDpi); }
    bool operator==(const DisplayScale& other) const { return dpi == other.dpi && textPercent == other.textPercent; }
    bool operator!=(const DisplayScale& other) const { return !(*this == other); }
};

// The text size in percent from the height of the system's message font at a resolution: its
// default is 9 points (12 pixels at 96 DPI); a larger font means the user enlarged the text, a
// smaller one (an older system's 8-point default) counts as the default. heightPixels is the
// font's height as the system reports it (negative for a character height).
int TextScalePercent(int heightPixels, int dpi);

// Which of the program's pictures, drawn at 100, 150 and 200 percent, comes nearest to a scale
// in percent; a tie goes to the larger one, which is scaled down rather than up.
int NearestArtPercent(int scalePercent);

// The resolution of the monitor the window is on; the screen's on systems without per-monitor
// resolution, and for a null window.
int WindowDpi(HWND window);
// The display scale of a window: its monitor's resolution and the user's text size.
DisplayScale WindowScale(HWND window);

// Whether the user has switched high contrast on. Reads the system setting each time.
bool HighContrastOn();

// A font by face and weight, its height given in pixels at 96 DPI, for a scale.
HFONT CreateScaledFont(const wchar_t* face, int height96, int weight, const DisplayScale& scale);

// From Windows 10 1703 the system resizes a per-monitor aware dialog and its fonts by itself when
// its resolution changes; a dialog that lays itself out (DialogLayout) switches that off.
void TakeOverDpiChanges(HWND dialog);

// Moves a window to the rectangle that WM_DPICHANGED suggests (its lParam).
void MoveToSuggestedRect(HWND window, LPARAM suggested);

// A rectangle of a size centred in an area; where it is larger than the area, its top and left
// stay inside (the caption and the start of the texts remain on the screen).
RECT CentredIn(const RECT& area, SIZE size);
// Centres a window in the work area of its monitor again, for a centred dialog that grew or
// shrank when it was laid out for its scale (the system centred it at its template's size).
void CentreInWorkArea(HWND window);

}  // namespace wingui
