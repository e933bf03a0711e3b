#pragma once
// Drives the wizard of a running package as a user would, from another process: finds the sheet,
// waits for a page by a control unique to its template, reads texts, clicks by posting (so a box
// that a click opens cannot block the test), picks the skinned buttons by id and answers message
// boxes.

#include <windows.h>

#include <string>

class WizardDriver {
public:
    // Starts the package with the arguments (Full GUI unless they say otherwise).
    WizardDriver(const std::wstring& exePath, const std::wstring& arguments = L"");
    // Ends the program if it still runs.
    ~WizardDriver();
    WizardDriver(const WizardDriver&) = delete;
    WizardDriver& operator=(const WizardDriver&) = delete;

    bool Started() const { return process != nullptr; }
    // The wizard's window, waited for; null when none appeared.
    HWND Sheet(DWORD timeoutMs = 30000);
    // Waits until the sheet's current page holds a control with the id.
    bool WaitForPage(int controlId, DWORD timeoutMs = 30000);
    // A control of the current page, its text, and whether it is enabled.
    HWND PageItem(int controlId);
    std::wstring PageText(int controlId);
    // The skinned navigation button with the id (2, 12323, 12324, 12325), its caption and state.
    HWND Button(int id);
    std::wstring ButtonText(int id);
    bool ButtonEnabled(int id);
    bool ButtonVisible(int id);
    // Waits until the caption of a navigation button reads text.
    bool WaitForButtonText(int id, const std::wstring& text, DWORD timeoutMs = 10000);
    bool WaitForButtonEnabled(int id, bool enabled, DWORD timeoutMs = 10000);

    // Clicks by posting the button-click message.
    void Click(int id);
    void ClickPageControl(int controlId);
    // Types text into a control of the current page.
    void SetPageText(int controlId, const std::wstring& text);
    // Posts a key press to the sheet (key down and up).
    void PressKey(UINT virtualKey);
    // The system menu's Close command, as the mouse gives it.
    void CloseByMouse();

    // A message box or prompt of the program (a dialog that is not the sheet, nor except), waited
    // for.
    HWND WaitForDialog(DWORD timeoutMs = 15000, HWND except = nullptr);
    // True when no dialog besides the sheet (and except) shows up within the time.
    bool NoDialogWithin(DWORD timeoutMs, HWND except = nullptr);
    // Waits until an answered dialog has closed.
    static bool WaitGone(HWND dialog, DWORD timeoutMs = 10000);
    static std::wstring DialogText(HWND dialog);
    static void Answer(HWND dialog, int commandId);
    // Clicks a (skinned) button of a prompt by posting the button-click message.
    static void ClickDialogButton(HWND dialog, int id);

    // Waits for the program to end; false on timeout. The exit code has all 32 bits.
    bool WaitForExit(DWORD timeoutMs = 60000);
    DWORD ExitCode() const { return exitCode; }

private:
    HANDLE process = nullptr;
    DWORD processId = 0;
    HWND sheet = nullptr;
    DWORD exitCode = STILL_ACTIVE;
};

// Polls condition every 50 ms until it holds (true) or the time is up (false).
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

// Whether a window of the program is the wizard itself.
bool IsWizardSheet(HWND window);
// Cancels a running wizard from outside: the Close command, Yes to the question, then Finish on
// the finish page.
void CancelWizard(HWND sheet);
