#include "Window.h"

#include <commctrl.h>

#include <vector>

namespace wingui {

namespace {
constexpr UINT_PTR kSubclassId = 0x7157;
}

Window::~Window() { Detach(); }

bool Window::Attach(HWND window) {
    if (!IsWindow(window) || subclassed) return false;
    if (!SetWindowSubclass(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    hwnd = window;
    subclassed = true;
    return true;
}

void Window::Detach() {
    if (subclassed && IsWindow(hwnd)) RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    subclassed = false;
    hwnd = nullptr;
}

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int copied = GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

std::wstring Window::GetText() const { return WindowText(hwnd); }

RECT Window::ClientRect() const {
    RECT rect = {};
    GetClientRect(hwnd, &rect);
    return rect;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
    auto* object = reinterpret_cast<Window*>(self);
    if (message == WM_NCDESTROY) {
        // The window is going: detach first, so the object never sees a dead handle.
        RemoveWindowSubclass(window, SubclassProc, kSubclassId);
        object->subclassed = false;
        object->hwnd = nullptr;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return object->WindowProc(message, wParam, lParam);
}

}  // namespace wingui
