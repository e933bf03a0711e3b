#include "Dialog.h"

namespace wingui {

Dialog::Dialog(int templateId, HINSTANCE instance)
    : templateId(templateId), instance(instance ? instance : GetModuleHandleW(nullptr)) {}

Dialog::~Dialog() {
    if (hwnd && !modal && IsWindow(hwnd)) DestroyWindow(hwnd);
}

INT_PTR Dialog::DoModal(HWND parent) {
    modal = true;
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), parent, StaticProc, reinterpret_cast<LPARAM>(this));
}

HWND Dialog::Create(HWND parent) {
    modal = false;
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, StaticProc,
                              reinterpret_cast<LPARAM>(this));
}

void Dialog::End(INT_PTR result) {
    if (!hwnd) return;
    if (modal)
        EndDialog(hwnd, result);
    else
        DestroyWindow(hwnd);
}

bool Dialog::OnCommand(int, int, HWND) { return false; }

bool Dialog::OnNotify(NMHDR*, LRESULT&) { return false; }

INT_PTR Dialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), result)) return FALSE;
            SetResult(result);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void Dialog::LayOut() {
    if (!layout.IsLoaded()) {
        if (!layout.Load(instance, templateId)) return;
        TakeOverDpiChanges(hwnd);
    }
    layout.Apply(hwnd, scale);
    // The client area takes the template's size at the scale; the frame around it is the system's.
    RECT window = {}, client = {};
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    const SIZE size = layout.DialogSize();
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx + (window.right - window.left) - client.right,
                 size.cy + (window.bottom - window.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR Dialog::Dispatch(Dialog* dialog, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!dialog) return FALSE;
    if (message == WM_INITDIALOG) {
        dialog->hwnd = window;
        if (dialog->scaling) {
            dialog->scale = WindowScale(window);
            dialog->LayOut();
        }
    }
    if (message == WM_DPICHANGED && dialog->scaling) {
        dialog->scale.dpi = HIWORD(wParam);
        MoveToSuggestedRect(window, lParam);
        dialog->LayOut();
        dialog->OnScaleChanged();
        return TRUE;
    }
    INT_PTR result = dialog->DialogProc(message, wParam, lParam);
    // A centred dialog that was laid out for its scale (and sized itself while it started) is
    // centred again at its final size: left where the system put its template-sized frame, it
    // could reach past the edge of the screen.
    if (message == WM_INITDIALOG && dialog->scaling && (GetWindowLongW(window, GWL_STYLE) & DS_CENTER))
        CentreInWorkArea(window);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->hwnd = nullptr;
    }
    return result;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
    return Dispatch(reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER)), window, message, wParam, lParam);
}

}  // namespace wingui
