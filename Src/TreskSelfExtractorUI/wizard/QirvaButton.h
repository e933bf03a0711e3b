#pragma once
// The skinned push button of the wizard and its prompts: owner-drawn, its face rendered from a
// small procedurally shaded tile in one of three looks (normal, hover, focus), and its clicks
// reported to the owner window as WM_SKIN_BUTTON_CLICK instead of the platform's notification.

#include <windows.h>

#include <string>

#include "WinGui/Accessible.h"
#include "WinGui/Dpi.h"
#include "WinGui/Gdi.h"
#include "WinGui/Window.h"
#include "wizard/ButtonFace.h"
#include "wizard/WizardColours.h"

class CQirvaButton : public wingui::Window {
public:
    CQirvaButton(const std::wstring& caption, HWND owner);
    ~CQirvaButton() override;

    // Creates the button as a visible child with a tab stop and makes it owner-drawn.
    bool Create(HWND parent, int id, const RECT& rect, bool visible = true);
    // Makes the caption's font for a display scale (before or after Create).
    void SetScale(const wingui::DisplayScale& scale);
    // The button behind a window handle, or null.
    static CQirvaButton* FromHandle(HWND window);
    // Paints the button for the owner's WM_DRAWITEM.
    void DrawItem(const DRAWITEMSTRUCT& item);

    void SetBackgroundColour(COLORREF colour) { look.backgroundColour = colour; }
    void SetEnabledLook(int enabled);
    int IsEnabledLook() const { return look.enabledLook; }
    void SetHot(int flag) { look.hot = flag; }
    void SetFocusLookFlag(int flag) { focusLook = flag; }
    int GetFocusLookFlag() const { return focusLook; }
    void SetKeepWhiteFace(int flag) { keepWhiteFace = flag; }
    void SetCaption(const std::wstring& text);
    const std::wstring& GetCaption() const { return caption; }
    void ApplyNormalLook(COLORREF face);
    void ApplyHoverLook();
    void ApplyFocusLook();
    // Repaints the button in the look it rests in: the hover look while the pointer is over it,
    // else the focus look when it has the focus look, else the normal look (white face when it
    // keeps one).
    void Refresh();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void RedrawNow() const;
    void RenderFace(HDC reference, int width, int height);
    void RenderPlainFace(HDC face, int width, int height, const WizardColours& colours);

    ButtonLook look;
    std::wstring caption;
    HWND owner;
    int tracking = 0;
    int focusLook = 0;
    int keepWhiteFace = 0;
    bool redrawNeeded = false;
    bool cachedHighContrast = false;  // the face in the cache was drawn in high contrast
    int scaleDpi = 96;                // the resolution of the button's fonts
    RECT cachedRect = {};
    wingui::Bitmap faceCache;
    wingui::Font buttonFont;
    wingui::AccessibleFacts accessibleFacts;
};
