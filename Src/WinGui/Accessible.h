#pragma once
// What a control tells assistive technology (screen readers) beyond what the platform's own
// accessibility layer finds by itself: a name from its label, the check state of a check box or
// of a list's rows, the value of a progress bar. The control answers WM_GETOBJECT with the
// platform's object for it, wrapped so that these facts are added; everything else is the
// platform's.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wingui {

struct AccessibleFacts {
    // The control's name; unset keeps the platform's.
    std::function<std::wstring()> name;
    // Whether the control (child 0) or one of its items (child 1 and up) is checked; unset adds
    // nothing to the platform's state.
    std::function<bool(long child)> checked;
    // For a list: its items, which are then answered here rather than by the platform's layer.
    std::function<long()> itemCount;
    std::function<std::wstring(long item)> itemName;  // item counts from 1
    // A value to report (a progress bar's percentage); unset keeps the platform's.
    std::function<std::wstring()> value;
    // The control's role (ROLE_SYSTEM_PUSHBUTTON, ...); 0 keeps the platform's.
    long role = 0;
};

// Subclasses the control so that it answers WM_GETOBJECT with the facts added. The facts must
// outlive the control's window.
void MakeAccessible(HWND control, const AccessibleFacts* facts);

// The facts of a dialog's controls, kept as long as the dialog: check boxes and radio buttons
// tell their state, and an edit is named by the text before it (its label), as screen readers
// expect of every platform.
class AccessibleControls {
public:
    void Describe(HWND dialog);
    // Facts for one more control (a list's items, a progress bar's value); made accessible at once.
    AccessibleFacts& Add(HWND control);

private:
    std::vector<std::unique_ptr<AccessibleFacts>> facts;
};

}  // namespace wingui
