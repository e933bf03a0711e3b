// Which pages the wizard is built from, the navigation buttons of each page, and what the cancel
// question does on each page and for each of its callers.
#include <gtest/gtest.h>

#include <vector>

#include "wizard/CancelRules.h"
#include "wizard/PageChoice.h"

namespace {

using Pages = std::vector<WizardPageKind>;

TEST(WizardPages, ChosenFromTheSettings) {
    struct Case {
        const char* what;
        WizardPageSettings settings;
        Pages pages;
    };
    auto with = [](auto change) {
        WizardPageSettings s;
        s.conditionsFulfilled = true;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"nothing set", with([](WizardPageSettings&) {}), {PAGE_WELCOME, PAGE_PROGRESS, PAGE_FINISH}},
        {"WelcomeDialog 0", with([](WizardPageSettings& s) { s.welcomeDialog = L"0"; }), {PAGE_PROGRESS, PAGE_FINISH}},
        {"WelcomeDialog 1", with([](WizardPageSettings& s) { s.welcomeDialog = L"1"; }),
         {PAGE_WELCOME, PAGE_PROGRESS, PAGE_FINISH}},
        {"WelcomeDialog 0 with a blank", with([](WizardPageSettings& s) { s.welcomeDialog = L"0 "; }),
         {PAGE_WELCOME, PAGE_PROGRESS, PAGE_FINISH}},
        {"LanguageDialog 1", with([](WizardPageSettings& s) { s.languageDialog = L"1"; }),
         {PAGE_WELCOME, PAGE_LANGUAGE, PAGE_PROGRESS, PAGE_FINISH}},
        {"LanguageDialog yes", with([](WizardPageSettings& s) { s.languageDialog = L"yes"; }),
         {PAGE_WELCOME, PAGE_PROGRESS, PAGE_FINISH}},
        {"LanguageDialog 1 with a blank", with([](WizardPageSettings& s) { s.languageDialog = L"1 "; }),
         {PAGE_WELCOME, PAGE_PROGRESS, PAGE_FINISH}},
        {"conditions not met", with([](WizardPageSettings& s) { s.conditionsFulfilled = false; }),
         {PAGE_WELCOME, PAGE_REQUIREMENTS, PAGE_PROGRESS, PAGE_FINISH}},
        {"conditions not met, check suppressed", with([](WizardPageSettings& s) {
             s.conditionsFulfilled = false;
             s.conditionCheckSuppressed = true;
         }),
         {PAGE_WELCOME, PAGE_PROGRESS, PAGE_FINISH}},
        {"LicenseDialog 1", with([](WizardPageSettings& s) { s.licenseDialog = L"1"; }),
         {PAGE_WELCOME, PAGE_LICENSE, PAGE_PROGRESS, PAGE_FINISH}},
        {"AllowChangeTarget 1", with([](WizardPageSettings& s) { s.allowChangeTarget = L"1"; }),
         {PAGE_WELCOME, PAGE_DIRCHANGE, PAGE_PROGRESS, PAGE_FINISH}},
        {"AllowChangeTarget absent, default path unusable",
         with([](WizardPageSettings& s) { s.defaultPathUsable = false; }),
         {PAGE_WELCOME, PAGE_DIRCHANGE, PAGE_PROGRESS, PAGE_FINISH}},
        {"AllowChangeTarget 0", with([](WizardPageSettings& s) { s.allowChangeTarget = L"0"; }),
         {PAGE_WELCOME, PAGE_PROGRESS, PAGE_FINISH}},
        {"AutoLaunchInstallationDialog 1", with([](WizardPageSettings& s) { s.autoLaunchInstallationDialog = L"1"; }),
         {PAGE_WELCOME, PAGE_PROGRESS, PAGE_AUTOLAUNCH, PAGE_FINISH}},
        {"every page", with([](WizardPageSettings& s) {
             s.languageDialog = s.licenseDialog = s.allowChangeTarget = s.autoLaunchInstallationDialog = L"1";
             s.conditionsFulfilled = false;
         }),
         {PAGE_WELCOME, PAGE_LANGUAGE, PAGE_REQUIREMENTS, PAGE_LICENSE, PAGE_DIRCHANGE, PAGE_PROGRESS,
          PAGE_AUTOLAUNCH, PAGE_FINISH}},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseWizardPages(c.settings), c.pages) << c.what;
}

TEST(WizardPages, FirstPage) {
    EXPECT_EQ(FirstWizardPage({PAGE_LANGUAGE, PAGE_PROGRESS, PAGE_FINISH}), PAGE_LANGUAGE);
    EXPECT_EQ(FirstWizardPage({}), PAGE_PROGRESS);
}

constexpr int YES = 6, NO = 7, OTHER = 2;

