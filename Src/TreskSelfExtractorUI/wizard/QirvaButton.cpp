#include "wizard/QirvaButton.h"

#include <algorithm>

#include "res/resource.h"
#include "wizard/NavigationLayout.h"
#include "wizard/WizardColours.h"

#include <windowsx.h>
#include <oleacc.h>

#include <vector>

#include "app/WorkerMessages.h"

namespace {

const wchar_t* const kObjectProperty = L"TreskQirvaButton";

// The ids whose release is reported to the owner; any other skinned button ignores clicks.
bool ReportsClicks(int id) {
    switch (id) {
        case NAV_CANCEL_ID:  // also the prompts' Cancel
        case IDC_DIRCHANGE_BROWSE:
        case PROMPT_YES_ID:
        case PROMPT_YES_TO_ALL_ID:
        case PROMPT_NO_ID:
        case PROMPT_NO_TO_ALL_ID:
        case NAV_BACK_ID:
        case NAV_NEXT_ID:
        case NAV_FINISH_ID:
            return true;
        default:
            return false;
    }
}

// The tile as a top-down 32-bit device-independent bitmap.
HBITMAP TileBitmap(HDC reference, const ButtonTile& tile) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = tile.side;
    info.bmiHeader.biHeight = -tile.side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    auto* pixels = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < tile.pixels.size(); ++i) {
        uint32_t colour = tile.pixels[i];  // 0x00BBGGRR
        pixels[i] = (static_cast<uint32_t>(ColourRed(colour)) << 16) | (static_cast<uint32_t>(ColourGreen(colour)) << 8) |
                    static_cast<uint32_t>(ColourBlue(colour));
    }
    return bitmap;
}

}  // namespace

CQirvaButton::CQirvaButton(const std::wstring& caption, HWND owner)
    : caption(caption), owner(owner), buttonFont(wingui::CreateSimpleFont(L"Tahoma", 15, 400)) {}

CQirvaButton::~CQirvaButton() {
    if (Hwnd()) {
        RemovePropW(Hwnd(), kObjectProperty);
        HWND window = Hwnd();
        Detach();
        DestroyWindow(window);
    }
}

void CQirvaButton::SetScale(const wingui::DisplayScale& scale) {
    scaleDpi = scale.FontDpi();
    wingui::Font font(wingui::CreateScaledFont(L"Tahoma", 15, 400, scale));
    if (!font) return;
    // The caption's font is replaced once the button no longer shows the old one.
    if (Hwnd()) SetFont(font.Get(), false);
    buttonFont = std::move(font);
    redrawNeeded = true;
    if (Hwnd()) Invalidate(false);
}

bool CQirvaButton::Create(HWND parent, int id, const RECT& rect, bool visible) {
    DWORD style = WS_CHILD | WS_TABSTOP | BS_OWNERDRAW | (visible ? WS_VISIBLE : 0);
    HWND button = CreateWindowExW(0, L"BUTTON", caption.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (!button || !Attach(button)) return false;
    SetPropW(button, kObjectProperty, this);
    SetFont(buttonFont.Get(), false);
    // Drawn by the program, it is still a push button named by its caption for screen readers.
    accessibleFacts.role = ROLE_SYSTEM_PUSHBUTTON;
    wingui::MakeAccessible(button, &accessibleFacts);
    return true;
}

CQirvaButton* CQirvaButton::FromHandle(HWND window) {
    return window ? static_cast<CQirvaButton*>(GetPropW(window, kObjectProperty)) : nullptr;
}

void CQirvaButton::SetEnabledLook(int enabled) {
    look.enabledLook = enabled;
    redrawNeeded = true;
}

void CQirvaButton::SetCaption(const std::wstring& text) {
    if (text == caption) return;
    caption = text;
    if (Hwnd()) SetWindowTextW(Hwnd(), caption.c_str());  // keeps the mnemonic working for the dialog manager
    redrawNeeded = true;
}

void CQirvaButton::Refresh() {
    if (!Hwnd()) return;
    POINT cursor = {};
    if (GetCursorPos(&cursor) && WindowFromPoint(cursor) == Hwnd()) {
        ApplyHoverLook();
    } else if (focusLook == 1) {
        ApplyFocusLook();
    } else {
        ApplyNormalLook(keepWhiteFace == 1 ? BUTTON_WHITE_FACE : 0);
    }
}

void CQirvaButton::RedrawNow() const {
    if (Hwnd()) RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CQirvaButton::ApplyNormalLook(COLORREF face) {
    tracking = 0;
    redrawNeeded = true;
    ::ApplyNormalLook(look, face);
    RedrawNow();
}

void CQirvaButton::ApplyHoverLook() {
    redrawNeeded = true;
    ::ApplyHoverLook(look);
    RedrawNow();
}

void CQirvaButton::ApplyFocusLook() {
    redrawNeeded = true;
    ::ApplyFocusLook(look);
    RedrawNow();
}

LRESULT CQirvaButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, Hwnd(), 0};
            TrackMouseEvent(&track);
            POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            RECT client = ClientRect();
            if (!PtInRect(&client, point) || tracking == 1) {
                ReleaseCapture();
            } else {
                tracking = 1;
                SetCapture(Hwnd());
                ApplyHoverLook();
            }
            return DefaultProc(message, wParam, lParam);
        }
        case WM_MOUSELEAVE:
            tracking = 0;
            if (focusLook == 1)
                ApplyFocusLook();
            else
                ApplyNormalLook(keepWhiteFace == 1 ? BUTTON_WHITE_FACE : 0);
            return 0;
        case WM_MOUSEHOVER:
            ApplyHoverLook();
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != Hwnd()) redrawNeeded = true;
            return DefaultProc(message, wParam, lParam);
        case WM_LBUTTONUP: {
            // The platform's own release handling is skipped, so its click notification never
            // comes: the owner hears of the click only through WM_SKIN_BUTTON_CLICK.
            if (GetCapture() == Hwnd()) ReleaseCapture();
            Send(BM_SETSTATE, FALSE, 0);
            int id = GetId();
            if (!ReportsClicks(id)) return 0;
            return SendMessageW(owner, WM_SKIN_BUTTON_CLICK, static_cast<WPARAM>(id), 0);
        }
        case WM_ERASEBKGND:
            return 1;  // the face covers the whole button
        default:
            return DefaultProc(message, wParam, lParam);
    }
}

