#include "wizard/KeyRules.h"

#include "wizard/NavigationLayout.h"

int DefaultButtonToClick(WizardPageKind page, bool focusSkinned, int focusId, bool nextEnabled) {
    if (page == PAGE_WELCOME) {
        if (focusId == NAV_BACK_ID || focusId == NAV_NEXT_ID) return NAV_NEXT_ID;
        return focusSkinned ? focusId : 0;
    }
    if (page == PAGE_FINISH) return NAV_FINISH_ID;
    if (focusSkinned) return focusId;
    return nextEnabled ? NAV_NEXT_ID : NAV_CANCEL_ID;
}

WizardKeyDecision DecideWizardKey(const WizardKeyInput& input) {
    WizardKeyDecision decision;
    switch (input.key) {
        case KEY_ARROW:
            if (input.focusSkinned) {
                decision.countArrow = true;
                if (input.focusId == NAV_BACK_ID || input.focusId == NAV_NEXT_ID || input.focusId == NAV_CANCEL_ID) {
                    decision.action = KEYACT_REFRESH_FOCUS_LOOK;
                    decision.targetId = input.focusId;
                }
            }
            break;
        case KEY_TAB:
        case KEY_SHIFT_TAB:
            if (input.nextTabStopSkinned) {
                decision.action = KEYACT_FOCUS_TAB_STOP;
                decision.targetId = input.nextTabStopId;
                decision.consumed = true;
            } else {
                decision.action = KEYACT_FOCUS_NEXT_BUTTON;
            }
            break;
        case KEY_SPACE:
            if (!input.focusSkinned && input.focusId != NAV_BACK_ID && input.focusId != NAV_NEXT_ID) break;
            [[fallthrough]];
        case KEY_ENTER:
            decision.targetId = DefaultButtonToClick(input.page, input.focusSkinned, input.focusId, input.nextEnabled);
            decision.action = decision.targetId ? KEYACT_CLICK : KEYACT_NONE;
            decision.consumed = true;
            break;
        case KEY_ESC:
            decision.action = KEYACT_CONFIRM_CANCEL;
            decision.consumed = true;
            break;
        case KEY_OTHER:
            break;
    }
    return decision;
}
