#pragma once
// One page of a property sheet or wizard: a dialog template whose property-sheet notifications
// become virtual calls. The page object travels to its window as the page's lParam.

#include <windows.h>
#include <prsht.h>

#include "Dialog.h"

namespace wingui {

class PropertySheetWindow;

class PropertyPage : public Dialog {
public:
    // flags: extra PSP_ flags (PSP_HIDEHEADER for a page that paints its own header).
    explicit PropertyPage(int templateId, DWORD flags = 0, HINSTANCE instance = nullptr);

    // Creates the page handle that the sheet adds; the sheet owns it from then on.
    HPROPSHEETPAGE CreatePage();

    PropertySheetWindow* GetSheet() const { return sheet; }
    void SetSheet(PropertySheetWindow* owner) { sheet = owner; }

protected:
    // Return true to accept the activation; false keeps the previous page (or skips this one).
    virtual bool OnSetActive() { return true; }
    // Return true when the page may be left.
    virtual bool OnKillActive() { return true; }
    // 0 goes on, -1 stays, any other value is the template id of the page to go to.
    virtual LRESULT OnWizardNext() { return 0; }
    virtual LRESULT OnWizardBack() { return 0; }
    // true lets the sheet close.
    virtual bool OnWizardFinish() { return true; }
    // true allows the sheet to be cancelled.
    virtual bool OnQueryCancel() { return true; }
    virtual void OnReset() {}

    bool OnNotify(NMHDR* header, LRESULT& result) override;

private:
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    DWORD flags;
    PropertySheetWindow* sheet = nullptr;
};

}  // namespace wingui
