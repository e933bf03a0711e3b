// The sheet's keyboard: what each key does depending on the focus, the next tab stop and the page.
#include <gtest/gtest.h>

#include "wizard/CancelRules.h"
#include "wizard/KeyRules.h"

namespace {

constexpr int BACK = 12323, NEXT = 12324, CANCEL = 2, FINISH = 12325, BROWSE = 1001, EDIT = 1018;

TEST(WizardKeys, Table) {
    struct Case {
        const char* what;
        WizardKeyInput input;
        WizardKeyAction action;
        int target;
        bool countArrow, consumed;
    };
    // key, focus skinned, focus id, next tab stop skinned, its id, page, Next enabled
    const Case cases[] = {
        {"arrow on Next", {KEY_ARROW, true, NEXT, false, 0, PAGE_LICENSE, true}, KEYACT_REFRESH_FOCUS_LOOK, NEXT, true, false},
        {"arrow on Cancel", {KEY_ARROW, true, CANCEL, false, 0, PAGE_PROGRESS, true}, KEYACT_REFRESH_FOCUS_LOOK, CANCEL, true, false},
        {"arrow on Finish counts only", {KEY_ARROW, true, FINISH, false, 0, PAGE_FINISH, true}, KEYACT_NONE, 0, true, false},
        {"arrow on Browse counts only", {KEY_ARROW, true, BROWSE, false, 0, PAGE_DIRCHANGE, true}, KEYACT_NONE, 0, true, false},
        {"arrow in an edit", {KEY_ARROW, false, EDIT, false, 0, PAGE_DIRCHANGE, true}, KEYACT_NONE, 0, false, false},
        {"Tab to Next", {KEY_TAB, false, EDIT, true, NEXT, PAGE_DIRCHANGE, true}, KEYACT_FOCUS_TAB_STOP, NEXT, false, true},
        {"Shift+Tab to Browse", {KEY_SHIFT_TAB, true, BACK, true, BROWSE, PAGE_DIRCHANGE, true}, KEYACT_FOCUS_TAB_STOP, BROWSE, false, true},
        {"Tab to an edit", {KEY_TAB, true, BROWSE, false, EDIT, PAGE_DIRCHANGE, true}, KEYACT_FOCUS_NEXT_BUTTON, 0, false, false},
        {"Enter on an edit", {KEY_ENTER, false, EDIT, false, 0, PAGE_DIRCHANGE, true}, KEYACT_CLICK, NEXT, false, true},
        {"Enter with Next disabled", {KEY_ENTER, false, 1020, false, 0, PAGE_LICENSE, false}, KEYACT_CLICK, CANCEL, false, true},
        {"Enter on Back", {KEY_ENTER, true, BACK, false, 0, PAGE_LICENSE, true}, KEYACT_CLICK, BACK, false, true},
        {"Enter on Browse", {KEY_ENTER, true, BROWSE, false, 0, PAGE_DIRCHANGE, true}, KEYACT_CLICK, BROWSE, false, true},
        {"Enter on the welcome page's text", {KEY_ENTER, false, 1047, false, 0, PAGE_WELCOME, true}, KEYACT_NONE, 0, false, true},
        {"Enter on the welcome page's Back", {KEY_ENTER, true, BACK, false, 0, PAGE_WELCOME, true}, KEYACT_CLICK, NEXT, false, true},
        {"Enter on the welcome page's Cancel", {KEY_ENTER, true, CANCEL, false, 0, PAGE_WELCOME, true}, KEYACT_CLICK, CANCEL, false, true},
        {"Enter on the finish page", {KEY_ENTER, false, 1014, false, 0, PAGE_FINISH, false}, KEYACT_CLICK, FINISH, false, true},
        {"Space on Cancel", {KEY_SPACE, true, CANCEL, false, 0, PAGE_PROGRESS, false}, KEYACT_CLICK, CANCEL, false, true},
        {"Space on a control with Next's id", {KEY_SPACE, false, NEXT, false, 0, PAGE_LANGUAGE, true}, KEYACT_CLICK, NEXT, false, true},
        {"Space on a check box", {KEY_SPACE, false, 1020, false, 0, PAGE_LICENSE, true}, KEYACT_NONE, 0, false, false},
        {"Esc", {KEY_ESC, false, EDIT, false, 0, PAGE_DIRCHANGE, true}, KEYACT_CONFIRM_CANCEL, 0, false, true},
        {"Esc on the finish page", {KEY_ESC, true, FINISH, false, 0, PAGE_FINISH, false}, KEYACT_CONFIRM_CANCEL, 0, false, true},
        {"other key", {KEY_OTHER, true, NEXT, true, CANCEL, PAGE_LANGUAGE, true}, KEYACT_NONE, 0, false, false},
    };
    for (const auto& c : cases) {
        const WizardKeyDecision d = DecideWizardKey(c.input);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(d.action, c.action);
        EXPECT_EQ(d.targetId, c.target);
        EXPECT_EQ(d.countArrow, c.countArrow);
        EXPECT_EQ(d.consumed, c.consumed);
    }
}

// Esc asks once: the key is consumed, and a declined question leaves nothing for the dialog's own
// Esc handling to act on.
TEST(WizardKeys, EscAsksTheCancelQuestionOnce) {
    const WizardKeyDecision esc = DecideWizardKey({KEY_ESC, false, EDIT, false, 0, PAGE_LICENSE, true});
    ASSERT_EQ(esc.action, KEYACT_CONFIRM_CANCEL);
    EXPECT_TRUE(esc.consumed);
    const CancelCallerAction after = ActOnCancelResult(CALLER_ESC_KEY, CancelQuestionResult(PAGE_LICENSE, 7), false);
    EXPECT_EQ(after.followUp, FOLLOW_NOTHING);
    EXPECT_TRUE(after.consumed);
}

}  // namespace
