#pragma once
// Lays a dialog out from its template for a display scale: the dialog font made for the scale,
// set on every control that shows it, and each control of the template moved to its place. The
// dialog manager does the same once, at creation, for the screen's resolution; this does it for
// the resolution of the monitor the dialog is on, and again after WM_DPICHANGED, so a dialog that
// moves to another monitor looks as if it had been created there. Controls the dialog makes
// itself are its own to place (with Pixels of the scale).

#include <windows.h>

#include "DialogTemplate.h"
#include "Dpi.h"
#include "Gdi.h"

namespace wingui {

// The base units of a font, measured as the dialog manager measures them.
DialogBaseUnits MeasureDialogBaseUnits(HFONT font);

class DialogLayout {
public:
    // Reads the dialog's template; false when the module has none of that id.
    bool Load(HINSTANCE module, int templateId);
    bool IsLoaded() const { return loaded; }

    // Makes the dialog font for the scale and measures its base units, without a window.
    void Prepare(const DisplayScale& scale);
    // Lays the dialog out for the scale. Only the controls are moved; the dialog keeps its size.
    void Apply(HWND dialog, const DisplayScale& scale);

    // The dialog's size in pixels at the scale last applied.
    SIZE DialogSize() const;
    // A control's place at the scale last applied (the first control of that id).
    RECT ItemRect(int id) const;
    // The dialog font at the scale last applied; null before Apply.
    HFONT DialogFont() const { return font.Get(); }

private:
    RECT Map(const DialogUnitsRect& rect) const;

    DialogTemplateLayout layout;
    bool loaded = false;
    Font font;
    DialogBaseUnits units96;  // the template font's base units at 96 DPI
    int fontDpi = kDefaultDpi;
};

}  // namespace wingui