void CQirvaButton::RenderPlainFace(HDC face, int width, int height, const WizardColours& colours) {
    // High contrast: a plain button in the user's colours, framed, with a thicker frame in the
    // highlight colour and the dotted focus rectangle when it has the focus look.
    RECT area = {0, 0, width, height};
    wingui::Brush fill(CreateSolidBrush(colours.buttonFace));
    FillRect(face, &area, fill.Get());
    const bool focused = focusLook == 1 || look.hot == 1;
    const int thickness = std::max(1, MulDiv(focused ? 2 : 1, scaleDpi, 96));
    wingui::Brush frame(CreateSolidBrush(focused ? colours.focusFrame : colours.buttonFrame));
    for (int i = 0; i < thickness; ++i) {
        RECT edge = {i, i, width - i, height - i};
        FrameRect(face, &edge, frame.Get());
    }
    if (focusLook == 1) {
        RECT inner = {thickness + 2, thickness + 2, width - thickness - 2, height - thickness - 2};
        SetTextColor(face, colours.buttonText);
        SetBkColor(face, colours.buttonFace);
        DrawFocusRect(face, &inner);
    }
    SetBkMode(face, TRANSPARENT);
    SetTextColor(face, look.enabledLook == 1 ? colours.buttonText : colours.buttonDisabledText);
    wingui::SelectObjectScope selectFont(face, buttonFont.Get());
    DrawTextW(face, caption.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_TABSTOP);
}

void CQirvaButton::RenderFace(HDC reference, int width, int height) {
    faceCache.Reset(CreateCompatibleBitmap(reference, width, height));
    if (!faceCache) {
        cachedRect = RECT{};
        return;
    }
    wingui::MemoryDC face(reference);
    wingui::SelectObjectScope selectFace(face.Get(), faceCache.Get());
    const WizardColours colours = CurrentWizardColours();
    cachedHighContrast = colours.highContrast;
    if (colours.highContrast) {
        RenderPlainFace(face.Get(), width, height, colours);
        return;
    }
    ButtonTile tile = RenderButtonTile(look);
    wingui::Bitmap tileBitmap(TileBitmap(reference, tile));
    if (tileBitmap) {
        wingui::MemoryDC tileDc(reference);
        wingui::SelectObjectScope selectTile(tileDc.Get(), tileBitmap.Get());
        SetStretchBltMode(face.Get(), COLORONCOLOR);
        for (const ButtonSlice& slice : ButtonNineSlices(tile.side, look.cornerSize, width, height))
            StretchBlt(face.Get(), slice.destination.left, slice.destination.top, slice.destination.width,
                       slice.destination.height, tileDc.Get(), slice.source.left, slice.source.top, slice.source.width,
                       slice.source.height, SRCCOPY);
    }
    RECT area = {0, 0, width, height};
    SetBkMode(face.Get(), TRANSPARENT);
    SetTextColor(face.Get(), ButtonTextColour(look.enabledLook));
    wingui::SelectObjectScope selectFont(face.Get(), buttonFont.Get());
    DrawTextW(face.Get(), caption.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_TABSTOP);
}

void CQirvaButton::DrawItem(const DRAWITEMSTRUCT& item) {
    const RECT& rect = item.rcItem;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (!EqualRect(&rect, &cachedRect) || redrawNeeded || !faceCache || cachedHighContrast != HighContrastWanted()) {
        cachedRect = rect;
        redrawNeeded = false;
        RenderFace(item.hDC, width, height);
    }
    if (!faceCache) return;
    wingui::MemoryDC face(item.hDC);
    wingui::SelectObjectScope select(face.Get(), faceCache.Get());
    BitBlt(item.hDC, rect.left, rect.top, width, height, face.Get(), 0, 0, SRCCOPY);
}
