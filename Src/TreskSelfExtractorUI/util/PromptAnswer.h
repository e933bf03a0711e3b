#pragma once
// The answers of the overwrite and folder-delete prompts: what a prompt button stores, what the
// engine's overwrite rule and the location page read.

enum PromptAnswer : int {
    ANSWER_NONE = 2,  // no button pressed (the prompt's value until one is)
    ANSWER_YES = 1000,
    ANSWER_YES_TO_ALL = 1001,
    ANSWER_NO = 1002,
    ANSWER_NO_TO_ALL = 1003,
    ANSWER_CANCEL = 1004,
};
