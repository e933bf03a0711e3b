#pragma once
// A window handle with an object behind it. Attaching subclasses the window (the object is the
// subclass's reference data), so the object sees every message first in its virtual WindowProc
// and passes what it does not handle down the chain with DefaultProc.

#include <windows.h>

#include <string>

namespace wingui {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Hwnd() const { return hwnd; }
    // Subclasses the window; false when it is not a window or already attached elsewhere.
    bool Attach(HWND window);
    // Removes the subclass; the window keeps existing.
    void Detach();

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(hwnd, message, wParam, lParam);
    }
    void SetText(const std::wstring& text) const { SetWindowTextW(hwnd, text.c_str()); }
    std::wstring GetText() const;
    void Show(bool show) const { ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE); }
    void Enable(bool enable) const { EnableWindow(hwnd, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return IsWindowEnabled(hwnd) != FALSE; }
    bool IsVisible() const { return IsWindowVisible(hwnd) != FALSE; }
    int GetId() const { return GetDlgCtrlID(hwnd); }
    RECT ClientRect() const;
    void SetFont(HFONT font, bool redraw = true) const {
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
    void Invalidate(bool erase = true) const { InvalidateRect(hwnd, nullptr, erase ? TRUE : FALSE); }

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The next procedure of the subclass chain.
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    HWND hwnd = nullptr;
    bool subclassed = false;
};

// The text of any window.
std::wstring WindowText(HWND window);

}  // namespace wingui
