#include "WizardDriver.h"

#include <prsht.h>

#include "ProgramProcess.h"

namespace {

std::wstring TextOf(HWND window) {
    wchar_t text[2048] = {};
    GetWindowTextW(window, text, 2048);
    return text;
}

// The sheet is the one window with the skinned Finish button among its children.
HWND OwnerDrawnChild(HWND parent, int id) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) != id) continue;
        if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) return child;
    }
    return nullptr;
}

// The sheet is the one window whose children include its pages (dialogs themselves).
bool IsSheet(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (wcscmp(name, L"#32770") == 0) return true;
    }
    return false;
}

BOOL CALLBACK AppendText(HWND child, LPARAM parameter) {
    auto* all = reinterpret_cast<std::wstring*>(parameter);
    std::wstring text = TextOf(child);
    if (!text.empty()) *all += L"\n" + text;
    return TRUE;
}

}  // namespace

WizardDriver::WizardDriver(const std::wstring& exePath, const std::wstring& arguments) {
    PROCESS_INFORMATION info;
    if (!StartProgram(exePath, arguments, info)) return;
    CloseHandle(info.hThread);
    process = info.hProcess;
    processId = info.dwProcessId;
}

WizardDriver::~WizardDriver() {
    if (!process) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 999);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}

HWND WizardDriver::Sheet(DWORD timeoutMs) {
    if (sheet && IsWindow(sheet)) return sheet;
    WaitUntil(
        [&] {
            for (HWND window : VisibleTopLevelWindows(processId))
                if (IsSheet(window)) sheet = window;
            return sheet != nullptr || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        },
        timeoutMs);
    return sheet;
}

HWND WizardDriver::PageItem(int controlId) {
    HWND window = Sheet(0);
    if (!window) return nullptr;
    DWORD_PTR page = 0;
    if (!SendMessageTimeoutW(window, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 2000, &page) || !page) return nullptr;
    return GetDlgItem(reinterpret_cast<HWND>(page), controlId);
}

bool WizardDriver::WaitForPage(int controlId, DWORD timeoutMs) {
    if (!Sheet(timeoutMs)) return false;
    // The page, and the sheet's own buttons, which it creates once its first page is up.
    return WaitUntil([&] { return PageItem(controlId) != nullptr && Button(12325) != nullptr; }, timeoutMs);
}

std::wstring WizardDriver::PageText(int controlId) {
    HWND item = PageItem(controlId);
    return item ? TextOf(item) : std::wstring();
}

HWND WizardDriver::Button(int id) {
    HWND window = Sheet(0);
    return window ? OwnerDrawnChild(window, id) : nullptr;
}

std::wstring WizardDriver::ButtonText(int id) {
    HWND button = Button(id);
    return button ? TextOf(button) : std::wstring();
}

bool WizardDriver::ButtonEnabled(int id) {
    HWND button = Button(id);
    return button && IsWindowEnabled(button);
}

bool WizardDriver::ButtonVisible(int id) {
    HWND button = Button(id);
    return button && IsWindowVisible(button);
}

bool WizardDriver::WaitForButtonText(int id, const std::wstring& text, DWORD timeoutMs) {
    return WaitUntil([&] { return ButtonText(id) == text; }, timeoutMs);
}

bool WizardDriver::WaitForButtonEnabled(int id, bool enabled, DWORD timeoutMs) {
    return WaitUntil([&] { return ButtonEnabled(id) == enabled; }, timeoutMs);
}

void WizardDriver::Click(int id) {
    if (HWND button = Button(id)) PostMessageW(button, BM_CLICK, 0, 0);
}

void WizardDriver::ClickPageControl(int controlId) {
    if (HWND control = PageItem(controlId)) PostMessageW(control, BM_CLICK, 0, 0);
}

void WizardDriver::SetPageText(int controlId, const std::wstring& text) {
    if (HWND control = PageItem(controlId)) SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                                                SMTO_ABORTIFHUNG, 5000, nullptr);
}

void WizardDriver::PressKey(UINT virtualKey) {
    HWND window = Sheet(0);
    if (!window) return;
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
}

void WizardDriver::CloseByMouse() {
    if (HWND window = Sheet(0)) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(10, 10));
}

HWND WizardDriver::WaitForDialog(DWORD timeoutMs, HWND except) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : VisibleTopLevelWindows(processId))
                if (!IsSheet(window) && window != except) found = window;
            return found != nullptr || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        },
        timeoutMs);
    return found;
}

bool WizardDriver::NoDialogWithin(DWORD timeoutMs, HWND except) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        for (HWND window : VisibleTopLevelWindows(processId))
            if (!IsSheet(window) && window != except) return false;
        Sleep(50);
    }
    return true;
}

std::wstring WizardDriver::DialogText(HWND dialog) {
    std::wstring all = TextOf(dialog);
    EnumChildWindows(dialog, AppendText, reinterpret_cast<LPARAM>(&all));
    return all;
}

void WizardDriver::Answer(HWND dialog, int commandId) { PostMessageW(dialog, WM_COMMAND, commandId, 0); }

void WizardDriver::ClickDialogButton(HWND dialog, int id) {
    if (HWND button = GetDlgItem(dialog, id)) PostMessageW(button, BM_CLICK, 0, 0);
}

bool WizardDriver::WaitGone(HWND dialog, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, timeoutMs);
}

bool WizardDriver::WaitForExit(DWORD timeoutMs) {
    if (!process || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process, &exitCode);
    return true;
}

bool IsWizardSheet(HWND window) { return IsSheet(window); }

void CancelWizard(HWND sheet) {
    DWORD processId = 0;
    GetWindowThreadProcessId(sheet, &processId);
    PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(10, 10));
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : VisibleTopLevelWindows(processId))
                if (!IsSheet(window)) box = window;
            return box != nullptr;
        },
        15000);
    if (!box) return;
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    // On the finish page Esc clicks Finish.
    WaitUntil(
        [&] {
            DWORD_PTR page = 0;
            SendMessageTimeoutW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 2000, &page);
            return page && GetDlgItem(reinterpret_cast<HWND>(page), 1033) != nullptr;
        },
        15000);
    PostMessageW(sheet, WM_KEYDOWN, VK_ESCAPE, 1);
}
