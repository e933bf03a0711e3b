#pragma once
// What confirming or declining the cancel question does on each page, and what each of its callers
// (the Cancel button, the cancel commands, the system Close command and the Esc key) does with the
// answer.

#include <string>

#include "package/ResultCode.h"
#include "wizard/PageChoice.h"

// Results of the cancel question.
enum : int {
    CANCEL_CONFIRMED = 0,             // Yes on any page but the autolaunch page
    CANCEL_OTHER_ANSWER = 1,          // the message box ended with neither Yes nor No
    CANCEL_DECLINED = -1,             // No
    CANCEL_ON_FINISH_PAGE = 1000,     // the finish page: nothing is asked
    CANCEL_CONFIRMED_AUTOLAUNCH = 1001,  // Yes on the autolaunch page
};

// Which worker is held while the question is shown (wait 100 ms, suspend, wait 10 ms) and resumed
// on No.
enum CancelSuspendedWorker { SUSPEND_NONE, SUSPEND_EXTRACTION, SUSPEND_LAUNCH };
CancelSuspendedWorker WorkerHeldDuringCancel(WizardPageKind page);

// False on the finish page, which returns CANCEL_ON_FINISH_PAGE without asking.
bool CancelAsksQuestion(WizardPageKind page);

// The result of the question on a page: answer is the message-box result (6 Yes, 7 No, anything
// else).
int CancelQuestionResult(WizardPageKind page, int answer);

// What a confirmed cancel does on a page. Always: set the worker stop flag first.
struct CancelConfirmedAction {
    int resultCode = RESULT_CANCELLED;  // package result code: RESULT_FAILED on the requirements page,
                                        // RESULT_LAUNCH_CANCELLED on the autolaunch page
    std::wstring logText;         // level 8, tag "ConfirmCancel"; empty on the requirements page
    bool stopExtraction = false;  // progress page: set the extraction-cancelled flag, log, stop the
                                  // extraction thread, then set the stop flag again
    bool runLaunchFinished = false;  // autolaunch page: run the launch-finished handler at once
                                     // (before the result code is set)
    int returnValue = CANCEL_CONFIRMED;  // 0, or 1001 on the autolaunch page
};
CancelConfirmedAction OnCancelConfirmed(WizardPageKind page);

enum CancelCaller {
    CALLER_CANCEL_BUTTON,   // WM_SKIN_BUTTON_CLICK with id 2
    CALLER_CANCEL_COMMAND,  // command ids 2 and 5 routed through the sheet
    CALLER_SYSTEM_CLOSE,    // the system menu's Close command
    CALLER_ESC_KEY,         // Esc key-down in the sheet's message pre-translation
};

enum CancelFollowUp {
    FOLLOW_NOTHING,        // nothing more
    FOLLOW_GO_TO_FINISH,   // move the sheet to the finish page
    FOLLOW_DEFAULT_CLOSE,  // let the platform's default Close processing run
    FOLLOW_CLICK_FINISH,   // click the Finish button
};

struct CancelCallerAction {
    CancelFollowUp followUp = FOLLOW_NOTHING;
    // The message is consumed (not passed to default processing). Esc is always consumed: passing it
    // on would let the dialog's own Esc handling send the cancel command and ask a second time.
    bool consumed = true;
};
CancelCallerAction ActOnCancelResult(CancelCaller caller, int result, bool finishPageActive);

// The system Close command runs the cancel question unless it came from the keyboard (lParam 0)
// while closing is switched off.
bool SystemCloseAsksCancel(bool fromKeyboard, int closeAllowed);
