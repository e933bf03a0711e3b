#pragma once
// A property sheet or wizard run modally by its own message loop, so the object can look at every
// message first (PreTranslateMessage) and the sheet window is subclassed for its own procedure.

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "PropertyPage.h"
#include "Window.h"

namespace wingui {

class PropertySheetWindow : public Window {
public:
    PropertySheetWindow() = default;
    ~PropertySheetWindow() override;

    // Pages are shown in the order added; the sheet does not own the page objects.
    void AddPage(PropertyPage* page);
    // Removes a page: from the running sheet, or from the list before it runs.
    void RemovePage(PropertyPage* page);
    const std::vector<PropertyPage*>& Pages() const { return pages; }

    // Runs the sheet modally with the given PSH_ flags (PSH_WIZARD97, ...). Returns the result
    // given to EndModal, or IDOK when the sheet finished and IDCANCEL when it was cancelled.
    INT_PTR DoModal(HWND owner, const std::wstring& caption, DWORD flags);
    // Ends the modal run with result after the current message.
    void EndModal(INT_PTR result);
    // The result the modal run returns when it ends by the sheet's own buttons.
    void SetModalResult(INT_PTR result) {
        modalResult = result;
        resultGiven = true;
    }
    bool IsRunning() const { return running; }

    // PSBTN_BACK, PSBTN_NEXT, PSBTN_FINISH, PSBTN_CANCEL.
    void PressButton(int button) const { PostMessageW(Hwnd(), PSM_PRESSBUTTON, button, 0); }
    void SetActivePage(PropertyPage* page);
    PropertyPage* GetActivePage() const;
    // Index among the pages now in the sheet; -1 when not there.
    int GetPageIndex(const PropertyPage* page) const;
    int GetPageCount() const { return static_cast<int>(pages.size()); }
    // The page's display rectangle in the sheet's client coordinates.
    RECT ActivePageRect() const;

protected:
    // The sheet window exists and is subclassed; its first page is not necessarily created yet.
    virtual void OnInitialized() {}
    // Before the sheet window is created: the template may be changed (its font, say).
    virtual void OnPreCreate(DLGTEMPLATE* /*dialogTemplate*/) {}
    // Every message of the modal loop, before the dialog manager; true when consumed.
    virtual bool PreTranslateMessage(MSG& /*message*/) { return false; }

private:
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);

    std::vector<PropertyPage*> pages;
    bool running = false;
    bool ended = false;
    INT_PTR modalResult = IDCANCEL;
    bool resultGiven = false;
};

}  // namespace wingui