TEST(WizardCancel, QuestionResultByPageAndAnswer) {
    struct Case {
        WizardPageKind page;
        int answer, result;
    };
    const Case cases[] = {
        {PAGE_WELCOME, YES, 0},       {PAGE_WELCOME, NO, -1},        {PAGE_WELCOME, OTHER, 1},
        {PAGE_PROGRESS, YES, 0},      {PAGE_PROGRESS, NO, -1},       {PAGE_REQUIREMENTS, YES, 0},
        {PAGE_AUTOLAUNCH, YES, 1001}, {PAGE_AUTOLAUNCH, NO, -1},     {PAGE_AUTOLAUNCH, OTHER, 1},
        // Nothing is asked on the finish page, whatever a message box would have said.
        {PAGE_FINISH, YES, 1000},     {PAGE_FINISH, NO, 1000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CancelQuestionResult(c.page, c.answer), c.result) << "page " << c.page << " answer " << c.answer;
    EXPECT_FALSE(CancelAsksQuestion(PAGE_FINISH));
    EXPECT_TRUE(CancelAsksQuestion(PAGE_AUTOLAUNCH));
}

TEST(WizardCancel, ConfirmedByPage) {
    struct Case {
        WizardPageKind page;
        int resultCode;
        const wchar_t* logText;
        bool stopExtraction, runLaunchFinished;
        int returnValue;
        CancelSuspendedWorker held;
    };
    const Case cases[] = {
        {PAGE_PROGRESS, 11, L"User canceled the extraction process", true, false, 0, SUSPEND_EXTRACTION},
        {PAGE_WELCOME, 11, L"User canceled the Welcome Dialog", false, false, 0, SUSPEND_NONE},
        {PAGE_LANGUAGE, 11, L"User canceled the Language Dialog", false, false, 0, SUSPEND_NONE},
        {PAGE_LICENSE, 11, L"User canceled the License Dialog", false, false, 0, SUSPEND_NONE},
        {PAGE_DIRCHANGE, 11, L"User canceled the Browse Dialog", false, false, 0, SUSPEND_NONE},
        {PAGE_REQUIREMENTS, -1, L"", false, false, 0, SUSPEND_NONE},
        {PAGE_AUTOLAUNCH, 12, L"User canceled the AutoLaunch Installation Dialog", false, true, 1001, SUSPEND_LAUNCH},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "page " << c.page);
        const CancelConfirmedAction a = OnCancelConfirmed(c.page);
        EXPECT_EQ(a.resultCode, c.resultCode);
        EXPECT_EQ(a.logText, c.logText);
        EXPECT_EQ(a.stopExtraction, c.stopExtraction);
        EXPECT_EQ(a.runLaunchFinished, c.runLaunchFinished);
        EXPECT_EQ(a.returnValue, c.returnValue);
        EXPECT_EQ(WorkerHeldDuringCancel(c.page), c.held);
    }
}

TEST(WizardCancel, CallersActOnTheResult) {
    struct Case {
        CancelCaller caller;
        int result;
        bool finishActive;
        CancelFollowUp followUp;
        bool consumed;
    };
    const Case cases[] = {
        {CALLER_CANCEL_BUTTON, 0, false, FOLLOW_GO_TO_FINISH, true},
        {CALLER_CANCEL_BUTTON, 1000, true, FOLLOW_NOTHING, true},
        {CALLER_CANCEL_BUTTON, -1, false, FOLLOW_NOTHING, true},
        {CALLER_CANCEL_BUTTON, 1001, false, FOLLOW_NOTHING, true},
        {CALLER_CANCEL_COMMAND, 0, false, FOLLOW_GO_TO_FINISH, true},
        {CALLER_CANCEL_COMMAND, 1000, true, FOLLOW_NOTHING, true},
        {CALLER_CANCEL_COMMAND, -1, false, FOLLOW_NOTHING, true},
        {CALLER_CANCEL_COMMAND, 1001, false, FOLLOW_NOTHING, true},
        {CALLER_SYSTEM_CLOSE, 0, false, FOLLOW_GO_TO_FINISH, true},
        {CALLER_SYSTEM_CLOSE, 1000, true, FOLLOW_DEFAULT_CLOSE, false},
        {CALLER_SYSTEM_CLOSE, -1, false, FOLLOW_NOTHING, true},
        {CALLER_SYSTEM_CLOSE, 1001, false, FOLLOW_NOTHING, true},
        {CALLER_ESC_KEY, 0, false, FOLLOW_GO_TO_FINISH, true},
        // Esc on the finish page clicks Finish.
        {CALLER_ESC_KEY, 1000, true, FOLLOW_CLICK_FINISH, true},
        {CALLER_ESC_KEY, -1, true, FOLLOW_CLICK_FINISH, true},
        // Declined elsewhere: Esc is consumed, so the dialog's own Esc handling cannot ask again.
        {CALLER_ESC_KEY, -1, false, FOLLOW_NOTHING, true},
        {CALLER_ESC_KEY, 1001, false, FOLLOW_NOTHING, true},
        {CALLER_ESC_KEY, 1, false, FOLLOW_NOTHING, true},
    };
    for (const auto& c : cases) {
        const CancelCallerAction a = ActOnCancelResult(c.caller, c.result, c.finishActive);
        EXPECT_EQ(a.followUp, c.followUp) << "caller " << c.caller << " result " << c.result;
        EXPECT_EQ(a.consumed, c.consumed) << "caller " << c.caller << " result " << c.result;
    }
}

TEST(WizardCancel, KeyboardCloseIgnoredWhileClosingIsOff) {
    EXPECT_FALSE(SystemCloseAsksCancel(true, 0));
    EXPECT_TRUE(SystemCloseAsksCancel(false, 0));  // the menu item itself is greyed instead
    EXPECT_TRUE(SystemCloseAsksCancel(true, 1));
}

}  // namespace
