#pragma once
// The sheet's keyboard handling: what a key does depending on where the focus is, and which button
// "pressing the default button" clicks.

#include "wizard/PageChoice.h"

enum WizardKey {
    KEY_TAB,        // Tab key-down
    KEY_SHIFT_TAB,  // Tab key-down with Shift held
    KEY_ENTER,      // Enter key-down
    KEY_SPACE,      // Space key-down
    KEY_ESC,        // Esc key-down
    KEY_ARROW,      // any message whose wParam is 37 to 40 (not only key-downs)
    KEY_OTHER,      // anything else, and key-ups of the keys above
};

struct WizardKeyInput {
    WizardKey key = KEY_OTHER;
    bool focusSkinned = false;        // the focus is on a skinned button (navigation or Browse)
    int focusId = 0;                  // control id of the focused window (0 when none)
    bool nextTabStopSkinned = false;  // Tab/Shift+Tab: the next (previous) tab stop is a skinned button
    int nextTabStopId = 0;            // its control id
    WizardPageKind page = PAGE_WELCOME;  // the active page
    bool nextEnabled = true;          // the Next button is enabled
};

enum WizardKeyAction {
    KEYACT_NONE,               // nothing
    KEYACT_REFRESH_FOCUS_LOOK, // arrow: give the focused Back, Next or Cancel (targetId) the focus look again
    KEYACT_FOCUS_TAB_STOP,     // give the tab stop targetId the focus look (Focus...Button for the
                               // navigation buttons; the Browse button takes it itself)
    KEYACT_FOCUS_NEXT_BUTTON,  // FocusNextButton without taking the platform focus
    KEYACT_CLICK,              // click targetId (the platform's button-click message)
    KEYACT_CONFIRM_CANCEL,     // ConfirmCancel, then ActOnCancelResult(CALLER_ESC_KEY, ...)
};

struct WizardKeyDecision {
    WizardKeyAction action = KEYACT_NONE;
    int targetId = 0;          // the button concerned, 0 when none
    bool countArrow = false;   // arrowCount += 1
    bool consumed = false;     // true: the message is not processed further
};

WizardKeyDecision DecideWizardKey(const WizardKeyInput& input);

// The button that pressing the default button clicks, 0 for none:
//   welcome page: focus on Back or Next (by id) clicks Next; another skinned button is clicked
//                 itself; a non-skinned control clicks nothing;
//   finish page:  Finish;
//   other pages:  the focused skinned button, else Next when enabled, else Cancel.
int DefaultButtonToClick(WizardPageKind page, bool focusSkinned, int focusId, bool nextEnabled);
