#include "extract/OverwriteRule.h"

#include <windows.h>

#include "app/RunMode.h"
#include "util/PromptAnswer.h"

OverwriteDecision DecideOverwrite(const OverwriteFacts& facts) {
    OverwriteDecision decision;
    int answer = facts.answer;
    // An answer "to all" stands for every later file; any other is asked again for each file.
    const bool standing = answer == ANSWER_YES_TO_ALL || answer == ANSWER_NO_TO_ALL;
    if (!facts.answered && !standing) {
        if (facts.runMode == MODE_FULL_GUI) {
            decision.action = OverwriteAction::Ask;
            return decision;
        }
        answer = 0;
    }
    switch (answer) {
        case ANSWER_YES:
        case ANSWER_YES_TO_ALL:
            decision.action = OverwriteAction::Replace;
            decision.clearReadOnly = (facts.attributes & FILE_ATTRIBUTE_READONLY) != 0;
            break;
        case ANSWER_NO:
        case ANSWER_NO_TO_ALL:
            decision.action = OverwriteAction::Keep;
            break;
        case ANSWER_CANCEL:
            decision.action = OverwriteAction::Cancel;
            break;
        default:
            // A window that does not show the prompt gives no answer: the stored file wins.
            decision.action = OverwriteAction::WriteOver;
            break;
    }
    return decision;
}
