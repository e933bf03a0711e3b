#include "app/AppMessageBox.h"

#include "package/UiText.h"

namespace {

// Filled before each box and emptied after it; read by the creation hook.
std::map<int, std::wstring> g_buttonCaptions;
HHOOK g_hook = nullptr;
HWND g_owner = nullptr;
HWND g_mainWindow = nullptr;
std::wstring g_caption;

LRESULT CALLBACK CaptionHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        const struct {
            int id;
            int builtIn;
        } buttons[] = {{IDYES, 702}, {IDOK, 405}, {IDNO, 704}, {IDCANCEL, 406}};
        for (const auto& button : buttons) {
            HWND control = GetDlgItem(box, button.id);
            if (!control) continue;
            auto found = g_buttonCaptions.find(button.id);
            std::wstring caption = found != g_buttonCaptions.end() ? found->second : GetBuiltInText(button.builtIn);
            SetWindowTextW(control, caption.c_str());
        }
        LRESULT result = CallNextHookEx(g_hook, code, wParam, lParam);
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
        return result;
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

UINT MessageBoxShownType(UINT requestedType) {
    switch (requestedType) {
        case MB_OK: return MB_OK | MB_ICONEXCLAMATION;
        case MB_OKCANCEL: return MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
        case MB_YESNOCANCEL: return MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3;
        case MB_YESNO: return MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
        case MB_OKCANCEL | MB_ICONERROR: return MB_OKCANCEL | MB_ICONERROR | MB_DEFBUTTON2;
        case MB_YESNO | MB_ICONEXCLAMATION: return MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
        default: return requestedType;
    }
}

std::map<int, int> MessageBoxCaptionTexts(UINT requestedType) {
    switch (requestedType) {
        case MB_OK:
        case MB_OK | MB_ICONERROR: return {{IDOK, 405}};
        case MB_OKCANCEL:
        case MB_OKCANCEL | MB_ICONERROR: return {{IDOK, 405}, {IDCANCEL, 406}};
        case MB_YESNO:
        case MB_YESNO | MB_ICONEXCLAMATION: return {{IDYES, 702}, {IDNO, 704}};
        default: return {};
    }
}

void SetMessageBoxOwner(HWND owner) {
    g_owner = owner;
}

void SetMessageBoxMainWindow(HWND window) { g_mainWindow = window; }

void SetMessageBoxCaption(const std::wstring& caption) { g_caption = caption; }

int AppMessageBox(const std::wstring& text, UINT requestedType) {
    for (const auto& caption : MessageBoxCaptionTexts(requestedType)) g_buttonCaptions[caption.first] = GetText(caption.second);
    HWND owner = g_owner && IsWindow(g_owner) ? g_owner : (g_mainWindow && IsWindow(g_mainWindow) ? g_mainWindow : nullptr);
    if (!owner) owner = GetActiveWindow();
    g_hook = SetWindowsHookExW(WH_CBT, CaptionHook, nullptr, GetCurrentThreadId());
    int result = MessageBoxW(owner, text.c_str(), g_caption.c_str(), MessageBoxShownType(requestedType));
    if (g_hook) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
    g_buttonCaptions.clear();
    return result;
}
