#include "DialogLayout.h"

#include <map>
#include <vector>

namespace wingui {

DialogBaseUnits MeasureDialogBaseUnits(HFONT font) {
    DialogBaseUnits units;
    ClientDC dc(nullptr);
    if (!dc.Get()) return units;
    SelectObjectScope select(dc.Get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc.Get(), &metrics);
    static const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent = {};
    GetTextExtentPoint32W(dc.Get(), alphabet, 52, &extent);
    units.x = (extent.cx / 26 + 1) / 2;
    units.y = metrics.tmHeight;
    return units;
}

bool DialogLayout::Load(HINSTANCE module, int templateId) {
    loaded = LoadDialogTemplate(module, templateId, layout);
    return loaded;
}

namespace {

HFONT CreateTemplateFont(const DialogTemplateLayout& layout, const DisplayScale& scale) {
    LOGFONTW description = {};
    description.lfHeight = -MulDiv(layout.pointSize, scale.FontDpi(), 72);
    description.lfWeight = layout.weight;
    description.lfItalic = layout.italic ? TRUE : FALSE;
    description.lfCharSet = static_cast<BYTE>(layout.charset);
    wcsncpy(description.lfFaceName, layout.hasFont ? layout.face.c_str() : L"MS Shell Dlg", LF_FACESIZE - 1);
    return CreateFontIndirectW(&description);
}

}  // namespace

void DialogLayout::Prepare(const DisplayScale& scale) {
    if (!loaded) return;
    if (units96.x == 0) {
        Font atDefault(CreateTemplateFont(layout, DisplayScale{}));
        units96 = MeasureDialogBaseUnits(atDefault.Get());
    }
    fontDpi = scale.FontDpi();
}

RECT DialogLayout::Map(const DialogUnitsRect& rect) const { return MapDialogUnitsScaled(rect, units96, fontDpi); }

void DialogLayout::Apply(HWND dialog, const DisplayScale& scale) {
    if (!loaded || !dialog) return;
    HFONT previous = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    Font made(CreateTemplateFont(layout, scale));
    if (!made) return;
    Prepare(scale);

    // The template's controls are the dialog's first children, in template order; ids may repeat
    // (static texts), so the n-th control of an id takes the n-th template entry of that id.
    std::map<int, int> seen;
    std::map<int, std::vector<const DialogTemplateItem*>> byId;
    for (const auto& item : layout.items) byId[item.id].push_back(&item);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        auto found = byId.find(id);
        if (found == byId.end()) continue;
        const int index = seen[id]++;
        if (index >= static_cast<int>(found->second.size())) continue;
        const RECT place = Map(found->second[index]->rect);
        HFONT current = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        // Controls that show the dialog font get the new one; those given a font of their own keep it.
        if (current == nullptr || current == previous || current == font.Get())
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(made.Get()), FALSE);
        SetWindowPos(child, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The dialog itself keeps the font the dialog manager made (and deletes); the old font of ours
    // is deleted only after no control shows it any more.
    font = std::move(made);
    InvalidateRect(dialog, nullptr, TRUE);
}

SIZE DialogLayout::DialogSize() const {
    const RECT size = Map(DialogUnitsRect{0, 0, layout.rect.cx, layout.rect.cy});
    return SIZE{size.right, size.bottom};
}

RECT DialogLayout::ItemRect(int id) const {
    for (const auto& item : layout.items)
        if (item.id == id) return Map(item.rect);
    return RECT{};
}

}  // namespace wingui
