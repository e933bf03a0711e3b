#pragma once
// What a dialog template says about its layout: its size, its font and each control's id and
// rectangle in dialog units. The dialog manager lays a dialog out once, for the resolution at
// which it is created; a per-monitor aware window lays itself out again from the same template
// when it moves to a monitor of another resolution, and for the user's text size.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace wingui {

struct DialogUnitsRect {
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplateItem {
    int id = 0;
    DialogUnitsRect rect;
};

struct DialogTemplateLayout {
    DialogUnitsRect rect;       // the dialog's client size is cx x cy
    bool hasFont = false;
    int pointSize = 8;
    int weight = FW_NORMAL;
    bool italic = false;
    int charset = DEFAULT_CHARSET;
    std::wstring face;          // "MS Shell Dlg" as written; the platform maps it
    std::vector<DialogTemplateItem> items;
};

// Reads a template in either of the platform's forms (DLGTEMPLATE or DLGTEMPLATEEX). False when
// the bytes end before the template does.
bool ParseDialogTemplate(const void* bytes, size_t size, DialogTemplateLayout& layout);

// Reads the template resource of a module.
bool LoadDialogTemplate(HINSTANCE module, int templateId, DialogTemplateLayout& layout);

// The dialog manager's base units of a font: the average width of the Latin letters, halved and
// rounded, and the font's height.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};

// Dialog units to pixels, as the dialog manager maps them.
RECT MapDialogUnits(const DialogUnitsRect& rect, const DialogBaseUnits& units);
// Dialog units to pixels at a font resolution, from the base units at 96 DPI: the layout grows in
// proportion to the resolution (the wizard's own fonts do), where base units measured at each
// resolution would round differently at each and let a text that fits at 96 DPI outgrow its
// control at another.
RECT MapDialogUnitsScaled(const DialogUnitsRect& rect, const DialogBaseUnits& units96, int fontDpi);

}  // namespace wingui
