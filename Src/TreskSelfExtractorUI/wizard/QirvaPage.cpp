#include "wizard/QirvaPage.h"

#include "WinGui/Gdi.h"
#include "WinGui/Window.h"
#include "package/UiText.h"
#include "res/WizardResources.h"
#include "res/resource.h"
#include "wizard/Artwork.h"
#include "wizard/ButtonFace.h"
#include "wizard/FittedText.h"
#include "wizard/QirvaSheet.h"
#include "wizard/WizardColours.h"
#include "wizard/WizardPaint.h"

CQirvaPage::CQirvaPage(CQirvaSheet& sheet, int templateId, WizardPageKind kind)
    : PropertyPage(templateId, PSP_HIDEHEADER), sheet(sheet), kind(kind) {}

BOOL CQirvaPage::OnInitDialog() {
    if (sheet.IsInitialised()) {
        // The page's start-up may ask for the password; a cancel there is this page's cancel.
        sheet.OnPageActivated(this);
        ApplyScale();
        InitPage();
        DescribeForScreenReaders();
    }
    return TRUE;
}

void CQirvaPage::DescribeForScreenReaders() {
    if (described || !Hwnd()) return;
    described = true;
    accessible.Describe(Hwnd());
}

void CQirvaPage::ApplyScale() {
    if (!Hwnd()) return;
    if (!layout.IsLoaded()) {
        layout.Load(GetModuleHandleW(nullptr), TemplateId());
        wingui::TakeOverDpiChanges(Hwnd());
    }
    layout.Apply(Hwnd(), sheet.Scale());
    sheet.PlacePage(this);
    const CWizardContext& context = sheet.Context();
    for (const auto& [id, title] : titleFontControls)
        SendDlgItemMessageW(Hwnd(), id, WM_SETFONT, reinterpret_cast<WPARAM>(title ? context.titleFont : context.lightFont),
                            FALSE);
    // The templates' picture controls show the program's pictures for the scale.
    if (Item(IDC_PAGE_PICTURE) && !pictures.count(IDC_PAGE_PICTURE)) pictures[IDC_PAGE_PICTURE] = IDB_HEADING;
    if (Item(IDC_REQUIREMENTS_PICTURE) && !pictures.count(IDC_REQUIREMENTS_PICTURE))
        pictures[IDC_REQUIREMENTS_PICTURE] = IDB_REQUIREMENTS;
    for (const auto& picture : pictures) ShowPicture(picture.first);
    for (const auto& [id, entry] : fittedTexts) FitAgain(id, entry);
    OnScaleChanged();
    RepaintArea();
}

void CQirvaPage::SetPicture(int controlId, int bitmapId) {
    pictures[controlId] = bitmapId;
    ShowPicture(controlId);
}

void CQirvaPage::ShowPicture(int controlId) {
    HWND control = Item(controlId);
    auto found = pictures.find(controlId);
    if (!control || found == pictures.end()) return;
    // High contrast shows no pictures: they are decoration, and their colours are not the user's.
    const WizardColours colours = CurrentWizardColours();
    ShowWindow(control, colours.drawPictures ? SW_SHOW : SW_HIDE);
    wingui::Bitmap bitmap(LoadArtBitmap(found->second, sheet.Scale(), colours.pageBackground));
    if (!bitmap) return;
    HBITMAP previous = reinterpret_cast<HBITMAP>(
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.Get())));
    // The template's own bitmap is handed back once and deleted here; the ones made here are
    // deleted by their owner.
    auto mine = pictureBitmaps.find(controlId);
    if (previous && (mine == pictureBitmaps.end() || mine->second.Get() != previous)) {
        wingui::Bitmap templateBitmap(previous);
    }
    pictureBitmaps[controlId] = std::move(bitmap);
}

void CQirvaPage::FitAgain(int id, const FittedText& entry) {
    HWND control = Item(id);
    if (!control) return;
    if (entry.withValue)
        SetFittedControlTextWithValue(control, entry.text, entry.placeholder, entry.value, entry.variant);
    else
        SetFittedControlText(control, entry.text, entry.variant, entry.mode);
}

bool CQirvaPage::OnSetActive() {
    if (sheet.IsInitialised()) {
        // The sheet places a page it has just created where its own layout wants it; the page
        // area is the wizard's.
        sheet.PlacePage(this);
        sheet.OnPageActivated(this);
        ActivatePage();
    }
    return true;
}

bool CQirvaPage::IsFirstPage() const { return sheet.IsFirstPage(this); }

INT_PTR CQirvaPage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Texts, check boxes and radio buttons show the page beneath them; the page draws its skinned buttons.
    INT_PTR chrome = 0;
    if (HandleSkinnedDialogChrome(Hwnd(), message, wParam, lParam, chrome)) return chrome;
    switch (message) {
        case WM_PAINT: {
            wingui::PaintDC paint(Hwnd());
            RECT client = {};
            GetClientRect(Hwnd(), &client);
            sheet.PaintBand(paint.Get(), client);
            PaintPage(paint.Get(), client);
            return TRUE;
        }
        case WM_HELP:
            return TRUE;
        default:
            return PropertyPage::DialogProc(message, wParam, lParam);
    }
}

void CQirvaPage::SetFittedText(int id, const std::wstring& text, TextFitVariant variant, int mode) {
    if (!Item(id)) return;
    FittedText entry;
    entry.text = text;
    entry.variant = variant;
    entry.mode = mode;
    KeepFitted(id, std::move(entry));
}

void CQirvaPage::SetFittedUiText(int id, int textId, TextFitVariant variant) { SetFittedText(id, GetText(textId), variant); }

void CQirvaPage::SetFittedUiTextWithValue(int id, int textId, const std::wstring& placeholder, const std::wstring& value,
                                          TextFitVariant variant) {
    if (!Item(id)) return;
    FittedText entry;
    entry.text = GetText(textId);
    entry.variant = variant;
    entry.withValue = true;
    entry.placeholder = placeholder;
    entry.value = value;
    KeepFitted(id, std::move(entry));
}

void CQirvaPage::KeepFitted(int id, FittedText entry) {
    FitAgain(id, entry);
    fittedTexts[id] = std::move(entry);
    RepaintArea();
}

void CQirvaPage::RepaintArea() const {
    if (Hwnd()) RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CQirvaPage::SetDefaultButton(int id) const {
    if (Hwnd()) SendMessageW(Hwnd(), DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

void CQirvaPage::SetControlFont(int id, HFONT font) {
    if (!font) return;
    titleFontControls[id] = font == sheet.Context().titleFont;
    SendDlgItemMessageW(Hwnd(), id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}
