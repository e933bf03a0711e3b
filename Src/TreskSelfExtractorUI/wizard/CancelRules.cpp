#include "wizard/CancelRules.h"
#include "package/ResultCode.h"

namespace {

constexpr int ANSWER_YES = 6;  // IDYES
constexpr int ANSWER_NO = 7;   // IDNO

}  // namespace

CancelSuspendedWorker WorkerHeldDuringCancel(WizardPageKind page) {
    if (page == PAGE_PROGRESS) return SUSPEND_EXTRACTION;
    if (page == PAGE_AUTOLAUNCH) return SUSPEND_LAUNCH;
    return SUSPEND_NONE;
}

bool CancelAsksQuestion(WizardPageKind page) { return page != PAGE_FINISH; }

int CancelQuestionResult(WizardPageKind page, int answer) {
    if (!CancelAsksQuestion(page)) return CANCEL_ON_FINISH_PAGE;
    if (answer == ANSWER_YES) return OnCancelConfirmed(page).returnValue;
    if (answer == ANSWER_NO) return CANCEL_DECLINED;
    return CANCEL_OTHER_ANSWER;
}

CancelConfirmedAction OnCancelConfirmed(WizardPageKind page) {
    CancelConfirmedAction action;
    switch (page) {
        case PAGE_PROGRESS:
            action.logText = L"User canceled the extraction process";
            action.stopExtraction = true;
            break;
        case PAGE_WELCOME:
            action.logText = L"User canceled the Welcome Dialog";
            break;
        case PAGE_LANGUAGE:
            action.logText = L"User canceled the Language Dialog";
            break;
        case PAGE_LICENSE:
            action.logText = L"User canceled the License Dialog";
            break;
        case PAGE_DIRCHANGE:
            action.logText = L"User canceled the Browse Dialog";
            break;
        case PAGE_REQUIREMENTS:
            // Leaving with unmet conditions is reported like a failed condition check.
            action.resultCode = RESULT_FAILED;
            break;
        case PAGE_AUTOLAUNCH:
            action.logText = L"User canceled the AutoLaunch Installation Dialog";
            action.resultCode = RESULT_LAUNCH_CANCELLED;
            action.runLaunchFinished = true;
            action.returnValue = CANCEL_CONFIRMED_AUTOLAUNCH;
            break;
        case PAGE_FINISH:
            // Never asked on the finish page; a confirmed cancel there changes nothing but the code.
            break;
    }
    return action;
}

CancelCallerAction ActOnCancelResult(CancelCaller caller, int result, bool finishPageActive) {
    CancelCallerAction action;
    if (result == CANCEL_CONFIRMED) {
        action.followUp = FOLLOW_GO_TO_FINISH;
        return action;
    }
    switch (caller) {
        case CALLER_CANCEL_BUTTON:
        case CALLER_CANCEL_COMMAND:
            break;
        case CALLER_SYSTEM_CLOSE:
            if (result == CANCEL_ON_FINISH_PAGE) {
                action.followUp = FOLLOW_DEFAULT_CLOSE;
                action.consumed = false;
            }
            break;
        case CALLER_ESC_KEY:
            // Esc is consumed whatever the answer: the question has been asked once already.
            if ((result == CANCEL_ON_FINISH_PAGE || result == CANCEL_DECLINED) && finishPageActive)
                action.followUp = FOLLOW_CLICK_FINISH;
            break;
    }
    return action;
}

bool SystemCloseAsksCancel(bool fromKeyboard, int closeAllowed) { return !(fromKeyboard && closeAllowed == 0); }
