#pragma once
// What every wizard page shares: the light-grey background with transparent texts, the top band
// image with the package title, the fitted text setters, and the hook by which its initialisation
// and activation run only once the sheet's own buttons exist.

#include <windows.h>

#include <map>
#include <string>

#include "WinGui/Accessible.h"
#include "WinGui/DialogLayout.h"
#include "WinGui/Gdi.h"
#include "WinGui/PropertyPage.h"
#include "wizard/PageChoice.h"
#include "wizard/TextFitting.h"

class CQirvaSheet;

class CQirvaPage : public wingui::PropertyPage {
public:
    CQirvaPage(CQirvaSheet& sheet, int templateId, WizardPageKind kind);
    WizardPageKind Kind() const { return kind; }

    // Initialisation (once the page and the sheet's buttons exist) and activation (each visit).
    virtual void InitPage() {}
    virtual void ActivatePage() {}
    // A key the sheet has just handled while this page is active.
    virtual void AfterSheetKey(const MSG& /*message*/) {}
    // The sheet moved the focus look to one of its navigation buttons.
    virtual void OnNavigationFocus() {}

    // Lays the page out for the sheet's display scale and colours: the template's controls, the
    // fonts the page gave its controls, its pictures and its fitted texts. Runs when the page is
    // created and whenever the sheet's scale or colours change.
    void ApplyScale();
    // Tells screen readers the page's check states, labels and values (once, after the page started).
    void DescribeForScreenReaders();

protected:
    BOOL OnInitDialog() override;
    bool OnSetActive() override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Paints what the page draws beyond the background and the band.
    virtual void PaintPage(HDC /*dc*/, const RECT& /*client*/) {}
    // What a page does beyond the common part when its scale changes: the controls it made itself.
    virtual void OnScaleChanged() {}
    // Shows one of the program's pictures in a picture control, drawn for the page's scale.
    void SetPicture(int controlId, int bitmapId);

    bool IsFirstPage() const;
    // Sets a control's text shortened to the control with "..." (a variant of the text fitting).
    void SetFittedText(int id, const std::wstring& text, TextFitVariant variant = FIT_PAGE, int mode = FIT_KEEP_START);
    void SetFittedUiText(int id, int textId, TextFitVariant variant = FIT_PAGE);
    // Sets a UI text with its placeholder replaced by value, the value shortened first where the
    // whole text would not fit.
    void SetFittedUiTextWithValue(int id, int textId, const std::wstring& placeholder, const std::wstring& value,
                                  TextFitVariant variant = FIT_PAGE);
    // The page's texts are transparent: a changed text needs the page beneath it redrawn.
    void RepaintArea() const;
    void SetDefaultButton(int id) const;
    // Gives a control the wizard's title or light font; it keeps that font at every scale.
    void SetControlFont(int id, HFONT font);

    CQirvaSheet& sheet;
    wingui::AccessibleControls accessible;

private:
    bool described = false;
    // A text set shortened to its control, kept so it can be fitted again at another scale.
    struct FittedText {
        std::wstring text;
        TextFitVariant variant = FIT_PAGE;
        int mode = FIT_KEEP_START;
        bool withValue = false;  // text is a template whose placeholder takes value
        std::wstring placeholder, value;
    };
    void FitAgain(int id, const FittedText& entry);
    // Fits the text to its control now and keeps it, so a change of scale fits it again.
    void KeepFitted(int id, FittedText entry);
    void ShowPicture(int controlId);

    WizardPageKind kind;
    wingui::DialogLayout layout;
    std::map<int, FittedText> fittedTexts;
    std::map<int, bool> titleFontControls;  // control -> it has the title font (else the light font)
    std::map<int, int> pictures;            // control -> bitmap id
    std::map<int, wingui::Bitmap> pictureBitmaps;
};
