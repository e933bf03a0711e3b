#pragma once
// What every wizard page shares: the light-grey background with transparent texts, the top band
// image with the package title, the fitted text setters, and the hook by which its initialisation
// and activation run only once the sheet's own buttons exist.

#include <windows.h>

#include <string>

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

protected:
    BOOL OnInitDialog() override;
    bool OnSetActive() override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Paints what the page draws beyond the background and the band.
    virtual void PaintPage(HDC /*dc*/, const RECT& /*client*/) {}

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
    void SetControlFont(int id, HFONT font) const;

    CQirvaSheet& sheet;

private:
    WizardPageKind kind;
};
