#pragma once
// What extraction does with a file of the package that is already in the target folder: ask the
// user, replace it, keep it, stop, or write over it. Plain inputs, plain result: the engine asks
// the platform and the prompt, this rule decides.

#include <cstdint>

enum class OverwriteAction {
    Ask,        // show the overwrite prompt, then decide again with its answer
    Replace,    // delete the file and write the stored one in its place
    Keep,       // leave the file as it is and go on
    Cancel,     // the user stopped the extraction
    WriteOver,  // no prompt and no answer (Silent and Unattended runs): write over the file
};

struct OverwriteFacts {
    uint32_t attributes = 0;  // the existing file's attributes
    int answer = 0;           // the latest prompt answer of this extraction (util/PromptAnswer.h), else 0
    bool answered = false;    // answer is the reply to the prompt shown for this very file
    int runMode = 0;          // app/RunMode.h: only the wizard shows the prompt
};

struct OverwriteDecision {
    OverwriteAction action = OverwriteAction::WriteOver;
    bool clearReadOnly = false;  // the file must lose its read-only attribute before it is replaced
};

OverwriteDecision DecideOverwrite(const OverwriteFacts& facts);
