#pragma once
// A dialog from a template, modal or modeless, whose messages reach virtual handlers of the object.

#include <windows.h>

#include <string>

#include "DialogLayout.h"
#include "Dpi.h"

namespace wingui {

class Dialog {
public:
    explicit Dialog(int templateId, HINSTANCE instance = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; returns what End was given (or -1 when it could not be created).
    INT_PTR DoModal(HWND parent);
    // Creates the dialog modeless; null on failure.
    HWND Create(HWND parent);
    // Ends a modal dialog with the result, or destroys a modeless one.
    void End(INT_PTR result);

    HWND Hwnd() const { return hwnd; }
    HWND Item(int id) const { return GetDlgItem(hwnd, id); }
    int TemplateId() const { return templateId; }
    bool IsModal() const { return modal; }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Returns true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // Returns true when handled; result is the message result.
    virtual bool OnNotify(NMHDR* header, LRESULT& result);
    // Every message; the default dispatches to the handlers above. Returns FALSE for messages the
    // dialog manager should handle.
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The result of the message being handled (DWLP_MSGRESULT).
    void SetResult(LRESULT result) const { SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result); }
    HINSTANCE Instance() const { return instance; }

    // Lays the dialog out from its template for the display scale of its monitor when it is
    // created, and again when WM_DPICHANGED moves it to another; call before it is created.
    void ScaleWithMonitor() { scaling = true; }
    const DisplayScale& Scale() const { return scale; }
    // The dialog was laid out again for a new scale: what it made itself follows here.
    virtual void OnScaleChanged() {}

    // Binds the object to its window; used by the static procedures.
    static INT_PTR Dispatch(Dialog* dialog, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Lays the template's controls out for the scale and gives the dialog the template's size.
    void LayOut();

    int templateId;
    HINSTANCE instance;
    HWND hwnd = nullptr;
    bool modal = false;
    bool scaling = false;
    DisplayScale scale;
    DialogLayout layout;
};

}  // namespace wingui
